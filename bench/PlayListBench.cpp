// "Play List" (F3) on a list window of 100,000 songs, from the command to the started player:
// the playlist of every row whose file exists, the play counts of all of them, and the
// player's command started. The play-count statements (one transaction) are timed on their
// own beside it. The player is /bin/true, so the figure is ours, not a player's start-up.
//
//   PlayListBench [COUNT]    (COUNT songs, 100,000 unless given; their files are empty files
//                             in a temporary folder, made in a few seconds)
#include "BenchServices.h"
#include "BenchTiming.h"
#include "app/ui/MainWindow.h"
#include "app/ui/PlayCommands.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "lists/PlayHandoff.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/Errors.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int runs = 5;

class TruePlayer final : public ShellVerbs
{
public:
    PlayerCommands read() const override
    {
        return {QStringLiteral("/bin/true %U"), QStringLiteral("/bin/true --enqueue %U")};
    }
};

void makeCorpus(const QString& home, const QString& folder, int count)
{
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));
    SongDatabase db(home);
    UQuery insert(db);
    Transaction transaction(db);
    for (int n = 0; n < count; ++n) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("%1/song %2.mp3").arg(n / 1000).arg(n));
        if (n % 1000 == 0)
            QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw EInOutError(QStringLiteral("Cannot write %1").arg(path));
        Song song;
        song.artist = QStringLiteral("Artist %1").arg(n % 500);
        song.title = QStringLiteral("Song %1").arg(n);
        song.filename = path;
        song.trackLength = QStringLiteral("0:03:00");
        song.location = QStringLiteral("Disk!");
        insert.setSql(Statements::insertSong(song.storedForm()));
        insert.execSQL();
    }
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int count = args.isEmpty() ? 100000 : args.first().toInt();
    try {
        QTemporaryDir work;
        const QString home = work.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        std::fprintf(stderr, "making %d songs...\n", count);
        makeCorpus(home, work.filePath(QStringLiteral("songs")), count);

        BenchApp bench(home, work.path());
        TruePlayer player;
        bench.services.shellVerbs = &player;
        MainWindow window(bench.services);
        window.show();
        QApplication::processEvents();
        window.findChild<QAction*>(QStringLiteral("Wholedatabase1"))->trigger();
        ListWindow* list = window.listWindows().value(0);
        if (!list || list->model()->rowCount() != count)
            throw TamboroError(QStringLiteral("The whole database did not open"));
        QAction* playList = list->action(ListWindow::Command::PlayList);

        std::vector<double> commands;
        std::vector<double> statements;
        for (int run = 0; run <= runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            playList->trigger();
            const double seconds = secondsSince(start);
            const QString expected = QString::number(run + 1);
            if (window.playCommands()->lastCommand().isEmpty() ||
                list->model()->entry(count - 1).value(ListEntry::Played) != expected)
                throw TamboroError(QStringLiteral("Play List did not start the player"));

            // The statements alone: the same counts written again, in one transaction.
            PlayHandoff::Prepared prepared = PlayHandoff::prepareAll(list->model()->entries());
            for (PlayHandoff::Count& c : prepared.counts)
                --c.played;
            SongDatabase db(home);
            const auto statementStart = std::chrono::steady_clock::now();
            PlayHandoff::raiseCounts(db, prepared);
            const double statementSeconds = secondsSince(statementStart);
            if (run > 0) { // the first run warms the page cache and the engine
                commands.push_back(seconds);
                statements.push_back(statementSeconds);
            }
        }
        if (bench.dialogs.messages > 0)
            throw TamboroError(QStringLiteral("The runs showed messages"));

        std::printf("\"Play List\" on a window of %d songs, median (max) of %d runs\n", count,
                    runs);
        std::printf("  command to started player  %7.3f s (%.3f s)  (goal: at most 2 s)\n",
                    median(commands), *std::max_element(commands.begin(), commands.end()));
        std::printf(
            "  play-count statements      %7.3f s (%.3f s)  (%d updates, one transaction)\n",
            median(statements), *std::max_element(statements.begin(), statements.end()), count);
        return 0;
    } catch (...) {
        std::fprintf(stderr, "PlayListBench: %s\n", qPrintable(currentErrorText()));
        return 1;
    }
}
