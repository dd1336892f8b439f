// The HTML page of a 100,000-row list window against its floor, the bytes of the same page
// written to a file:
//   floor      the page's bytes written with one QFile write (open, write, close);
//   floor+sync the same bytes through QSaveFile, which also syncs them to the disk and puts
//              the file in place, as the export does (shown for reference);
//   read rows  only the characters of the values the page shows read from the rows;
//   make       MakeHTML alone, the page built in memory;
//   export     MakeHTML and the page saved, as "Generate" and `export-html` do.
// Reading the values out of the rows (each a block of its own on the heap) and the sync of the
// saved file cost more than a bare write of the bytes, so the last line also sets the export
// against the sum of the two.
// Both styles: the list with the options window's default fields, and the table with every
// field. The rows are those of the whole-database window of the list corpus, built once and
// not timed. The passes run in turns, seven rounds after one untimed run of each; each figure
// is the median and the fastest of its runs.
//
//   HtmlExportBench [CORPUS-DIR]     (the corpus is made on the first run and kept)
#include "ListCorpus.h"
#include "export/HtmlExport.h"
#include "lists/ListBuilder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace ListCorpus;

constexpr int runs = 7;
volatile unsigned readSink = 0;

struct Figure
{
    const char* name;
    std::function<void()> pass;
    std::vector<double> seconds;
};

void writeFloor(const QByteArray& bytes, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Cannot write %1").arg(path));
    file.close();
}

void writeSynced(const QByteArray& bytes, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write %1").arg(path));
}

void runStyle(const char* title, const ListBuildResult& list, const HtmlExport::Options& options,
              const QString& outDir)
{
    const QStringList panels = list.panels();
    const QByteArray bytes = HtmlExport::MakeHTML(list.rows, panels, options);
    const QString floorPath = QDir(outDir).filePath(QStringLiteral("floor.htm"));
    const QString syncPath = QDir(outDir).filePath(QStringLiteral("synced.htm"));
    const QString pagePath = QDir(outDir).filePath(QStringLiteral("page.htm"));

    std::vector<Figure> figures = {
        {"floor", [&] { writeFloor(bytes, floorPath); }, {}},
        {"floor+sync", [&] { writeSynced(bytes, syncPath); }, {}},
        {"read rows",
         [&] {
             // Only reading the characters of the chosen values: what any page of the rows
             // must at least do.
             unsigned sum = 0;
             for (const ListEntry& row : list.rows)
                 for (int field = 0; field < HtmlExport::fieldCount; ++field)
                     if (options.fields[field]) {
                         const QString& value = field == 0   ? row.caption
                                                : field == 8 ? row.sub[ListEntry::Bitrate]
                                                             : row.sub[field - 1];
                         for (QChar c : value)
                             sum += c.unicode();
                     }
             readSink = sum;
         },
         {}},
        {"make", [&] { (void)HtmlExport::MakeHTML(list.rows, panels, options); }, {}},
        {"export", [&] { HtmlExport::saveHtml(list.rows, panels, options, pagePath); }, {}},
    };
    for (Figure& figure : figures)
        figure.pass(); // warm-up
    for (int round = 0; round < runs; ++round)
        for (Figure& figure : figures) {
            const auto start = std::chrono::steady_clock::now();
            figure.pass();
            figure.seconds.push_back(secondsSince(start));
        }
    if (QFileInfo(pagePath).size() != bytes.size())
        throw EInOutError(QStringLiteral("The exported page differs in size from its bytes"));

    std::printf("\n%s: %d rows, %lld bytes\n", title, int(list.rows.size()),
                static_cast<long long>(bytes.size()));
    std::printf("  %-12s %10s %10s %8s\n", "pass", "median ms", "best ms", "x floor");
    const double floor = median(figures[0].seconds);
    for (const Figure& figure : figures) {
        const double m = median(figure.seconds);
        std::printf("  %-12s %10.1f %10.1f %8.2f\n", figure.name, m * 1000,
                    *std::min_element(figure.seconds.begin(), figure.seconds.end()) * 1000,
                    m / floor);
    }
    const double exportSeconds = median(figures.back().seconds);
    const double synced = median(figures[1].seconds);
    const double read = median(figures[2].seconds);
    std::printf("  export / floor = %.2f (goal: at most 2), export / floor+sync = %.2f,\n"
                "  export / (read rows + floor+sync) = %.2f\n",
                exportSeconds / floor, exportSeconds / synced, exportSeconds / (read + synced));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(T3_LIST_CORPUS);
    try {
        if (!QFile::exists(stampFile(dir)))
            makeCorpus(dir);
        SongDatabase db(QDir(dir).filePath(QStringLiteral("home")));
        RQuery rq(db);
        openQuery(rq);
        const ListBuildResult list = buildList(rq, {QStringLiteral("/")}, {});
        rq.close();

        // Beside the corpus: the same disk the user's pages would go to.
        QTemporaryDir out(QDir(dir).filePath(QStringLiteral("html-XXXXXX")));
        if (!out.isValid())
            throw EInOutError(QStringLiteral("Cannot make a folder in %1").arg(dir));

        HtmlExport::Options listStyle;
        runStyle("List style, artist, title and length", list, listStyle, out.path());
        HtmlExport::Options tableStyle;
        tableStyle.withTable = true;
        tableStyle.secondary = true;
        for (bool& on : tableStyle.fields)
            on = true;
        runStyle("Table style, every field, secondary figures", list, tableStyle, out.path());
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
