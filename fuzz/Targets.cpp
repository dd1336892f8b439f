#include "Targets.h"

#include "container/LZRW1KH.h"
#include "container/TCompressStream.h"
#include "container/TFileSource.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "intake/Id3v1Block.h"
#include "intake/Id3v2Builder.h"
#include "intake/Id3v2Reader.h"
#include "intake/Id3v2Tag.h"
#include "intake/TMP3Info.h"
#include "intake/WmaReader.h"
#include "lists/ReqsCache.h"
#include "lists/UserLists.h"
#include "mpegdll.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// Runs one entry point; the component's own errors are an expected answer to a bad input, so
// they end only this call and the next entry point still sees the input. True when the call
// went through without one.
template <typename Call> bool tolerant(Call call)
{
    try {
        call();
        return true;
    } catch (const TamboroError&) {
        return false;
    }
}

QByteArray readFixture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read fixture " + path.toStdString());
    return file.readAll();
}

// One scratch folder per run for the components that only read paths.
const QString& scratchDir()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    static const QString path = dir.path();
    return path;
}

void writeScratch(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// --- id3v1 -----------------------------------------------------------------------------------

bool runId3v1(const QByteArray& input)
{
    const QString name = QStringLiteral("fuzz.mp3");
    QByteArray bytes = input;
    QBuffer device(&bytes);
    device.open(QIODevice::ReadWrite);
    bool tagged = false;
    tolerant([&] {
        const QByteArray block = Id3v1Block::readTagBlock(device, name);
        (void)Id3v1Block::identifier(block);
        tagged = Id3v1Block::hasTag(block);
        if (!tagged)
            return;
        const Id3v1Block::Fields fields = Id3v1Block::parse(block);
        const QByteArray rebuilt = Id3v1Block::build(fields);
        Id3v1Block::writeTagBlock(device, rebuilt, name);
    });

    // The component as the add run and the tag editor use it, on a real file.
    const QString path = scratchDir() + QStringLiteral("/tag.mp3");
    writeScratch(path, input);
    tolerant([&] {
        TMP3Info info;
        info.setFilename(path);
        (void)info.genre();
        if (info.valid()) {
            info.setTitle(info.title() + info.comment());
            info.save();
        }
    });
    return tagged;
}

QList<QByteArray> id3v1Seeds(const QString& fixtures)
{
    const QByteArray tagged = readFixture(fixtures + QStringLiteral("/id3v1/tagged.mp3"));
    const QByteArray untagged = readFixture(fixtures + QStringLiteral("/id3v1/untagged.mp3"));
    Id3v1Block::Fields odd;
    odd.title = QStringLiteral("  leading spaces, trailing   ");
    odd.artist =
        QString::fromUtf8("\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5 over thirty characters");
    odd.album = QStringLiteral("a");
    odd.year = QStringLiteral("19");
    odd.comment = QString(30, QChar(u'x'));
    odd.genreID = 255;
    QByteArray zeros = Id3v1Block::build(odd);
    zeros[Id3v1Block::AlbumOffset + 1] = '\0';
    zeros[Id3v1Block::CommentOffset + 28] = '\0';
    return {tagged, untagged, tagged.right(Id3v1Block::Size), untagged.left(64) + zeros};
}

// --- id3v2 -----------------------------------------------------------------------------------

// qUncompress says on stderr that a mutant's compressed frame is no zlib stream; the reader skips
// such a frame, and a million such lines would only slow the run.
void quietInflateWarnings()
{
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith(QLatin1String("qUncompress")))
                return;
            if (previous)
                previous(type, context, message);
            else
                std::fprintf(stderr, "%s\n", qPrintable(message));
        });
}

bool runId3v2(const QByteArray& input)
{
    quietInflateWarnings();
    const std::optional<Id3v2Reader::Fields> parsed = Id3v2Reader::parse(input);
    // The add run's entry, on a real file: it reads only the tag's bytes and must read them as
    // the bytes entry does.
    const QString path = scratchDir() + QStringLiteral("/id3v2.mp3");
    writeScratch(path, input);
    std::optional<Id3v2Reader::Fields> read;
    tolerant([&] { read = Id3v2Tag::read(path); });
    if (read != parsed)
        throw std::logic_error("the file and the bytes of one tag read differently");
    return parsed && *parsed != Id3v2Reader::Fields();
}

