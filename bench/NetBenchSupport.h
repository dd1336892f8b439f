#pragma once

// What the message-layer benchmarks share: a loopback address of their own, the role processes
// they start (the same program with a role argument), and the peak memory of such a process.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSocketNotifier>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace NetBench {

// 127.x.y.`host` from the process id: the protocol's fixed port numbers never meet a test or
// another benchmark running at the same time, nor a user's own servers on 127.0.0.1.
inline QHostAddress loopback(int host)
{
    const quint32 pid = static_cast<quint32>(::getpid());
    return QHostAddress((127u << 24) | ((pid & 0xffffu) << 8) | static_cast<quint32>(host & 0xff));
}

// A /proc/<pid>/status value in kB ("VmHWM", "VmRSS"), -1 when missing.
inline long statusKb(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long ownStatusKb(const char* name)
{
    return statusKb(::getpid(), name);
}

// The next whole line the process prints, without its end; empty when it ends or `limit` passes.
inline QByteArray readLine(QProcess& process, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!process.canReadLine()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || process.state() == QProcess::NotRunning)
            return {};
        process.waitForReadyRead(int(left.count()));
    }
    return process.readLine().trimmed();
}

// Starts this program with `arguments` (its role) and waits for its "ready" line; its errors go
// to ours.
inline bool startRole(QProcess& process, const QStringList& arguments)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForStarted(10000))
        return false;
    const QByteArray line = readLine(process, std::chrono::seconds(10));
    if (line != "ready") {
        std::fprintf(stderr, "the %s process did not start: %s\n", qPrintable(arguments.value(0)),
                     line.constData());
        return false;
    }
    return true;
}

// In a role process: calls `onInput` whenever the starting program writes to our standard input
// and ends the event loop when it closes it (or ends itself).
inline void quitWhenInputCloses(QCoreApplication& app, std::function<void()> onInput = {})
{
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(input, &QSocketNotifier::activated, &app, [&app, input, onInput] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input->setEnabled(false);
            app.quit();
        } else if (onInput) {
            onInput();
        }
    });
}

} // namespace NetBench
