#pragma once

#include <QString>

// The command lines of the desktop's registered MP3 player.
struct PlayerCommands
{
    QString play;    // PlayStr
    QString enqueue; // EnqStr
};

class ShellVerbs
{
public:
    virtual ~ShellVerbs() = default;
    // The raw command lines as the desktop registers them (no quote stripping).
    virtual PlayerCommands read() const = 0;
};

// Removes the quotes around the program path of each command line: only when a line starts
// with a double quote, that quote and the first double quote after it are deleted, so
// "\"/usr/bin/vlc\" \"%1\"" becomes "/usr/bin/vlc \"%1\"". Lines that do not start with a quote
// (the usual form of desktop entries) are left exactly as they are.
PlayerCommands stripVerbQuotes(PlayerCommands commands);
