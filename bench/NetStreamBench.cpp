// A 1 GB stream received to disk by the stream server against the same bytes copied through a
// plain TCP socket pair on loopback.
//
// Usage: NetStreamBench [MEGABYTES [ROUNDS [FOLDER]]]   (default 1024 MB, 5 rounds, a folder
// beside the program). A file of random bytes is made there for the run and removed after it,
// with everything received.
//
// The stream: StreamSender, in a process of its own started for each round, reads the file and
// sends it as one stream frame to TNMStrmServ in a second process that runs for all rounds and
// stores it beside the source; the time is the sender's, from the connect to the receiver's reply
// (which comes once the file is stored and renamed into place). The memory figures are the peak
// resident sizes (VmHWM) of both processes.
//
// The plain pair: POSIX sockets in this process, a thread reading the same file and sending it,
// the receiver writing what arrives to a file on the same disk, 256 KB at a time; timed from the
// connect to the file closed. Once more with fdatasync before the close, as the stream server
// makes its file durable before it answers; and once without writing anything, for reference.
//
// Fairness: the source is read once before timing, so every sender reads it from the page cache;
// before every timed run to disk the previous run's file is removed and the disk synced, so no
// run pays for another's write-back. The kinds take turns, the stream going first in every other
// round; the figures are medians with the fastest round beside.
#include "BenchTiming.h"
#include "NetBenchSupport.h"

#include "net/SockError.h"
#include "net/StreamSender.h"
#include "net/TNMStrmServ.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr quint16 kStreamPort = 6712;
constexpr size_t kPlainChunk = 256 * 1024;
constexpr double kGoal = 1.5;
constexpr long kMemoryGoalKb = 64 * 1024;

[[noreturn]] void die(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

// ---- The receiving process -------------------------------------------------------------------

int receive(QCoreApplication& app, const QHostAddress& address, const QString& folder)
{
    TNMStrmServ server;
    server.BindAddress = address;
    server.Port = kStreamPort;
    int streams = 0;
    QElapsedTimer clock;
    QObject::connect(
        &server, &TNMStrmServ::OnClientContact, &server, [&](ServedConnection* connection) {
            clock.start();
            TNMStrmServ::setTarget(
                connection, QDir(folder).filePath(QStringLiteral("stream-%1.bin").arg(++streams)));
        });
    QObject::connect(&server, &TNMStrmServ::OnMSG, &app,
                     [&](const QString&, const QString& target, qint64 size, const QString&) {
                         std::printf("stored %lld %.3f %s\n", static_cast<long long>(size),
                                     double(clock.nsecsElapsed()) / 1e9, qPrintable(target));
                         std::fflush(stdout);
                     });
    QObject::connect(&server, &TNMStrmServ::failed, &app,
                     [](const QString&, const QString&, const QString& reason) {
                         std::printf("failed %s\n", qPrintable(reason));
                         std::fflush(stdout);
                     });
    if (!server.listen()) {
        std::printf("cannot listen on %s: %s\n", qPrintable(address.toString()),
                    qPrintable(server.errorString()));
        return 1;
    }
    NetBench::quitWhenInputCloses(app);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

// ---- The sending process ---------------------------------------------------------------------

int send(const QHostAddress& address, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        die("cannot open the source");
    std::printf("ready\n");
    std::fflush(stdout);
    StreamSender sender;
    sender.Host = address.toString();
    sender.Port = kStreamPort;
    const auto start = std::chrono::steady_clock::now();
    try {
        const QString reply = sender.send(file, file.size());
        const double seconds = secondsSince(start);
        std::printf("sent %.3f %ld %s\n", seconds, NetBench::ownStatusKb("VmHWM"),
                    qPrintable(reply.trimmed()));
    } catch (const ESockError& error) {
        std::printf("failed %s\n", qPrintable(error.message()));
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

// ---- The driver ------------------------------------------------------------------------------

void makeSource(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        die("cannot make the source file");
    std::mt19937_64 random(42);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < bytes; done += block.size()) {
        auto* words = reinterpret_cast<quint64*>(block.data());
        for (qsizetype w = 0; w < block.size() / qsizetype(sizeof(quint64)); ++w)
            words[w] = random();
        const qint64 part = std::min<qint64>(block.size(), bytes - done);
        if (file.write(block.constData(), part) != part)
            die("cannot write the source file");
    }
}

// Removes what earlier runs received and syncs, so that the next run starts on a quiet disk.
void clearReceived(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("stream-*"), QStringLiteral("plain*")}, QDir::Files))
        dir.remove(name);
    ::sync();
}

