#pragma once

// Running sharing servers for tests: share and central processes of tamboro3-cli, each on a
// loopback address of its own.
#include "testsupport/Eventually.h"
#include "testsupport/Loopback.h"
#include "testsupport/ServerProcess.h"
#include "testsupport/ShareHome.h"

#include <QFile>
#include <QHostAddress>

#include <memory>

// A share process over a home of its own. The share reads its song table for every request, so
// songs may be added after it started.
struct RunningShare
{
    explicit RunningShare(const QStringList& extra = {})
    {
        server = std::make_unique<ServerProcess>(
            home.home,
            QStringList{QStringLiteral("share"), QStringLiteral("--bind"), address.toString()} +
                extra);
    }
    QString name() const { return address.toString(); }
    qint64 pid() const { return server->process.processId(); }

    QHostAddress address = uniqueLoopback();
    ShareHome home;
    std::unique_ptr<ServerProcess> server;
};

// A central process on `address`.
struct RunningCentral
{
    explicit RunningCentral(const QHostAddress& at = uniqueLoopback())
        : address(at)
    {}
    QString name() const { return address.toString(); }
    // Waits until `shares` shares have registered.
    bool registered(int shares)
    {
        return eventually([&] { return server.count(": registered") == shares; });
    }

    TempHome home;
    QHostAddress address;
    ServerProcess server{home,
                         {QStringLiteral("central"), QStringLiteral("--bind"), address.toString()}};
};

inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
