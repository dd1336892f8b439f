// "Download" on a row of Internet search results, to the complete file at the chosen target,
// for a 100 MB song served by a running `tamboro3-cli share` on loopback; against the same
// bytes through a plain TCP socket pair.
//
// Usage: DownloadBench [MEGABYTES [ROUNDS [FOLDER]]]   (default 100 MB, 5 rounds, a folder
// beside the program). Everything (the song, both homes, what is received) lives in a temporary
// folder there and is removed after the run.
//
// The download: the main window of the program (offscreen) on a home of its own searches the
// share process once, untimed, through its search window; the results window's "Download"
// (the action Download1) on the song's row is then timed in each round, the save dialog
// answered at once with the target, until the download queue reports the download ended
// without a reason. Its phases come from the program's own signals (the request timer, the
// queue-message timers, the stream's contact) and from the share process's log lines, whose
// times are of the same clock (wall time, in milliseconds).
//
// The plain pair: a process of its own (this program with a role argument, started before the
// clock starts and sending from the share's address) reads the same file and sends it through
// one TCP connection; this process receives it and writes it to a file on the same disk,
// 256 KB at a time, timed from the go to the file closed; once more with fdatasync before the
// close, as the download's receiver makes its file durable before it reports it stored.
//
// Fairness: the song is read once before timing, so every sender reads it from the page cache;
// before every timed run the previous run's file is removed and the disk synced. The kinds take
// turns, the download going first in every other round; the figures are medians. The target's
// bytes are compared with the song's once, after the first download.
#include "BenchServices.h"
#include "BenchTiming.h"
#include "NetBenchSupport.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/UQuery.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "net/DownloadQueue.h"
#include "net/SharingClient.h"
#include "net/ui/DownloadsCommand.h"
#include "net/ui/SearchWindow.h"
#include "platform/Errors.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t kPlainChunk = 256 * 1024;
constexpr double kGoal = 1.5;
const QString kArtist = QStringLiteral("Bench Artist");
const QString kTitle = QStringLiteral("Hundred Megabytes");

[[noreturn]] void die(const QString& what)
{
    std::fprintf(stderr, "DownloadBench: %s\n", qPrintable(what));
    std::exit(1);
}

// ---- The plain pair's sending process ----------------------------------------------------------

sockaddr_in socketAddress(const char* dotted, int port)
{
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, dotted, &at.sin_addr) != 1)
        die(QStringLiteral("not an address: %1").arg(QLatin1String(dotted)));
    return at;
}

// Waits for the go on standard input, then sends the file from `from` to to:port.
int plainSend(const char* from, const char* to, int port, const char* path)
{
    const int in = ::open(path, O_RDONLY);
    if (in < 0)
        die(QStringLiteral("plain pair: cannot open the song"));
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in local = socketAddress(from, 0);
    const sockaddr_in remote = socketAddress(to, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0)
        die(QStringLiteral("plain pair: cannot connect"));
    std::vector<char> buffer(kPlainChunk);
    ssize_t n;
    while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
        if (!NetBench::sendAll(fd, buffer.data(), size_t(n)))
            die(QStringLiteral("plain pair: send failed"));
    ::close(in);
    ::close(fd);
    return 0;
}

// ---- The plain pair's receiving side (this process) ------------------------------------------

void clearReceived(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        dir.remove(name);
    ::sync();
}

// The song through a plain socket pair into `target`; the seconds from the go to the file
// closed (synced first when `synced`).
double plainPair(const QHostAddress& sender, const QHostAddress& receiver, const QString& song,
                 const QString& target, bool synced, qint64 expected)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at = socketAddress(qPrintable(receiver.toString()), 0);
    socklen_t length = sizeof at;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length) != 0)
        die(QStringLiteral("plain pair: cannot listen"));

    QProcess process;
    if (!NetBench::startRole(process,
                             {QStringLiteral("--plain-send"), sender.toString(),
                              receiver.toString(), QString::number(ntohs(at.sin_port)), song}))
        die(QStringLiteral("the plain sender did not start"));
    clearReceived(QFileInfo(target).path());

    const auto start = std::chrono::steady_clock::now();
    process.write("go\n");
    process.waitForBytesWritten(10000);
    const int connection = ::accept(listener, nullptr, nullptr);
    const int out =
        ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (connection < 0 || out < 0)
        die(QStringLiteral("plain pair: no connection or no file"));
    std::vector<char> buffer(kPlainChunk);
    qint64 received = 0;
    ssize_t n;
    while ((n = ::recv(connection, buffer.data(), buffer.size(), 0)) > 0) {
        received += n;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, buffer.data() + written, size_t(n - written));
            if (w <= 0)
                die(QStringLiteral("plain pair: cannot write the file"));
            written += w;
        }
    }
    if (synced)
        ::fdatasync(out);
    ::close(out);
    const double seconds = secondsSince(start);
    ::close(connection);
    ::close(listener);
    process.closeWriteChannel();
    if (!process.waitForFinished(10000))
        process.kill();
    if (received != expected)
        die(QStringLiteral("plain pair: %1 of %2 bytes arrived").arg(received).arg(expected));
    return seconds;
}