enum class PlainSink { Nothing, File, SyncedFile };

// The same bytes through a plain socket pair: a thread reads the source and sends it, this thread
// receives and (unless told otherwise) writes a file. Returns the seconds from the connect to
// the file closed.
double plainPair(const QHostAddress& address, const QString& source, const QString& target,
                 PlainSink sink, qint64 expected)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(address.toIPv4Address());
    socklen_t length = sizeof at;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length) != 0)
        die("plain pair: cannot listen");

    const auto start = std::chrono::steady_clock::now();
    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0)
            die("plain pair: cannot connect");
        const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY);
        std::vector<char> buffer(kPlainChunk);
        ssize_t n;
        while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
            if (!NetBench::sendAll(fd, buffer.data(), size_t(n)))
                die("plain pair: send failed");
        ::close(in);
        ::close(fd);
    });
    const int connection = ::accept(listener, nullptr, nullptr);
    const int out = sink == PlainSink::Nothing ? -1
                                               : ::open(QFile::encodeName(target).constData(),
                                                        O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(kPlainChunk);
    qint64 received = 0;
    ssize_t n;
    while ((n = ::recv(connection, buffer.data(), buffer.size(), 0)) > 0) {
        received += n;
        for (ssize_t written = 0; out >= 0 && written < n;) {
            const ssize_t w = ::write(out, buffer.data() + written, size_t(n - written));
            if (w <= 0)
                die("plain pair: cannot write the file");
            written += w;
        }
    }
    if (sink == PlainSink::SyncedFile)
        ::fdatasync(out);
    if (out >= 0)
        ::close(out);
    const double seconds = secondsSince(start);
    ::close(connection);
    sender.join();
    ::close(listener);
    if (received != expected)
        die("plain pair: bytes missing");
    return seconds;
}

struct StreamRun
{
    double seconds = 0;     // the sender's, connect to reply
    double receiverSeconds; // the receiver's, contact to stored
    long senderPeakKb = 0;
};

StreamRun streamOnce(const QHostAddress& address, const QString& source, QProcess& receiver)
{
    QProcess sender;
    if (!NetBench::startRole(sender, {QStringLiteral("--send"), address.toString(), source}))
        die("the sender did not start");
    const QByteArray sent = NetBench::readLine(sender, std::chrono::minutes(5));
    sender.waitForFinished(10000);
    const QList<QByteArray> fields = sent.split(' ');
    if (fields.value(0) != "sent")
        die(("stream: " + sent).constData());
    const QByteArray stored = NetBench::readLine(receiver, std::chrono::seconds(30));
    const QList<QByteArray> parts = stored.split(' ');
    if (parts.value(0) != "stored")
        die(("stream: " + stored).constData());
    StreamRun run;
    run.seconds = fields.value(1).toDouble();
    run.senderPeakKb = fields.value(2).toLong();
    run.receiverSeconds = parts.value(2).toDouble();
    return run;
}

void printLine(const char* name, const std::vector<double>& times, double megabytes)
{
    const double middle = median(times);
    std::printf("  %-34s %7.3f s  %7.0f MB/s   fastest %7.3f s\n", name, middle, megabytes / middle,
                *std::min_element(times.begin(), times.end()));
}

