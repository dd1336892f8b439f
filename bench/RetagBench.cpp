// The mass re-tag of 10,000 songs through the main window, from the timer's run (the click on
// "Mass re-tag!" plus its deliberate half second) to every list window refreshed, beside its
// floor: the same 10,000 128-byte tag writes (open, write the block, close) plus one update
// statement over the same IDs. The songs are real MP3 files with an ID3v1 tag; every tenth also
// has an ID3v2 tag, which the re-tag writes too. Each run sets the album and the year to values
// other than the run before, so that every run writes every file.
//
//   RetagBench [COUNT]    (COUNT songs, 10,000 unless given; the corpus is made in a temporary
//                          folder, a few seconds)
#include "BenchServices.h"
#include "BenchTiming.h"
#include "app/ui/AppServices.h"
#include "app/ui/MainWindow.h"
#include "db/Song.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/Transaction.h"
#include "db/UQuery.h"
#include "intake/Id3v1Block.h"
#include "intake/MassRetag.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Volumes.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int runs = 5;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read %1").arg(path));
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Cannot write %1").arg(path));
}

void addId3v2Tag(const QString& path, int n)
{
    TagLib::FileStream stream(QFile::encodeName(path).constData(), false);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setArtist(TagLib::String("Artist " + std::to_string(n % 500)));
    tag->setTitle(
        TagLib::String("A title longer than an ID3v1 field holds, song " + std::to_string(n)));
    tag->setAlbum("Album");
    tag->setYear(1999);
    file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
              TagLib::File::DoNotDuplicate);
}

// `count` songs in the song table of `home`, their files in `folder`: copies of a real MP3
// fixture with an ID3v1 tag each, every tenth with an ID3v2 tag too. Returns the file names.
QStringList makeCorpus(const QString& home, const QString& folder, int count)
{
    const QByteArray audio = readAll(QStringLiteral(T3_TEST_DATA_DIR "/id3v1/untagged.mp3"));
    SongDatabase::createSongTable(QDir(home).filePath(QStringLiteral("tamboro.db")));
    SongDatabase db(home);
    UQuery insert(db);
    Transaction transaction(db);
    QStringList files;
    for (int n = 0; n < count; ++n) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("%1/song %2.mp3").arg(n / 100).arg(n));
        QDir().mkpath(QFileInfo(path).path());
        Id3v1Block::Fields fields;
        fields.artist = QStringLiteral("Artist %1").arg(n % 500);
        fields.title = QStringLiteral("Song %1").arg(n);
        fields.album = QStringLiteral("Album");
        fields.year = QStringLiteral("1999");
        fields.genreID = 17;
        writeAll(path, audio + Id3v1Block::build(fields));
        if (n % 10 == 0)
            addId3v2Tag(path, n);
        Song song;
        song.artist = fields.artist;
        song.title = fields.title;
        song.filename = path;
        song.trackLength = QStringLiteral("0:00:01");
        song.location = QStringLiteral("Disk!");
        song.genre = QStringLiteral("Rock");
        song.album = fields.album;
        song.year = fields.year;
        insert.setSql(Statements::insertSong(song.storedForm()));
        insert.execSQL();
        files << path;
    }
    transaction.commit();
    return files;
}

// The floor: every file's last 128 bytes overwritten with a block, and one update statement.
double floorPass(const QString& home, const QStringList& files, const QStringList& ids,
                 const QString& album, const QString& year, double& writesSeconds)
{
    Id3v1Block::Fields fields;
    fields.album = album;
    fields.year = year;
    const QByteArray block = Id3v1Block::build(fields);
    SongDatabase db(home);
    UQuery update(db);
    const QString sql =
        QStringLiteral("update tamboro set album=\"%1\", syear=\"%2\" where ID in (%3)")
            .arg(album, year, ids.join(QLatin1Char(',')));
    const auto start = std::chrono::steady_clock::now();
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) ||
            !file.seek(file.size() - Id3v1Block::Size) || file.write(block) != block.size())
            throw EInOutError(QStringLiteral("Cannot write %1").arg(path));
    }
    writesSeconds = secondsSince(start);
    update.setSql(sql);
    update.execSQL();
    return secondsSince(start);
}