// ---- Setting up --------------------------------------------------------------------------------

// `bytes` of a pattern that shows a byte out of place.
void makeSong(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        die(QStringLiteral("cannot make the song"));
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < bytes; done += block.size()) {
        for (qsizetype k = 0; k < block.size(); ++k) {
            const qint64 i = done + k;
            block[k] = static_cast<char>((i * 131 + i / 251) & 0xff);
        }
        const qint64 part = std::min<qint64>(block.size(), bytes - done);
        if (file.write(block.constData(), part) != part)
            die(QStringLiteral("cannot write the song"));
    }
}

// The share's home: a song table holding the song as a hard-disk song.
void makeShareHome(const QString& home, const QString& song)
{
    QDir().mkpath(home);
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));
    SongDatabase db(home);
    Song row{kArtist,
             kTitle,
             song,
             QStringLiteral("1:49:13"),
             QStringLiteral("Disk!"),
             QStringLiteral("Pop"),
             QStringLiteral("Bench"),
             QStringLiteral("128"),
             QStringLiteral("44100"),
             QString(),
             QStringLiteral("2024")};
    UQuery uq(db);
    uq.setSql(Statements::insertSong(row.storedForm()));
    uq.execSQL();
}

// `tamboro3-cli share` on the share's home, listening on `address`; its log stays in its
// standard error for the phases.
void startShare(QProcess& share, const QString& home, const QHostAddress& address)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBORO_HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral("config")));
    share.setProcessEnvironment(env);
    share.start(QStringLiteral(T3_CLI_PATH),
                {QStringLiteral("share"), QStringLiteral("--bind"), address.toString()});
    const QByteArray line = NetBench::readLine(share, std::chrono::seconds(10));
    if (!line.startsWith("Sharing 1 "))
        die(QStringLiteral("the share did not start: %1 %2")
                .arg(QString::fromUtf8(line), QString::fromUtf8(share.readAllStandardError())));
}

void stopShare(QProcess& share)
{
    if (share.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(share.processId()), SIGTERM);
    if (!share.waitForFinished(5000))
        share.kill();
}

// The save dialog answered at once with the round's target; any message fails the run.
class SaveAsDialogs : public PrintingDialogs
{
public:
    QString target;
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override
    {
        return target;
    }
};

