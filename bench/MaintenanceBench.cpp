// Re-indexing and the existence check over the 100,000-song list corpus. Re-indexing runs on
// a copy of the corpus's song table with every seventh song deleted; the existence check is
// measured against its floor, a stat of each decoded file name of the hard-disk rows.
#include "ListCorpus.h"
#include "db/Maintenance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>

using namespace ListCorpus;

namespace {

constexpr int runs = 5;

// A home holding a copy of the corpus's song table with gaps in its IDs.
void makeGappedCopy(const QString& corpusHome, const QString& home)
{
    const QString table = QDir(home).filePath(QStringLiteral("tamboro.db"));
    for (const char* side : {"", "-wal", "-shm"})
        QFile::remove(table + QLatin1String(side));
    if (!QFile::copy(QDir(corpusHome).filePath(QStringLiteral("tamboro.db")), table))
        throw EInOutError(QStringLiteral("Cannot copy the song table to %1").arg(home));
    SongDatabase db(home);
    Transaction transaction(db);
    for (int id = 7; id <= songCount; id += 7)
        db.recycle(db.execute(Statements::deleteById(QString::number(id))));
    transaction.commit();
}

QStringList decodedHardDiskNames(SongDatabase& db)
{
    RQuery rq(db);
    rq.setSql(Statements::selectHardDiskSongs());
    rq.open();
    QStringList names;
    for (rq.first(); !rq.eof(); rq.next())
        names << TextCodec::filter(rq.field(SongColumn::Filename));
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (!QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);
        const QString corpusHome = QDir(dir).filePath(QStringLiteral("home"));

        // ---- Re-indexing ----
        QTemporaryDir scratch;
        std::vector<double> reindexTimes;
        int rows = 0;
        for (int run = 0; run < runs; ++run) {
            makeGappedCopy(corpusHome, scratch.path());
            SongDatabase db(scratch.path());
            const auto start = std::chrono::steady_clock::now();
            rows = Maintenance::reindex(db);
            reindexTimes.push_back(secondsSince(start));
        }

        // ---- Existence check against stat-ing the same names ----
        SongDatabase db(corpusHome);
        const QStringList names = decodedHardDiskNames(db);
        std::vector<double> floorTimes, checkTimes, readTimes;
        int present = 0, missing = 0;
        for (int run = 0; run < runs; ++run) {
            auto start = std::chrono::steady_clock::now();
            present = 0;
            for (const QString& name : names) {
                struct stat info;
                if (::stat(QFile::encodeName(name).constData(), &info) == 0)
                    ++present;
            }
            floorTimes.push_back(secondsSince(start));

            start = std::chrono::steady_clock::now();
            {
                QSqlQuery read = db.execute(Statements::selectHardDiskIdsAndFilenames());
                while (read.next())
                    (void)read.value(1).toString();
            }
            readTimes.push_back(secondsSince(start));

            start = std::chrono::steady_clock::now();
            missing = int(Maintenance::findMissingFiles(db, {QStringLiteral("/")}).ids.size());
            checkTimes.push_back(secondsSince(start));
        }

        const double floor = median(floorTimes), check = median(checkTimes);
        std::printf("Maintenance over %d songs (median of %d runs)\n", songCount, runs);
        std::printf("  re-index of %d rows (IDs with gaps)       %8.3f s  (goal: at most 3 s)\n",
                    rows, median(reindexTimes));
        std::printf("  floor: stat of %d decoded names            %8.3f s  (%d present)\n",
                    int(names.size()), floor, present);
        std::printf("  existence check                              %8.3f s  (%d missing)\n", check,
                    missing);
        std::printf("    of which reading the two columns           %8.3f s\n", median(readTimes));
        std::printf("  check / floor                                %8.2f x  (goal: at most 1.5)\n",
                    floor > 0 ? check / floor : 0.0);
        return 0;
    } catch (const TamboroError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
