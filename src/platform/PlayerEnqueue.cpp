#include "platform/PlayerEnqueue.h"

#include <QList>

namespace {

struct KnownPlayer
{
    const char* name;    // the executable's file name
    const char* option;  // what makes it add to its playlist instead of playing
    const char* program; // another program that does the adding, or nullptr
};

// The players' own documented options. VLC starts a second player without --one-instance.
const KnownPlayer knownPlayers[] = {
    {"vlc", "--one-instance --playlist-enqueue", nullptr},
    {"audacious", "-e", nullptr},
    {"qmmp", "-e", nullptr},
    {"xmms", "-e", nullptr},
    {"clementine", "-a", nullptr},
    {"strawberry", "-a", nullptr},
    {"amarok", "--append", nullptr},
    {"totem", "--enqueue", nullptr},
    {"celluloid", "--enqueue", nullptr},
    {"smplayer", "-add-to-playlist", nullptr},
    {"deadbeef", "--queue", nullptr},
    {"rhythmbox", "--enqueue", "rhythmbox-client"},
};

struct Token
{
    qsizetype start = 0; // in the command line, quotes included
    qsizetype end = 0;
    QString text; // unquoted
};

// Splits a command line the way desktop entries quote their Exec values: blanks separate
// arguments, double quotes group them, a backslash takes the next character literally.
QList<Token> tokenize(const QString& line)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        Token token;
        token.start = i;
        bool quoted = false;
        while (i < n && (quoted || !line.at(i).isSpace())) {
            const QChar c = line.at(i);
            if (c == u'"') {
                quoted = !quoted;
            } else if (c == u'\\' && i + 1 < n) {
                ++i;
                token.text += line.at(i);
            } else {
                token.text += c;
            }
            ++i;
        }
        token.end = i;
        tokens.append(token);
    }
    return tokens;
}

QString baseName(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

const KnownPlayer* findPlayer(const QString& name)
{
    const QString lower = name.toLower();
    for (const KnownPlayer& player : knownPlayers)
        if (lower == QLatin1String(player.name))
            return &player;
    return nullptr;
}

QString insertAfter(const QString& line, qsizetype position, const char* option)
{
    return line.left(position) + u' ' + QLatin1String(option) + line.mid(position);
}

// "flatpak run [options] APP [arguments]": the player is the --command program, else the last
// part of the application id; its option goes right after the application id.
QString fromFlatpak(const QString& line, const QList<Token>& tokens, qsizetype first)
{
    if (first + 1 >= tokens.size() || tokens.at(first + 1).text != QLatin1String("run"))
        return {};
    QString command;
    for (qsizetype i = first + 2; i < tokens.size(); ++i) {
        const QString& arg = tokens.at(i).text;
        if (arg.startsWith(QLatin1String("--command=")))
            command = baseName(arg.mid(10));
        if (arg.startsWith(u'-'))
            continue;
        const QString name = command.isEmpty() ? arg.mid(arg.lastIndexOf(u'.') + 1) : command;
        const KnownPlayer* player = findPlayer(name);
        // A helper program of the player cannot be reached inside its sandbox this way.
        if (!player || player->program)
            return {};
        return insertAfter(line, tokens.at(i).end, player->option);
    }
    return {};
}

} // namespace

namespace PlayerEnqueue {

QString fromPlayCommand(const QString& playCommand)
{
    const QList<Token> tokens = tokenize(playCommand);
    qsizetype first = 0;
    // "env NAME=value ... program": the program is the first word that is no assignment.
    if (!tokens.isEmpty() && baseName(tokens.at(0).text) == QLatin1String("env")) {
        first = 1;
        while (first < tokens.size() &&
               (tokens.at(first).text.contains(u'=') || tokens.at(first).text.startsWith(u'-')))
            ++first;
    }
    if (first >= tokens.size())
        return {};
    const Token& program = tokens.at(first);
    const QString name = baseName(program.text);
    if (name == QLatin1String("flatpak"))
        return fromFlatpak(playCommand, tokens, first);

    const KnownPlayer* player = findPlayer(name);
    if (!player)
        return {};
    if (!player->program)
        return insertAfter(playCommand, program.end, player->option);

    // Another program of the same player, from the same folder.
    QString programText = playCommand.mid(program.start, program.end - program.start);
    const qsizetype at = programText.lastIndexOf(name);
    if (at < 0) // the name is spelled with escapes; leave such a line alone
        return {};
    programText.replace(at, name.size(), QLatin1String(player->program));
    return playCommand.left(program.start) + programText + u' ' + QLatin1String(player->option) +
           playCommand.mid(program.end);
}

} // namespace PlayerEnqueue
