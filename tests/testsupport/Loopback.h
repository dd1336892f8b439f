#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <chrono>

// A loopback address no other test process uses at the same time: 127.x.y.z from the process id
// and a counter. The sharing protocol answers on fixed port numbers, so peers that run at the
// same time keep apart by address, never by port.
QHostAddress uniqueLoopback();

// A plain blocking exchange from a thread of its own, so that the test's event loop (and the
// servers accepting on it) goes on meanwhile: connects to address:port, sends `bytes`, shuts
// its sending side when `closeAfter` is set, and returns everything received until the peer
// closes or `wait` passes. `connected` tells whether the connect succeeded.
struct RawExchange
{
    bool connected = false;
    QByteArray received;
    bool peerClosed = false;
};
RawExchange rawExchange(const QHostAddress& address, quint16 port, const QByteArray& bytes,
                        bool closeAfter, std::chrono::milliseconds wait = std::chrono::seconds(5));

// The number of threads this process runs now.
int processThreadCount();
