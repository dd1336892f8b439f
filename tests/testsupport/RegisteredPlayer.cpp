#include "testsupport/RegisteredPlayer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

bool writeText(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

// Each start writes one file, renamed into place whole so that a reader never sees half.
const char* const recorder = R"(#!/bin/sh
out='@OUT@'
last=
for a in "$@"; do last=$a; done
n=$(date +%s%N)-$$
{ for a in "$@"; do printf '%s\n' "$a"; done; printf '%s\n' '--- playlist'; cat "$last"; } \
    > "$out/.run.$n" && mv "$out/.run.$n" "$out/run.$n"
)";

} // namespace

RegisteredPlayer& RegisteredPlayer::instance()
{
    static RegisteredPlayer player;
    return player;
}

RegisteredPlayer::RegisteredPlayer()
{
    const QString root = m_dir.path();
    m_program = root + QStringLiteral("/bin/recorder");
    m_out = root + QStringLiteral("/runs");
    QDir().mkpath(m_out);
    writeText(m_program, QString::fromLatin1(recorder).replace(QStringLiteral("@OUT@"), m_out));
    QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeText(root + QStringLiteral("/data/applications/recorder.desktop"),
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Recorder\n"
                             "Exec=%1 --play %U\nMimeType=audio/mpeg;\nActions=Enqueue;\n\n"
                             "[Desktop Action Enqueue]\nName=Enqueue\nExec=%1 --enqueue %U\n")
                  .arg(m_program));
    // The system configuration folder: a test's own home moves XDG_CONFIG_HOME elsewhere.
    writeText(root + QStringLiteral("/system-config/mimeapps.list"),
              QStringLiteral("[Default Applications]\naudio/mpeg=recorder.desktop\n"));
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_DATA_DIRS", (root + QStringLiteral("/system-data")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/system-config")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
}

QList<RegisteredPlayer::Run> RegisteredPlayer::runs() const
{
    QList<Run> result;
    QDir out(m_out);
    for (const QString& name : out.entryList({QStringLiteral("run.*")}, QDir::Files, QDir::Name)) {
        QFile file(out.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = file.readAll();
        const QByteArray marker = "--- playlist\n";
        const qsizetype at = text.indexOf(marker);
        Run run;
        run.arguments = QString::fromUtf8(text.left(at)).split(u'\n', Qt::SkipEmptyParts);
        run.playlist = text.mid(at + marker.size());
        result << run;
    }
    return result;
}

bool RegisteredPlayer::waitForRuns(int count) const
{
    QDeadlineTimer deadline(5000);
    while (runs().size() < count && !deadline.hasExpired())
        QTest::qWait(20);
    return runs().size() >= count;
}

void RegisteredPlayer::clear()
{
    QDir out(m_out);
    for (const QString& name : out.entryList(QDir::Files | QDir::Hidden))
        out.remove(name);
}