// Runs the event loop until `done` holds or `limit` passes.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// The results window of a search of the share for the song, through the search window.
ListWindow* searchShare(MainWindow& window, const QHostAddress& share)
{
    const qsizetype before = window.listWindows().size();
    QTimer::singleShot(0, &window, [&window, share] {
        auto* form = window.findChild<SearchWindow*>(QStringLiteral("Form16"));
        if (!form)
            die(QStringLiteral("no search window"));
        form->findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->setChecked(true);
        form->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setEditText(share.toString());
        form->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(kArtist);
        form->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(kTitle);
        form->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click();
    });
    // Never held by a search window that stays open.
    QTimer::singleShot(std::chrono::seconds(15), &window, [&window] {
        if (auto* form = window.findChild<SearchWindow*>(QStringLiteral("Form16")))
            form->reject();
    });
    window.findChild<QAction*>(QStringLiteral("SearchanInternetbasedPersonalTamboroServer1"))
        ->trigger();
    if (!waitFor([&] { return window.listWindows().size() > before; }, std::chrono::seconds(10)))
        die(QStringLiteral("no results window"));
    ListWindow* list = window.listWindows().value(before);
    if (!list || list->model()->rowCount() != 1)
        die(QStringLiteral("the results window does not hold the song"));
    list->listView()->selectionModel()->select(list->model()->index(0, 0),
                                               QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    return list;
}

// ---- The download's phases ---------------------------------------------------------------------

// Milliseconds after "Download", per phase; -1 when the phase was not seen.
struct DownloadRun
{
    double total = 0;
    double requestPosted = -1; // RequestDl fired and "DOWNLOAD$" posted
    double enqueued = -1;      // EnqueueTimer fired
    double getItPosted = -1;   // Startdownload fired and "GETIT$" posted
    double streamStarted = -1; // the sender connected
    double stored = -1;        // the queue reported the download ended
    // From the share's log.
    double serverQueued = -1, serverOffered = -1, serverSending = -1, serverSent = -1;
    QString reason;
    bool ended = false;
};

// The share's log lines of one download ("<time> <peer> <verb> <fields>: <outcome>"), as
// milliseconds after `clickMs` (wall time).
void readShareLog(const QByteArray& log, qint64 clickMs, DownloadRun& run)
{
    for (const QByteArray& raw : log.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space < 0)
            continue;
        const QDateTime at = QDateTime::fromString(line.left(space), Qt::ISODateWithMs);
        if (!at.isValid())
            continue;
        const double ms = double(at.toMSecsSinceEpoch() - clickMs);
        const QStringList words = line.split(QLatin1Char(' '));
        const QString verb = words.value(2);
        if (verb == QLatin1String("DOWNLOAD$") && line.endsWith(QLatin1String(": queued")))
            run.serverQueued = ms;
        else if (verb == QLatin1String("INCOMING$") && line.endsWith(QLatin1String(": offered")))
            run.serverOffered = ms;
        else if (verb == QLatin1String("GETIT$") && line.contains(QLatin1String(": sending ")))
            run.serverSending = ms;
        else if (verb == QLatin1String("stream") && line.endsWith(QLatin1String(": sent")))
            run.serverSent = ms;
    }
}

struct DownloadProbe
{
    std::chrono::steady_clock::time_point click;
    DownloadRun run;

    double now() const { return secondsSince(click) * 1000.0; }

    void watch(MainWindow& window)
    {
        DownloadQueue& queue = window.downloads()->queue();
        SharingClient& sharing = *window.sharing();
        // Connected after the program's own handlers, so each time is that of the step done.
        QObject::connect(queue.RequestDl(), &QTimer::timeout, &queue,
                         [this] { run.requestPosted = now(); });
        QObject::connect(sharing.EnqueueTimer(), &QTimer::timeout, &queue,
                         [this] { run.enqueued = now(); });
        QObject::connect(sharing.Startdownload(), &QTimer::timeout, &queue,
                         [this] { run.getItPosted = now(); });
        QObject::connect(&sharing, &SharingClient::streamStarted, &queue,
                         [this] { run.streamStarted = now(); });
        QObject::connect(&queue, &DownloadQueue::downloadEnded, &queue,
                         [this](const DownloadEntry&, const QString& reason) {
                             run.stored = now();
                             run.total = run.stored / 1000.0;
                             run.reason = reason;
                             run.ended = true;
                         });
    }
};

DownloadRun downloadOnce(MainWindow& window, QAction* download, SaveAsDialogs& dialogs,
                         DownloadProbe& probe, QProcess& share, const QString& target, qint64 bytes)
{
    clearReceived(QFileInfo(target).path());
    share.readAllStandardError();
    dialogs.target = target;
    probe.run = {};
    const qint64 clickMs = QDateTime::currentMSecsSinceEpoch();
    probe.click = std::chrono::steady_clock::now();
    download->trigger();
    if (!waitFor([&] { return probe.run.ended; }, std::chrono::minutes(5)))
        die(QStringLiteral("the download did not end within 5 minutes"));
    // Outside the timing: the exchange's timers still running (the "ENQUEUED$" one outlasts a
    // quick download) fire within their own round, not in the next one.
    SharingClient& sharing = *window.sharing();
    waitFor(
        [&] {
            return !sharing.EnqueueTimer()->isActive() && !sharing.Startdownload()->isActive() &&
                   !sharing.Later()->isActive() &&
                   !window.downloads()->queue().RequestDl()->isActive();
        },
        std::chrono::seconds(5));
    DownloadRun run = probe.run;
    if (!run.reason.isEmpty())
        die(QStringLiteral("the download failed: %1").arg(run.reason));
    if (QFileInfo(target).size() != bytes)
        die(QStringLiteral("the stored file has %1 bytes").arg(QFileInfo(target).size()));
    if (dialogs.messages > 0)
        die(QStringLiteral("the download showed a message"));
    // The share logs the end of its stream once the receiver's answer is in.
    QByteArray log;
    waitFor(
        [&] {
            log += share.readAllStandardError();
            return log.contains(": sent\n");
        },
        std::chrono::seconds(5));
    readShareLog(log, clickMs, run);
    if (!window.downloads()->queue().entries().isEmpty())
        die(QStringLiteral("the queue is not empty after the download"));
    return run;
}

