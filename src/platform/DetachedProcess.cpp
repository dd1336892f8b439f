#include "platform/DetachedProcess.h"

#include <QProcess>

#include <glib.h>

namespace DetachedProcess {

std::optional<QStringList> split(const QString& commandLine, QString* problem)
{
    const auto fail = [problem](const QString& why) -> std::optional<QStringList> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (commandLine.trimmed().isEmpty())
        return fail(QStringLiteral("the command line is empty"));
    // GLib's shell-style splitting is the one desktops apply to the Exec lines the player
    // commands come from; Qt's own splitting knows no single quotes.
    const QByteArray line = commandLine.toUtf8();
    int count = 0;
    gchar** words = nullptr;
    GError* error = nullptr;
    if (!g_shell_parse_argv(line.constData(), &count, &words, &error)) {
        const QString why = QStringLiteral("the command line cannot be split into words: %1")
                                .arg(QString::fromUtf8(error ? error->message : "unknown error"));
        g_clear_error(&error);
        return fail(why);
    }
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << QString::fromUtf8(words[i]);
    g_strfreev(words);
    return result;
}

std::optional<QString> start(const QString& commandLine)
{
    QString problem;
    std::optional<QStringList> words = split(commandLine, &problem);
    if (!words)
        return problem;
    QProcess process;
    process.setProgram(words->takeFirst());
    process.setArguments(*words);
    // The player must not hold on to our terminal or our output.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return process.errorString();
    return std::nullopt;
}

} // namespace DetachedProcess