// Tags with the oddities of real taggers, each a few hundred bytes, a few with audio behind.
QList<QByteArray> id3v2Seeds(const QString& fixtures)
{
    using namespace Id3v2Builder;
    const QByteArray audio = readFixture(fixtures + QStringLiteral("/id3v1/untagged.mp3"));
    const QByteArray xing = readFixture(fixtures + QStringLiteral("/mpeg/vbr_xing_id3.mp3"));
    const QString wide = QString::fromUtf8("J\xc3\xbcrgen \xd0\x96 \xf0\x9f\x8e\xb5");
    return {
        tag(3,
            f3("WCOM", {}) + f3("TIT2", text("Title")) + f3("TST ", text("itunes81")) +
                f3("TPE1", text({"One", "Two"}, Utf16)) + f3("TALB", text(wide, Utf16)) +
                f3("COMM", comment(" 00000A1B 00000B2C", "iTunNORM")) +
                f3("COMM", comment("Note", {}, Utf16)) + f3("TYER", text("1999")) +
                f3("TDAT", text("0605")) + f3("TCON", text("(17)Rock")),
            0, 32) +
            audio.left(512),
        tag(4,
            f4("TIT2", '\x01' + text("Title", Utf8), Grouped24) +
                f4("TPE1", unsynchronised(text("ÿ Artist", Utf16)), Unsynchronised24) +
                f4("TALB", syncsafe(6) + deflated(text("Album")), Compressed24 | DataLength24) +
                f4("COMM", "\x80secret", Encrypted24) + f4("TDRC", text("2004-05-06")) +
                f4("TCON", text({"17", "Psytrance"}, Utf16BE)),
            0, 16),
        tag(4,
            f4("PRIV", QByteArray(300, 'x'), 0, true) +
                f4("COMM", comment(QString(150, QChar(u'e')), {}, Utf16BE), 0, true) +
                f4("TIT2", '\x01' + utf16("Title", Order::Little, false), 0, true),
            0, 100),
        tag(3,
            unsynchronised(bigEndian(6) + QByteArray(6, '\0') +
                           f3("TIT2", bigEndian(6) + '\x07' + deflated(text("Title")),
                              Compressed23 | Grouped23) +
                           f3("TPE1", '\x01' + utf16(wide, Order::Big, false)) +
                           f3("TCON", text("(RX)(CR)")) + f3("TALB", " garbage")),
            TagUnsynchronised | TagExtendedHeader),
        tag(4,
            syncsafe(6) + QByteArray("\x01\x00", 2) + f4("TIT2", unsynchronised(text(wide, Utf16))),
            TagUnsynchronised | TagExtendedHeader) +
            audio.left(256),
        tag(2, f2("TT2", text("Title")) + f2("TP1", text("Artist", Utf16)) +
                   f2("TAL", text("Album")) + f2("COM", comment("Note")) + f2("TYE", text("1987")) +
                   f2("TCO", text("(8)"))),
        xing.left(1400),
    };
}

// --- container -------------------------------------------------------------------------------

bool runContainer(const QByteArray& input)
{
    bool accepted = tolerant([&] { (void)LZRW1KH::decompressBlock(input); });
    accepted |= tolerant([&] { (void)TCompressStream::decompress(input); });
    accepted |= tolerant([&] {
        QByteArray bytes = input;
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QByteArray unpacked;
        QBuffer out(&unpacked);
        out.open(QIODevice::WriteOnly);
        TFileSource::unpackFileData(in, false, out);
    });
    // Loading as the program does at start-up: into a temporary file the container owns.
    accepted |= tolerant([&] {
        TFileSource source;
        source.setCompress(input.size() % 2 == 1);
        source.setExtension(QStringLiteral(".bin"));
        source.loadFileData(input);
    });
    return accepted;
}

QList<QByteArray> containerSeeds(const QString& fixtures)
{
    const QByteArray mp3 = readFixture(fixtures + QStringLiteral("/id3v1/tagged.mp3"));
    QByteArray text;
    for (int i = 0; i < 40; ++i)
        text += "Artist - Title " + QByteArray::number(i % 7) + "\r\n";
    const QByteArray runs = QByteArray(700, 'a') + QByteArray(300, '\0') + text.left(200);

    QList<QByteArray> seeds;
    for (const QByteArray& file : {mp3, text, runs}) {
        seeds.append(LZRW1KH::compressBlock(file));
        seeds.append(TCompressStream::compress(file));
        QByteArray stored;
        QBuffer storedOut(&stored);
        storedOut.open(QIODevice::WriteOnly);
        QByteArray copy = file;
        QBuffer in(&copy);
        in.open(QIODevice::ReadOnly);
        TFileSource::packFileData(in, false, storedOut);
        seeds.append(stored);
    }
    seeds.append(TCompressStream::compress(QByteArray()));
    return seeds;
}

