// The value files of "Load a list by specifying parameters" on a song table of 100,000 songs:
//   floor      one "select distinct" per kind, each read to the end;
//   build      the five value lists from the song table and the five files written
//              (what the dialog does when "Artists.dat" is missing);
//   read       the five files read back;
//   dialog     the dialog filled from the existing files, as it is on every showing.
// The song table is a copy of the list corpus's in a temporary home, so the corpus stays as it
// is. Each pass runs once untimed, then seven rounds of each in turn; figures are the median
// and the fastest run.
//
//   ParamsBench [CORPUS-DIR]   (the corpus is made on the first run, about 1 minute, and kept)
#include "BenchServices.h"
#include "ListCorpus.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "lists/ValueFiles.h"
#include "lists/ui/ParameterDialog.h"
#include "platform/Errors.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 7;

// The dialog must never ask anything here; an error would be a broken benchmark.
class FailingDialogs final : public PrintingDialogs
{
public:
    Answer message(Kind, const QString& text, const QString&) override { throw EInOutError(text); }
};

int floorPass(SongDatabase& db)
{
    int values = 0;
    for (ValueFiles::Kind kind : ValueFiles::kinds) {
        QSqlQuery query = db.execute(Statements::selectDistinctValues(kind));
        while (query.next()) {
            const QString value = query.value(0).toString();
            values += value.isEmpty() ? 0 : 1;
        }
        db.recycle(std::move(query));
    }
    return values;
}

int count(const ValueFiles::Lists& lists)
{
    int n = 0;
    for (const QStringList& values : lists.values)
        n += int(values.size());
    return n;
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
        if (!QFileInfo::exists(ListCorpus::stampFile(dir)))
            ListCorpus::makeCorpus(dir);
        QTemporaryDir home;
        const QString table = QDir(home.path()).filePath(QStringLiteral("tamboro.db"));
        if (!home.isValid() ||
            !QFile::copy(QDir(dir).filePath(QStringLiteral("home/tamboro.db")), table))
            throw EInOutError(QStringLiteral("Cannot copy the corpus's song table"));
        SongDatabase db(home.path());
        FailingDialogs dialogs;
        ParameterDialog dialog(db, dialogs, nullptr);

        struct Pass
        {
            const char* name;
            std::function<int()> run; // returns the values handled
            std::vector<double> times;
        };
        std::vector<Pass> passes;
        passes.push_back({"floor: select distinct, 5 kinds", [&] { return floorPass(db); }, {}});
        passes.push_back({"build + write the five files",
                          [&] {
                              const ValueFiles::Lists lists = ValueFiles::build(db);
                              ValueFiles::write(home.path(), lists);
                              return count(lists);
                          },
                          {}});
        passes.push_back(
            {"  of which the lists alone", [&] { return count(ValueFiles::build(db)); }, {}});
        passes.push_back(
            {"read the five files", [&] { return count(ValueFiles::read(home.path())); }, {}});
        passes.push_back({"dialog filled from the files",
                          [&] {
                              dialog.formActivate();
                              int n = 0;
                              for (ValueFiles::Kind kind : ValueFiles::kinds)
                                  n += int(dialog.captions(kind).size());
                              return n;
                          },
                          {}});

        std::vector<int> handled;
        for (Pass& pass : passes) // untimed: warms the page cache and the engine
            handled.push_back(pass.run());
        if (handled[1] != handled[2] || handled[2] != handled[3] || handled[3] != handled[4]) {
            std::fprintf(stderr, "The passes disagree: %d built, %d read, %d shown\n", handled[1],
                         handled[3], handled[4]);
            return 1;
        }
        for (int round = 0; round < runs; ++round)
            for (Pass& pass : passes) {
                const auto start = std::chrono::steady_clock::now();
                pass.run();
                pass.times.push_back(secondsSince(start));
            }

        std::printf("Value files of lists by parameters, %d songs, %d values (floor: %d), warm "
                    "page cache, %d rounds\n\n",
                    ListCorpus::songCount, handled[1], handled[0], runs);
        std::printf("  %-36s %9s %9s %9s\n", "pass", "median s", "min s", "x floor");
        const double floorMedian = median(passes.front().times);
        for (const Pass& pass : passes)
            std::printf("  %-36s %9.4f %9.4f %9.2f\n", pass.name, median(pass.times),
                        *std::min_element(pass.times.begin(), pass.times.end()),
                        median(pass.times) / floorMedian);
        std::printf("\n  Goals: build + write within 2.00 x the floor's median; the dialog "
                    "filled from the files in at most 0.3 s.\n");
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