// ---- The driver --------------------------------------------------------------------------------

double medianOf(const std::vector<DownloadRun>& runs, double DownloadRun::*field)
{
    std::vector<double> values;
    for (const DownloadRun& run : runs)
        if (run.*field >= 0)
            values.push_back(run.*field);
    return values.empty() ? -1 : median(values);
}

// `megabytes` 0: no rate (a wait).
void printLine(const char* name, const std::vector<double>& times, double megabytes)
{
    const double middle = median(times);
    std::printf("  %-40s %7.3f s  ", name, middle);
    if (megabytes > 0)
        std::printf("%6.0f MB/s", megabytes / middle);
    else
        std::printf("%11s", "");
    std::printf("   fastest %7.3f s\n", *std::min_element(times.begin(), times.end()));
}

void printPhase(const char* name, double ms)
{
    if (ms < 0)
        std::printf("  %-58s %8s\n", name, "not seen");
    else
        std::printf("  %-58s %8.1f ms\n", name, ms);
}

void printRatio(const char* name, double ratio, bool goal)
{
    std::printf("  %-40s %6.2fx", name, ratio);
    if (goal)
        std::printf("  (goal: at most %.1fx) %s", kGoal, ratio <= kGoal ? "met" : "MISSED");
    std::printf("\n");
}

