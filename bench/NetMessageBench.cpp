// Messages posted one after another with TNMMsg, one connection each, to a TNMMSGServ running in
// a process of its own (the server accepts on its owner's thread, and PostText waits with a
// nested event loop on the caller's: in one thread they would wait for each other).
//
// Usage: NetMessageBench [MESSAGES [ROUNDS]]   (default 1,000 messages, 3 rounds)
//
// Each round posts the messages in a row, each one the text of a search request, and times every
// PostText from the connect to the server's reply; the server counts what it received, and a
// round counts only when every message arrived. The goal is at most 2 s for 1,000 messages.
#include "BenchTiming.h"
#include "NetBenchSupport.h"

#include "net/SockError.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <thread>

namespace {

constexpr quint16 kMessagePort = 6711;
constexpr double kGoalSeconds = 2.0;
constexpr int kGoalMessages = 1000;

// The server's process: counts the messages and tells the count whenever asked on its input.
int serve(QCoreApplication& app, const QHostAddress& address)
{
    TNMMSGServ server;
    server.BindAddress = address;
    server.Port = kMessagePort;
    long received = 0;
    QObject::connect(&server, &TNMMSGServ::OnMSG, &app,
                     [&received](const QString&, const QString&, const QString&) { ++received; });
    if (!server.listen()) {
        std::printf("cannot listen on %s: %s\n", qPrintable(address.toString()),
                    qPrintable(server.errorString()));
        return 1;
    }
    NetBench::quitWhenInputCloses(app, [&received] {
        std::printf("received %ld\n", received);
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

long askCount(QProcess& server)
{
    server.write("count\n");
    server.waitForBytesWritten(1000);
    const QByteArray line = NetBench::readLine(server, std::chrono::seconds(5));
    return line.startsWith("received ") ? line.mid(9).toLong() : -1;
}

int drive(QCoreApplication& app)
{
    const QStringList args = app.arguments();
    const int messages = args.size() > 1 ? args[1].toInt() : kGoalMessages;
    const int rounds = args.size() > 2 ? args[2].toInt() : 3;
    const double goal = kGoalSeconds * messages / kGoalMessages;

    const QHostAddress address = NetBench::loopback(11);
    QProcess server;
    if (!NetBench::startRole(server, {QStringLiteral("--serve"), address.toString()}))
        return 1;

    TNMMsg client;
    client.Host = address.toString();
    client.Port = kMessagePort;
    std::vector<double> totals;
    std::vector<double> all;
    double slowest = 0;
    long expected = 0;
    for (int round = 1; round <= rounds; ++round) {
        std::vector<double> each;
        each.reserve(size_t(messages));
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < messages; ++i) {
            const auto sent = std::chrono::steady_clock::now();
            try {
                const QString reply =
                    client.PostText(QStringLiteral("SEARCH$Artist %1$Title %2").arg(round).arg(i));
                if (reply != QStringLiteral("OK              ")) {
                    std::fprintf(stderr, "message %d: reply \"%s\"\n", i, qPrintable(reply));
                    return 1;
                }
            } catch (const ESockError& error) {
                std::fprintf(stderr, "message %d: %s\n", i, qPrintable(error.message()));
                return 1;
            }
            each.push_back(secondsSince(sent));
        }
        const double total = secondsSince(start);
        expected += messages;
        // The server counts on its main thread after answering: give the last ones a moment.
        long counted = askCount(server);
        for (int wait = 0; counted < expected && wait < 50; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            counted = askCount(server);
        }
        if (counted != expected) {
            std::fprintf(stderr, "the server received %ld of %ld messages\n", counted, expected);
            return 1;
        }
        const double roundMax = *std::max_element(each.begin(), each.end());
        slowest = std::max(slowest, roundMax);
        totals.push_back(total);
        all.insert(all.end(), each.begin(), each.end());
        std::printf("round %d: %d messages in %.3f s, each median %.3f ms, max %.3f ms\n", round,
                    messages, total, median(each) * 1e3, roundMax * 1e3);
        std::fflush(stdout);
    }
    const long serverPeakKb = NetBench::statusKb(server.processId(), "VmHWM");
    server.closeWriteChannel();
    if (!server.waitForFinished(10000))
        server.kill();

    const double worst = *std::max_element(totals.begin(), totals.end());
    std::printf("\n%d messages posted one after another (one connection each), %d rounds:\n",
                messages, rounds);
    std::printf("  total   median %.3f s, slowest round %.3f s  (goal: at most %.1f s) %s\n",
                median(totals), worst, goal, worst <= goal ? "met" : "MISSED");
    std::printf("  each    median %.3f ms, max %.3f ms\n", median(all) * 1e3, slowest * 1e3);
    std::printf("  peak RSS: server %ld kB, client %ld kB\n", serverPeakKb,
                NetBench::ownStatusKb("VmHWM"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--serve") && args.size() == 3)
        return serve(app, QHostAddress(args[2]));
    return drive(app);
}
