#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
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