// --- mpeg ------------------------------------------------------------------------------------

// The song behind the stream callbacks, all in memory.
struct MemorySong
{
    const QByteArray* data = nullptr;
    long long position = 0;

    static int restart(void* context)
    {
        static_cast<MemorySong*>(context)->position = 0;
        return 1;
    }
    static long long read(void* context, void* buffer, long long size)
    {
        auto* song = static_cast<MemorySong*>(context);
        const long long left = song->data->size() - song->position;
        const long long count = size < left ? size : left;
        if (count > 0)
            std::memcpy(buffer, song->data->constData() + song->position, size_t(count));
        song->position += count > 0 ? count : 0;
        return count;
    }
    static long long seek(void* context, long long offset)
    {
        auto* song = static_cast<MemorySong*>(context);
        if (offset < 0 || offset > song->data->size())
            return -1;
        song->position = offset;
        return offset;
    }
    static long long getSize(void* context)
    {
        return static_cast<MemorySong*>(context)->data->size();
    }
};

bool runMpeg(const QByteArray& input)
{
    static const bool ready = init() != 0;
    if (!ready)
        throw std::runtime_error("mpegdll init() failed");
    MemorySong song{&input, 0};
    // Both kinds of stream: one that can seek and tell its size, and one that can only restart
    // (the probe then works without the end of the file).
    const bool seekable = input.size() % 2 == 0;
    Open(nullptr, 1, nullptr, nullptr, &MemorySong::restart, &MemorySong::read,
         seekable ? &MemorySong::seek : nullptr, seekable ? &MemorySong::getSize : nullptr, &song);
    const bool opened = LastError() == MPEGDLL_OK;
    if (opened) {
        (void)GetLength();
        (void)GetBitrate();
        (void)GetFrequency();
        (void)GetLayer();
        if (Seekable())
            Seek(GetLength() / 2);
    }
    Close();
    (void)LastError();
    return opened;
}

QList<QByteArray> mpegSeeds(const QString& fixtures)
{
    const QString dir = fixtures + QStringLiteral("/mpeg/");
    const QByteArray cbr = readFixture(dir + QStringLiteral("cbr128.mp3"));
    const QByteArray xing = readFixture(dir + QStringLiteral("vbr_xing_id3.mp3"));
    const QByteArray layer2 = readFixture(dir + QStringLiteral("layer2.mp2"));
    const QByteArray mpeg25 = readFixture(dir + QStringLiteral("mpeg25_8k.mp3"));
    const QByteArray mono = readFixture(dir + QStringLiteral("mpeg2_mono_22k.mp3"));
    const QByteArray wma = readFixture(dir + QStringLiteral("wma.mp3"));
    // A few KB each: the head of a stream, and a head glued to a tail so that the end tags and
    // the length headers disagree with what is there.
    // Tails as files from the wild have them: zeros after the frames, tags of other programs
    // (APEv2 footer, Lyrics3 v2, ID3v1) that the end of the audio must be found before.
    const QByteArray tags = QByteArray("APETAGEX\xd0\x07\0\0\x20\0\0\0\0\0\0\0\0\0\0\x80", 24) +
                            QByteArray(8, '\0') + "LYRICSBEGINLYR00005Hello000024LYRICS200TAG" +
                            QByteArray(125, ' ');
    return {cbr.left(4096),          cbr.left(2048) + cbr.right(1024),
            xing.left(6144),         layer2.left(4096),
            mpeg25.left(3072),       mono.left(3072),
            wma.left(2048),          cbr.left(2500) + QByteArray(1500, '\0'),
            mpeg25.left(2000) + tags};
}

// --- reqs ------------------------------------------------------------------------------------

bool runReqs(const QByteArray& input)
{
    const QString path = scratchDir() + QLatin1Char('/') + QLatin1String(ReqsCache::FileName);
    writeScratch(path, input);
    const bool read = tolerant([&] { (void)ReqsCache::lines(path); });
    tolerant([&] { (void)ReqsCache::captions(path); });
    return read;
}

