// FastSearch on the 100,000-song corpus of the list benchmark, for two keywords typed in lower
// case: "night café" (one plain, one with a letter beyond A to Z; a third of the songs) and
// "zebra quartz" (no song: the statement alone):
//   floor        the same rows found by one SQL statement (a LIKE group per keyword as typed)
//                and the list built from them (buildList: rows, each file stat-ed, the sums);
//   FastSearch   from the text the prompt returns to the list window filled: the plan, the
//                window from the user-list opener, its query (case folded, in stored form),
//                the list built and handed to the window's model, the columns fitted;
//   plan + build the core alone: FastSearch's statement and buildList, without the window;
//   8 groups     the one-LIKE-group-per-case-variant statement (four per keyword), with
//                buildList, for comparison.
// The passes run in turns, seven rounds after one untimed run of each; each figure is the
// median and the fastest of its runs. Every pass must find the same songs.
//
//   FastSearchBench [CORPUS-DIR]   (the corpus is made on the first run, about 1 minute, and kept)
#include "BenchServices.h"
#include "ListCorpus.h"
#include "app/ui/FastSearchCommand.h"
#include "lists/FastSearch.h"
#include "lists/ListBuilder.h"
#include "lists/ListOrder.h"
#include "lists/ListShared.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

using namespace ListCorpus;

namespace {

constexpr int runs = 7;
const QString texts[] = {QStringLiteral("night café"), QStringLiteral("zebra quartz")};

// The prompt answers with the text; nothing else may be asked.
class TypingDialogs final : public PrintingDialogs
{
public:
    std::optional<QString> prompt(const QString&, const QString&, const QString&) override
    {
        return typed;
    }
    QString typed;
};

// The statement run with the window's order and the list built from its rows.
ListBuildResult buildFrom(RQuery& rq, const QString& statement, const QStringList& roots)
{
    rq.close();
    rq.setSql(Statements::withOrder(statement, ListOrder::orderClause(0, 0)));
    rq.open();
    ListBuildResult result = buildList(rq, roots, {});
    rq.close();
    return result;
}

struct Pass
{
    const char* name;
    std::function<QStringList()> run; // the IDs of the rows listed
    std::vector<double> times;
};

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

        QTemporaryDir work;
        const QString home = work.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        const QString table = QDir(dir).filePath(QStringLiteral("home/tamboro.db"));
        if (!QFile::link(table, QDir(home).filePath(QStringLiteral("tamboro.db"))))
            throw EInOutError(QStringLiteral("Cannot link %1").arg(table));

        SongDatabase db(home);
        RQuery rq(db);
        SettingsStore settings(std::make_unique<QSettings>(work.filePath(QStringLiteral("t.conf")),
                                                           QSettings::IniFormat));
        ListShared shared;
        ListContext context;
        context.db = &db;
        context.query = &rq;
        context.settings = &settings;
        context.shared = &shared;
        const QStringList roots{QStringLiteral("/")};
        context.roots = [&roots] { return roots; };
        TypingDialogs dialogs;
        QMdiArea area;
        area.resize(1200, 800);
        area.show();

        auto searchFigures = [&](const QString& typed) {
            const QStringList words = FastSearch::keywords(typed);
            const QString floorStatement = Statements::selectFastSearch(words);
            const QString variantsStatement =
                Statements::selectFastSearch(FastSearch::caseVariants(words));
            const QString qut = FastSearch::plan(typed, FastSearch::Join::Any)->qut;

            std::vector<Pass> passes;
            passes.push_back({"floor: one LIKE statement + buildList",
                              [&] { return buildFrom(rq, floorStatement, roots).ids; },
                              {}});
            passes.push_back({"FastSearch: text to window filled",
                              [&] {
                                  ListWindow* window =
                                      FastSearchCommand::run(context, &area, dialogs);
                                  if (!window)
                                      return QStringList();
                                  const QStringList ids = window->usrHdrs();
                                  delete window->parentWidget();
                                  return ids;
                              },
                              {}});
            passes.push_back({"plan + statement + buildList, no window",
                              [&] {
                                  const auto plan = FastSearch::plan(typed, FastSearch::Join::Any);
                                  return buildFrom(rq, plan->qut, roots).ids;
                              },
                              {}});
            passes.push_back({"8 LIKE groups (case variants) + buildList",
                              [&] { return buildFrom(rq, variantsStatement, roots).ids; },
                              {}});

            QStringList expected;
            for (Pass& pass : passes) {
                QStringList ids = pass.run(); // untimed: warms the page cache and the engine
                ids.sort();
                if (&pass == &passes.front())
                    expected = ids;
                if (ids != expected) {
                    std::fprintf(stderr, "%s lists %lld songs, the floor %lld\n", pass.name,
                                 qlonglong(ids.size()), qlonglong(expected.size()));
                    return false;
                }
            }
            for (int round = 0; round < runs; ++round)
                for (Pass& pass : passes) {
                    const auto start = std::chrono::steady_clock::now();
                    pass.run();
                    pass.times.push_back(secondsSince(start));
                }

            std::printf("FastSearch for \"%s\" over %d songs, every file on disk, warm page cache, "
                        "%d rounds: %lld songs found\n\n",
                        qPrintable(typed), songCount, runs, qlonglong(expected.size()));
            std::printf("  %-44s %9s %9s %9s\n", "pass", "median s", "min s", "x floor");
            const double floorMedian = median(passes.front().times);
            for (const Pass& pass : passes)
                std::printf("  %-44s %9.3f %9.3f %9.2f\n", pass.name, median(pass.times),
                            *std::min_element(pass.times.begin(), pass.times.end()),
                            median(pass.times) / floorMedian);
            std::printf("  FastSearch's statement: %s\n\n", qPrintable(qut));
            return true;
        };
        for (const QString& typed : texts) {
            dialogs.typed = typed;
            if (!searchFigures(typed))
                return 1;
        }
        std::printf("  Goal: FastSearch within 2.00 x the floor's median.\n");
        return dialogs.messages == 0 ? 0 : 1;
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
