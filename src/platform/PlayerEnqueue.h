#pragma once

#include <QString>

// Players that add to their playlist through a command-line option rather than through a
// desktop action of their own.
namespace PlayerEnqueue {

// The enqueue command line derived from a player's play command line (a desktop entry's Exec
// text), or an empty string when the player is not one we know. The option goes right after
// the program (after the application id for a Flatpak-wrapped player); everything else,
// field codes such as %U included, stays as it was. Examples:
//   "audacious %U"                        -> "audacious -e %U"
//   "/usr/bin/vlc --started-from-file %U"  -> "/usr/bin/vlc --one-instance --playlist-enqueue
//                                              --started-from-file %U"
//   "rhythmbox %U"                        -> "rhythmbox-client --enqueue %U"
QString fromPlayCommand(const QString& playCommand);

} // namespace PlayerEnqueue