int drive(QCoreApplication& app)
{
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 1024;
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const QString base = args.size() > 3 ? args[3] : QCoreApplication::applicationDirPath();
    const qint64 bytes = megabytes << 20;

    // The source and one received copy at a time, and room to spare.
    const qint64 needed = 2 * bytes + (512 << 20);
    const qint64 free = QStorageInfo(base).bytesAvailable();
    if (free < needed) {
        std::fprintf(stderr, "%s has %lld MB free; the run needs %lld MB\n", qPrintable(base),
                     static_cast<long long>(free >> 20), static_cast<long long>(needed >> 20));
        return 1;
    }
    QTemporaryDir root(QDir(base).filePath(QStringLiteral("net-stream-bench-XXXXXX")));
    if (!root.isValid())
        die("cannot make the working folder");
    const QString source = root.filePath(QStringLiteral("source.bin"));
    std::printf("Making a %lld MB file in %s (%lld MB free) ...\n",
                static_cast<long long>(megabytes), qPrintable(root.path()),
                static_cast<long long>(free >> 20));
    std::fflush(stdout);
    makeSource(source, bytes);
    ::sync();
    NetBench::warm(source);

    const QHostAddress address = NetBench::loopback(12);
    QProcess receiver;
    if (!NetBench::startRole(receiver,
                             {QStringLiteral("--receive"), address.toString(), root.path()}))
        return 1;

    std::vector<double> plainMemory, plainDisk, plainSynced, stream, streamReceiver;
    long senderPeakKb = 0, receiverPeakKb = 0;
    for (int round = 1; round <= rounds; ++round) {
        plainMemory.push_back(plainPair(address, source, {}, PlainSink::Nothing, bytes));
        StreamRun run;
        const QString plainTarget = root.filePath(QStringLiteral("plain.bin"));
        auto runStream = [&] {
            clearReceived(root.path());
            run = streamOnce(address, source, receiver);
            stream.push_back(run.seconds);
            streamReceiver.push_back(run.receiverSeconds);
        };
        auto runPlain = [&] {
            clearReceived(root.path());
            plainDisk.push_back(plainPair(address, source, plainTarget, PlainSink::File, bytes));
            clearReceived(root.path());
            plainSynced.push_back(
                plainPair(address, source, plainTarget, PlainSink::SyncedFile, bytes));
        };
        if (round % 2) {
            runStream();
            if (round == 1 &&
                !NetBench::sameBytes(source, root.filePath(QStringLiteral("stream-1.bin"))))
                die("the stored stream differs from the source");
            runPlain();
        } else {
            runPlain();
            runStream();
        }
        senderPeakKb = std::max(senderPeakKb, run.senderPeakKb);
        receiverPeakKb = NetBench::statusKb(receiver.processId(), "VmHWM");
        std::printf("round %d: plain pair %.3f s, to disk %.3f s (synced %.3f s), stream %.3f s "
                    "(receiver %.3f s); peak RSS receiver %ld kB, sender %ld kB\n",
                    round, plainMemory.back(), plainDisk.back(), plainSynced.back(), run.seconds,
                    run.receiverSeconds, receiverPeakKb, run.senderPeakKb);
        std::fflush(stdout);
    }
    clearReceived(root.path());
    receiver.closeWriteChannel();
    if (!receiver.waitForFinished(10000))
        receiver.kill();

    const double total = double(megabytes);
    std::printf("\n%lld MB over loopback, %d rounds, medians:\n", static_cast<long long>(megabytes),
                rounds);
    printLine("plain pair, nothing written", plainMemory, total);
    printLine("plain pair to disk", plainDisk, total);
    printLine("plain pair to disk, fdatasync", plainSynced, total);
    printLine("stream to disk (TNMStrmServ)", stream, total);
    const double ratio = median(stream) / median(plainDisk);
    const double syncedRatio = median(stream) / median(plainSynced);
    std::printf("  ratio to the plain pair to disk    %6.2fx  (goal: at most %.1fx) %s\n", ratio,
                kGoal, ratio <= kGoal ? "met" : "MISSED");
    std::printf("  ratio to it with fdatasync         %6.2fx\n", syncedRatio);
    std::printf("  peak RSS: receiver %ld kB (goal: under %ld kB) %s, sender %ld kB\n",
                receiverPeakKb, kMemoryGoalKb, receiverPeakKb < kMemoryGoalKb ? "met" : "MISSED",
                senderPeakKb);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--receive") && args.size() == 4)
        return receive(app, QHostAddress(args[2]), args[3]);
    if (args.value(1) == QLatin1String("--send") && args.size() == 4)
        return send(QHostAddress(args[2]), args[3]);
    return drive(app);
}
