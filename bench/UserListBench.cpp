// Opening a user list file of 10,000 lines over a song table of 100,000 songs, to the filled
// window, against the way the lines are matched in the song table's own terms:
//   matching       the songs the lines find (UserListMatch::matchingIds);
//   open           UserListCommands::openFile: the file read, the songs found, their rows
//                  built into a list window (offscreen);
//   like, sampled  one "filename like" term per line in one statement, timed for 100 lines and
//                  scaled to the 10,000 (the whole statement would run for minutes).
// The lines are the stored names of 10,000 songs picked at random, each moved to another folder
// of its medium, so that every line is found through its medium and file name.
//
//   UserListBench [CORPUS-DIR]     (the corpus of ListBench, made on the first run and kept)
#include "ListCorpus.h"
#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/ListShared.h"
#include "lists/UserLists.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "lists/ui/UserListCommands.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace ListCorpus;

constexpr int lineCount = 10'000;
constexpr int sampledLines = 100;
constexpr int runs = 5;

QStringList pickLines(SongDatabase& db)
{
    RQuery rq(db);
    rq.setSql(Statements::selectAllById());
    rq.open();
    QStringList names;
    for (rq.first(); !rq.eof(); rq.next())
        names << rq.field(SongColumn::Filename);
    rq.close();
    QRandomGenerator random(7);
    QStringList lines;
    for (int i = 0; i < lineCount; ++i) {
        const QString name = names.at(int(random.bounded(int(names.size()))));
        lines << QStringLiteral("/moved/elsewhere") + name.mid(name.lastIndexOf(QLatin1Char('/')));
    }
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (!QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);
        SongDatabase db(QDir(dir).filePath(QStringLiteral("home")));
        RQuery rq(db);
        const QStringList lines = pickLines(db);
        QTemporaryDir scratch;
        const QString file = scratch.filePath(QStringLiteral("list.tb3"));
        UserListFile::save(file, lines);

        SettingsStore settings(std::make_unique<QSettings>(
            scratch.filePath(QStringLiteral("s.ini")), QSettings::IniFormat));
        ListShared shared;
        ListContext context;
        context.db = &db;
        context.query = &rq;
        context.settings = &settings;
        context.shared = &shared;
        context.roots = [] { return QStringList{QStringLiteral("/")}; };
        QMdiArea area;

        std::vector<double> matching, opening;
        int found = 0, rows = 0;
        for (int round = 0; round <= runs; ++round) {
            auto start = std::chrono::steady_clock::now();
            found = int(UserListMatch::matchingIds(db, lines).size());
            const double matched = secondsSince(start);

            start = std::chrono::steady_clock::now();
            ListWindow* window = UserListCommands::openFile(context, &area, file);
            rows = window->model()->rowCount();
            const double opened = secondsSince(start);
            delete window->parentWidget();
            if (round > 0) { // the first round warms the page cache and the engine
                matching.push_back(matched);
                opening.push_back(opened);
            }
        }

        const QStringList sample = lines.mid(0, sampledLines);
        auto start = std::chrono::steady_clock::now();
        rq.close();
        rq.setSql(UserLists::fileNameQuery(sample));
        rq.open();
        int sampleRows = 0;
        for (rq.first(); !rq.eof(); rq.next())
            ++sampleRows;
        rq.close();
        const double likeSeconds = secondsSince(start) * (double(lineCount) / sampledLines);

        std::printf("Opening a user list of %d lines over %d songs (%d songs found, %d rows), "
                    "%d rounds\n\n",
                    lineCount, songCount, found, rows, runs);
        std::printf("  %-46s %9s %9s\n", "pass", "median s", "min s");
        std::printf("  %-46s %9.3f %9.3f\n", "matching the lines (matchingIds)", median(matching),
                    *std::min_element(matching.begin(), matching.end()));
        std::printf("  %-46s %9.3f %9.3f\n", "open: file to filled window", median(opening),
                    *std::min_element(opening.begin(), opening.end()));
        std::printf("  %-46s %9.1f %9s\n", "one like term per line, scaled from 100 lines",
                    likeSeconds, "-");
        std::printf("\n  Goal: open within 1 s.\n");
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