QString albumOf(const QString& path)
{
    return Id3v1Block::parse(readAll(path).right(Id3v1Block::Size)).album;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int count = args.isEmpty() ? 10000 : args.first().toInt();
    try {
        QTemporaryDir work;
        const QString home = work.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        std::fprintf(stderr, "making %d songs...\n", count);
        const QStringList files = makeCorpus(home, work.filePath(QStringLiteral("songs")), count);
        QStringList ids;
        for (int id = 1; id <= count; ++id)
            ids << QString::number(id);

        BenchApp bench(home, work.path());
        AppServices& services = bench.services;
        PrintingDialogs& dialogs = bench.dialogs;

        MainWindow window(services);
        window.show();
        QApplication::processEvents();
        window.findChild<QAction*>(QStringLiteral("Wholedatabase1"))->trigger();
        ListWindow* list = window.listWindows().value(0);
        if (!list || list->model()->rowCount() != count)
            throw TamboroError(QStringLiteral("The whole database did not open"));
        auto* retag = window.findChild<QWidget*>(QStringLiteral("Form13"));
        auto* massrename = window.findChild<QTimer*>(QStringLiteral("Massrename"));
        if (!retag || !massrename)
            throw TamboroError(QStringLiteral("No mass re-tagger in the main window"));
        auto* albumBox = retag->findChild<QLineEdit*>(QStringLiteral("Edit2"));
        auto* yearBox = retag->findChild<QLineEdit*>(QStringLiteral("Edit4"));

        std::vector<double> ours;
        std::vector<double> floors;
        std::vector<double> cores;
        std::vector<double> refreshes;
        std::vector<double> floorWrites;
        for (int run = 0; run <= runs; ++run) {
            const QString album = QStringLiteral("Album of run %1").arg(run);
            const QString year = QString::number(2000 + run);
            // The window's boxes as the user leaves them; the selection is the whole list.
            albumBox->setText(album);
            yearBox->setText(year);
            list->listView()->selectAll();
            const auto start = std::chrono::steady_clock::now();
            QMetaObject::invokeMethod(massrename, "timeout", Qt::DirectConnection);
            const double seconds = secondsSince(start);
            if (albumOf(files.last()) != album ||
                list->model()->entry(0).value(ListEntry::Album) != album)
                throw TamboroError(QStringLiteral("The re-tag did not reach the files and lists"));
            // The parts of it: the core run alone, and the refresh of the lists.
            double coreSeconds = 0;
            {
                SongDatabase db(home);
                MassRetag::Values values{.album = album + QStringLiteral(" (core)"), .year = year};
                const auto coreStart = std::chrono::steady_clock::now();
                const MassRetag::Result result = MassRetag::run(db, home, ids, values);
                coreSeconds = secondsSince(coreStart);
                if (result.stopped())
                    throw TamboroError(result.error);
            }
            const auto refreshStart = std::chrono::steady_clock::now();
            QMetaObject::invokeMethod(window.findChild<QTimer*>(QStringLiteral("RefreshListTimer")),
                                      "timeout", Qt::DirectConnection);
            const double refreshSeconds = secondsSince(refreshStart);
            double writesSeconds = 0;
            const double floorSeconds = floorPass(
                home, files, ids, album + QStringLiteral(" (floor)"), year, writesSeconds);
            if (run > 0) { // the first run warms the page cache and the engine
                ours.push_back(seconds);
                floors.push_back(floorSeconds);
                floorWrites.push_back(writesSeconds);
                cores.push_back(coreSeconds);
                refreshes.push_back(refreshSeconds);
            }
        }
        if (dialogs.messages > 0)
            throw TamboroError(QStringLiteral("The runs showed messages"));

        const double ourMedian = median(ours);
        const double floorMedian = median(floors);
        std::printf("mass re-tag of %d songs (%d with an ID3v2 tag too), album and year, median of "
                    "%d runs\n",
                    count, (count + 9) / 10, runs);
        std::printf("  run to refreshed lists  %8.3f s\n", ourMedian);
        std::printf("    of it: the run alone  %8.3f s\n", median(cores));
        std::printf("           list refresh   %8.3f s\n", median(refreshes));
        std::printf("  floor                   %8.3f s  (%d tag writes + one update statement)\n",
                    floorMedian, count);
        std::printf("    of it: tag writes     %8.3f s\n", median(floorWrites));
        std::printf("  ratio                   %8.2fx  (goal: within 2x)\n",
                    ourMedian / floorMedian);
        return 0;
    } catch (...) {
        std::fprintf(stderr, "RetagBench: %s\n", qPrintable(currentErrorText()));
        return 1;
    }
}
