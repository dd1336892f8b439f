#include "cli/StopSignals.h"

#include <QSocketNotifier>

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

StopSignals::StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    m_fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_fd < 0) {
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            emit received(static_cast<int>(info.ssi_signo));
    });
}

StopSignals::~StopSignals()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}
