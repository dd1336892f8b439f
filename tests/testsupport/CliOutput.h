#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

// Helpers for tests that run the command-line program.

// The whole content of a file, empty when it cannot be read.
inline QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The JSON objects of --json output, one per line; a line that is not JSON fails the test.
inline QList<QJsonObject> records(const QByteArray& out)
{
    QList<QJsonObject> result;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        result << doc.object();
    }
    return result;
}

// What one run of the command-line program gave.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs tamboro3-cli on the home `home` with `args` and waits for it to end.
inline CliRun runCli(const QString& home, const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"),
                  QStringList{QStringLiteral("--home"), home} + args);
    EXPECT_TRUE(process.waitForFinished(60000)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
