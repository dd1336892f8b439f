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
