#include "platform/ShellVerbs.h"

namespace {

QString stripQuotes(QString line)
{
    if (!line.startsWith(u'"'))
        return line;
    line.remove(0, 1);
    const qsizetype closing = line.indexOf(u'"');
    if (closing >= 0)
        line.remove(closing, 1);
    return line;
}

} // namespace

PlayerCommands stripVerbQuotes(PlayerCommands commands)
{
    commands.play = stripQuotes(std::move(commands.play));
    commands.enqueue = stripQuotes(std::move(commands.enqueue));
    return commands;
}
