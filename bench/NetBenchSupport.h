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
#include <cstring>
#include <functional>
#include <sys/socket.h>
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

// Whether two files hold the same bytes.
inline bool sameBytes(const QString& a, const QString& b)
{
    QFile one(a), two(b);
    if (!one.open(QIODevice::ReadOnly) || !two.open(QIODevice::ReadOnly) ||
        one.size() != two.size())
        return false;
    QByteArray x(4 << 20, Qt::Uninitialized), y(4 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = one.read(x.data(), x.size());
        if (n != two.read(y.data(), y.size()))
            return false;
        if (n <= 0)
            return n == 0;
        if (std::memcmp(x.constData(), y.constData(), size_t(n)) != 0)
            return false;
    }
}

// Reads a file once, so that the timed runs find it in the page cache.
inline void warm(const QString& path)
{
    QFile file(path);
    QByteArray buffer(8 << 20, Qt::Uninitialized);
    if (file.open(QIODevice::ReadOnly))
        while (file.read(buffer.data(), buffer.size()) > 0) {
        }
}

// Sends all `size` bytes on the socket `fd`; false when the peer is gone.
inline bool sendAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace NetBench