QList<QByteArray> reqsSeeds(const QString&)
{
    static constexpr char oddEnds[] = "bare CR\rin the middle|q\r\n\0nul|q\r\n";
    return {
        "Rock of the 80s|SELECT * FROM songs WHERE genre = 'Rock'\r\n"
        "Long ones|SELECT * FROM songs WHERE length > 300\r\n\r\n"
        "no bar on this line\r\n",
        "LF only|SELECT * FROM songs\nsecond|x\n|empty caption\ncaption only|\n",
        QByteArray("Caf\xe9 Latin-1|SELECT * FROM songs WHERE artist = 'Caf\xe9'\r\n") +
            QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x8e\xb5|SELECT 1\r\n").toUtf8() +
            QByteArray(oddEnds, sizeof oddEnds - 1),
        QByteArray(300, '|') + "\r\n" + QByteArray(200, ' ') + "\n",
    };
}

// --- userlist --------------------------------------------------------------------------------

// A small song table in the scratch home, made once, for the lines to be matched against.
SongDatabase& userListTable()
{
    static std::unique_ptr<SongDatabase> database = [] {
        const QString home = scratchDir() + QStringLiteral("/home");
        QDir().mkpath(home);
        SongDatabase::createSongTable(home + QStringLiteral("/tamboro.db"));
        auto db = std::make_unique<SongDatabase>(home);
        UQuery insert(*db);
        for (const char* name :
             {"/media/u/USB/Pop/a.mp3", "/home/u/Music/a_b.mp3", "C:\\Music\\x.mp3",
              "\\\\server\\share\\y.mp3", "/m/don't #1.mp3"}) {
            Song song;
            song.artist = QStringLiteral("A");
            song.title = QStringLiteral("T");
            song.filename = QString::fromUtf8(name);
            song.location = QStringLiteral("Disk!");
            insert.setSql(Statements::insertSong(song.storedForm()));
            insert.execSQL();
        }
        return db;
    }();
    return *database;
}

bool runUserList(const QByteArray& input)
{
    QByteArray bytes = input;
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QStringList lines;
    if (!tolerant([&] { lines = UserListFile::read(device, QStringLiteral("fuzz.tb3")); }))
        return false;
    for (const QString& line : lines) {
        const QString like = UserListMatch::likePattern(UserListMatch::patternOf(line));
        (void)UserListMatch::likeMatches(like, line);
        (void)UserListMatch::likeMatches(line, like);
    }
    tolerant([&] { (void)UserListMatch::matchingIds(userListTable(), lines); });
    return true;
}

QList<QByteArray> userListSeeds(const QString&)
{
    return {
        "/media/u/USB/Rock/a.mp3\r\n/home/u/a_b.mp3\r\nC|5\\Other\\x.mp3\r\n",
        "\\\\server\\share\\Pop\\y.mp3\nD|5x.mp3\n%_%\n/m/don|1t |3.mp3\n",
        QByteArray("\xEF\xBB\xBF/m/caf\xc3\xa9.mp3\r\nC|5\\Caf\xe9 \x80.mp3\r\n"),
        QByteArray(300, '%') + "\r\n" + QByteArray(200, '_') + "a.mp3\r\n",
    };
}

// --- wma -------------------------------------------------------------------------------------

// The add run's WMA read: the header check, and TagLib only for a header that passes it (the
// check is what keeps TagLib's time per file in proportion to the file's size).
bool runWma(const QByteArray& input)
{
    const QString path = scratchDir() + QStringLiteral("/fuzz.wma");
    writeScratch(path, input);
    if (!WmaReader::headerProblem(path).isEmpty())
        return false;
    return tolerant([&] { (void)WmaReader::read(path); });
}

QList<QByteArray> wmaSeeds(const QString& fixtures)
{
    const QByteArray wma = readFixture(fixtures + QStringLiteral("/intake/tagged.wma"));
    return {wma, wma.left(700), wma.left(664)};
}

} // namespace

QList<FuzzTarget> fuzzTargets()
{
    return {
        {QStringLiteral("id3v1"), 4 * 1024, runId3v1, id3v1Seeds},
        {QStringLiteral("id3v2"), 8 * 1024, runId3v2, id3v2Seeds},
        {QStringLiteral("container"), 64 * 1024, runContainer, containerSeeds},
        {QStringLiteral("mpeg"), 16 * 1024, runMpeg, mpegSeeds},
        {QStringLiteral("reqs"), 8 * 1024, runReqs, reqsSeeds},
        {QStringLiteral("wma"), 16 * 1024, runWma, wmaSeeds},
        {QStringLiteral("userlist"), 8 * 1024, runUserList, userListSeeds},
    };
}
