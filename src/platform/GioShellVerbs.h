#pragma once

#include "platform/ShellVerbs.h"

// The desktop's registered MP3 player, asked through GIO (the freedesktop MIME associations
// that file managers use).
//
// play: the Exec line of the default application for "audio/mpeg".
// enqueue: the Exec line of that application's desktop action whose id or name says
//   "enqueue", else of one called "Add to playlist"; else the play line with the player's own
//   enqueue option (see PlayerEnqueue); else empty.
// Both are returned as registered: desktop-entry field codes (%U, %F, %u, %f...) are left in
// place for the caller to substitute, and no quotes are stripped. No default player: both
// empty.
class GioShellVerbs final : public ShellVerbs
{
public:
    PlayerCommands read() const override;
};
