#include "testsupport/Loopback.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

QHostAddress uniqueLoopback()
{
    static std::atomic<int> next{2};
    const quint32 pid = static_cast<quint32>(::getpid());
    const int host = next++;
    // 127.0.0.1 stays out of it: it is where a user's own servers may run.
    return QHostAddress((127u << 24) | ((pid & 0xffffu) << 8) |
                        static_cast<quint32>(host % 254 + 2));
}

namespace {

RawExchange exchange(quint32 address, quint16 port, QByteArray bytes, bool closeAfter,
                     std::chrono::milliseconds wait)
{
    RawExchange result;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return result;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return result;
    }
    result.connected = true;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    if (closeAfter)
        ::shutdown(fd, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            result.peerClosed = true;
            break;
        }
        result.received.append(buffer, n);
    }
    ::close(fd);
    return result;
}

} // namespace

RawExchange rawExchange(const QHostAddress& address, quint16 port, const QByteArray& bytes,
                        bool closeAfter, std::chrono::milliseconds wait)
{
    auto future = std::async(std::launch::async, exchange, address.toIPv4Address(), port, bytes,
                             closeAfter, wait);
    while (future.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return future.get();
}

int processThreadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}
