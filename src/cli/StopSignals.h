#pragma once

#include <QObject>

class QSocketNotifier;

// Ends a long-running command on SIGINT or SIGTERM. The signals are taken out of normal
// delivery and read from a descriptor on the event loop, so no work is done inside a signal
// handler. Construct it before the command starts any thread: the threads inherit the blocked
// signals, so that none of them is killed by one.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    StopSignals();
    ~StopSignals() override;

    // False when the descriptor could not be made (the signals then end the process as usual).
    bool isActive() const { return m_fd >= 0; }

signals:
    // SIGINT or SIGTERM arrived; `number` is which.
    void received(int number);

private:
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