int drive(QApplication& app)
{
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 100;
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const QString base = args.size() > 3 ? args[3] : QCoreApplication::applicationDirPath();
    const qint64 bytes = megabytes << 20;

    const qint64 needed = 2 * bytes + (256 << 20);
    const qint64 free = QStorageInfo(base).bytesAvailable();
    if (free < needed)
        die(QStringLiteral("%1 has %2 MB free; the run needs %3 MB")
                .arg(base)
                .arg(free >> 20)
                .arg(needed >> 20));
    QTemporaryDir root(QDir(base).filePath(QStringLiteral("download-bench-XXXXXX")));
    if (!root.isValid())
        die(QStringLiteral("cannot make the working folder"));
    const QString shareHome = root.filePath(QStringLiteral("share-home"));
    const QString clientHome = root.filePath(QStringLiteral("client-home"));
    const QString clientWork = root.filePath(QStringLiteral("client-work"));
    const QString received = root.filePath(QStringLiteral("received"));
    for (const QString& folder : {shareHome, clientHome, clientWork, received})
        QDir().mkpath(folder);
    const QString song = root.filePath(QStringLiteral("music/Bench Artist - Hundred.mp3"));
    QDir().mkpath(QFileInfo(song).path());
    std::printf("Making a %lld MB song in %s ...\n", static_cast<long long>(megabytes),
                qPrintable(root.path()));
    std::fflush(stdout);
    makeSong(song, bytes);
    makeShareHome(shareHome, song);
    ::sync();
    NetBench::warm(song);

    // Like two computers: the share on one loopback address, the user on another.
    const QHostAddress shareAddress = NetBench::loopback(2);
    const QHostAddress userAddress = NetBench::loopback(3);
    QProcess share;
    startShare(share, shareHome, shareAddress);

    SongDatabase::createSongTable(QDir(clientHome).filePath(QStringLiteral("tamboro.db")));
    BenchApp bench(clientHome, clientWork);
    SaveAsDialogs dialogs;
    bench.services.dialogs = &dialogs;
    bench.settings.setText(QLatin1String(SettingsStore::SharingAddress), userAddress.toString());
    // Nobody listens there: the run never asks a central server.
    bench.settings.setText(QLatin1String(SettingsStore::CentralServer),
                           NetBench::loopback(4).toString());
    int code = 0;
    {
        MainWindow window(bench.services);
        window.show();
        QApplication::processEvents();
        ListWindow* results = searchShare(window, shareAddress);
        auto* download = results->findChild<QAction*>(QStringLiteral("Download1"));
        if (!download)
            die(QStringLiteral("the results window has no Download"));
        DownloadProbe probe;
        probe.watch(window);

        const QString target = QDir(received).filePath(QStringLiteral("download.mp3"));
        const QString plainTarget = QDir(received).filePath(QStringLiteral("plain.bin"));
        std::vector<DownloadRun> downloads;
        std::vector<double> plain, plainSynced;
        for (int round = 1; round <= rounds; ++round) {
            auto runDownload = [&] {
                downloads.push_back(
                    downloadOnce(window, download, dialogs, probe, share, target, bytes));
                if (round == 1 && !NetBench::sameBytes(song, target))
                    die(QStringLiteral("the downloaded file differs from the song"));
            };
            auto runPlain = [&] {
                plain.push_back(
                    plainPair(shareAddress, userAddress, song, plainTarget, false, bytes));
                plainSynced.push_back(
                    plainPair(shareAddress, userAddress, song, plainTarget, true, bytes));
            };
            if (round % 2) {
                runDownload();
                runPlain();
            } else {
                runPlain();
                runDownload();
            }
            const DownloadRun& run = downloads.back();
            std::printf("round %d: download %.3f s (waiting %.3f s, transfer %.3f s), plain pair "
                        "%.3f s, with fdatasync %.3f s\n",
                        round, run.total, run.streamStarted / 1000.0,
                        run.total - run.streamStarted / 1000.0, plain.back(), plainSynced.back());
            std::fflush(stdout);
        }
        clearReceived(received);

        std::vector<double> totals, waits, transfers;
        for (const DownloadRun& run : downloads) {
            totals.push_back(run.total);
            waits.push_back(run.streamStarted / 1000.0);
            transfers.push_back(run.total - run.streamStarted / 1000.0);
        }
        const double total = double(megabytes);
        std::printf("\n\"Download\" of a %lld MB song from a running share on loopback, %d "
                    "rounds, medians:\n",
                    static_cast<long long>(megabytes), rounds);
        printLine("plain pair to disk", plain, total);
        printLine("plain pair to disk, fdatasync", plainSynced, total);
        printLine("\"Download\" to the stored file (total)", totals, total);
        printLine("  waiting before the stream", waits, 0);
        printLine("  the transfer itself", transfers, total);

        std::printf("\nPhases of the download, ms after \"Download\" (medians; server: its log):"
                    "\n");
        printPhase("DOWNLOAD$ posted (RequestDl, a 250 ms one-shot)",
                   medianOf(downloads, &DownloadRun::requestPosted));
        printPhase("server: DOWNLOAD$ queued, ENQUEUED$ being posted",
                   medianOf(downloads, &DownloadRun::serverQueued));
        printPhase("server: ENQUEUED$ answered, INCOMING$ offered",
                   medianOf(downloads, &DownloadRun::serverOffered));
        printPhase("GETIT$ posted (Startdownload, 250 ms after INCOMING$)",
                   medianOf(downloads, &DownloadRun::getItPosted));
        printPhase("server: GETIT$ taken, stream being sent",
                   medianOf(downloads, &DownloadRun::serverSending));
        printPhase("stream connected (streamStarted)",
                   medianOf(downloads, &DownloadRun::streamStarted));
        printPhase("ENQUEUED$ handled (EnqueueTimer, 500 ms, not waited for)",
                   medianOf(downloads, &DownloadRun::enqueued));
        printPhase("stored, download ended", medianOf(downloads, &DownloadRun::stored));
        printPhase("server: stream sent (answer received)",
                   medianOf(downloads, &DownloadRun::serverSent));
        // The two one-shot timers as they ran (Qt's coarse timers may fire up to 5% early),
        // each with the post it makes; the rest is the messages and the server's own work.
        std::vector<double> timers, rest;
        for (const DownloadRun& run : downloads) {
            if (run.serverOffered < 0)
                continue;
            const double spent = run.requestPosted + (run.getItPosted - run.serverOffered);
            timers.push_back(spent);
            rest.push_back(run.streamStarted - spent);
        }
        std::printf("  of the wait, the two one-shot timers (250 ms each, as they ran) %.1f ms, "
                    "the rest %.1f ms\n",
                    median(timers), median(rest));

        std::printf("\nRatios:\n");
        printRatio("total to the plain pair", median(totals) / median(plain), true);
        printRatio("total to the plain pair, fdatasync", median(totals) / median(plainSynced),
                   true);
        printRatio("transfer to the plain pair", median(transfers) / median(plain), false);
        printRatio("transfer to the plain pair, fdatasync", median(transfers) / median(plainSynced),
                   false);
        if (dialogs.messages > 0)
            code = 1;
    }
    stopShare(share);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--plain-send") == 0)
        return plainSend(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        return drive(app);
    } catch (...) {
        std::fprintf(stderr, "DownloadBench: %s\n", qPrintable(currentErrorText()));
        return 1;
    }
}
