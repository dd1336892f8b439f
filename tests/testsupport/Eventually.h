#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <functional>

// Runs the event loop until `done` holds or `limit` passes; tells whether it held. For GoogleTest
// assertions (ASSERT_TRUE(eventually(...))): Qt's QTRY_ macros report to Qt's own test runner
// and would let a GoogleTest case pass on a time-out.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    const QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for `span`.
inline void spinFor(std::chrono::milliseconds span)
{
    eventually([] { return false; }, span);
}
