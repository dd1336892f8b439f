#include "platform/DetachedProcess.h"

#include <QProcess>
#include <QStringList>

namespace DetachedProcess {

std::optional<QString> start(const QString& commandLine)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return QStringLiteral("the command line is empty");
    QProcess process;
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    // The player must not hold on to our terminal or our output.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return process.errorString();
    return std::nullopt;
}

} // namespace DetachedProcess
