// The component without the decoder: its properties, and loading and unloading the library.
#include "PlayerTestSupport.h"

#include <QFileInfo>
#include <QLibrary>
#include <QMetaProperty>

namespace {

TEST(TMPEGPlayerPropertiesTest, TimerFreqZeroClearsUseTimer)
{
    TMPEGPlayer player;
    player.setTimerFreq(50);
    player.setUseTimer(true);
    EXPECT_TRUE(player.useTimer());
    player.setTimerFreq(20);
    EXPECT_TRUE(player.useTimer());
    player.setTimerFreq(0);
    EXPECT_FALSE(player.useTimer());
    EXPECT_EQ(player.timerFreq(), 0);
}

TEST(TMPEGPlayerPropertiesTest, PriorityIsStoredAsTheLibrarysNumber)
{
    const std::pair<TMPEGPlayer::TPlayPriority, int> table[] = {
        {TMPEGPlayer::Idle, -15},        {TMPEGPlayer::Lowest, -2},
        {TMPEGPlayer::BelowNormal, -1},  {TMPEGPlayer::Normal, 0},
        {TMPEGPlayer::AboveNormal, 1},   {TMPEGPlayer::Highest, 2},
        {TMPEGPlayer::TimeCritical, 15},
    };
    TMPEGPlayer player;
    EXPECT_EQ(player.playerPriority(), TMPEGPlayer::Normal);
    for (const auto& [priority, number] : table) {
        SCOPED_TRACE(number);
        player.setPlayerPriority(priority);
        EXPECT_EQ(player.threadPriority(), number);
        EXPECT_EQ(player.playerPriority(), priority);
    }
    for (int number : {-16, -14, -3, 3, 14, 16, 1000}) {
        SCOPED_TRACE(number);
        player.setThreadPriority(number);
        EXPECT_EQ(player.threadPriority(), number);
        EXPECT_EQ(player.playerPriority(), TMPEGPlayer::Normal);
    }
}

TEST(TMPEGPlayerPropertiesTest, PcmFileNeedsAnOutputFileName)
{
    TMPEGPlayer player;
    player.setOutputDevice(TMPEGPlayer::pcmfile);
    EXPECT_EQ(player.outputDevice(), TMPEGPlayer::wavemapper);
    player.setOutFilename(QStringLiteral("/tmp/out.wav"));
    player.setOutputDevice(TMPEGPlayer::pcmfile);
    EXPECT_EQ(player.outputDevice(), TMPEGPlayer::pcmfile);
    player.setOutputDevice(TMPEGPlayer::wavemapper);
    EXPECT_EQ(player.outputDevice(), TMPEGPlayer::wavemapper);
}

TEST(TMPEGPlayerPropertiesTest, PublishedUnderTheFormsNames)
{
    TMPEGPlayer player;
    for (const char* name : {"Seekable", "FromStream", "PlayerPriority", "UseTimer", "TimerFreq",
                             "AutoPlay", "StreamName", "OutputDevice", "OutFilename", "PathToDLL",
                             "StartPos", "EndPos", "PlayedXTimes"}) {
        SCOPED_TRACE(name);
        EXPECT_GE(player.metaObject()->indexOfProperty(name), 0);
    }
    // Through the property system the setters' rules hold as well.
    player.setProperty("UseTimer", true);
    player.setProperty("TimerFreq", 0);
    EXPECT_FALSE(player.property("UseTimer").toBool());
    player.setProperty("PlayerPriority", QVariant::fromValue(TMPEGPlayer::Highest));
    EXPECT_EQ(player.threadPriority(), 2);
}

TEST(TMPEGPlayerPropertiesTest, LibraryPathOnThisPlatform)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), "mpegdll.so"},
        {"/opt/t3", "/opt/t3/mpegdll.so"},
        {"/opt/t3/", "/opt/t3/mpegdll.so"},
        {"rel", "rel/mpegdll.so"},
    };
    for (const auto& [folder, path] : cases) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_EQ(TMPEGPlayer::libraryPath(folder), path);
    }
}

// Every operation of a component without a library, whether it was never loaded, failed to
// load, or was unloaded.
TEST(TMPEGPlayerLoadTest, EveryOperationNeedsTheLibrary)
{
    LibraryFolders folders;
    const QString empty = folders.emptyFolder(QStringLiteral("empty"));
    const QString good = folders.withLibrary(QStringLiteral("good"));

    const std::pair<const char*, std::function<void(TMPEGPlayer&)>> operations[] = {
        {"unloadLibrary", [](TMPEGPlayer& p) { p.unloadLibrary(); }},
        {"open", [](TMPEGPlayer& p) { p.open(); }},
        {"play", [](TMPEGPlayer& p) { p.play(); }},
        {"pause on", [](TMPEGPlayer& p) { p.pause(true); }},
        {"pause off", [](TMPEGPlayer& p) { p.pause(false); }},
        {"stop", [](TMPEGPlayer& p) { p.stop(); }},
        {"close", [](TMPEGPlayer& p) { p.close(); }},
        {"seek", [](TMPEGPlayer& p) { p.seek(1000); }},
        {"mode", [](TMPEGPlayer& p) { p.mode(); }},
        {"position", [](TMPEGPlayer& p) { p.position(); }},
        {"length", [](TMPEGPlayer& p) { p.length(); }},
        {"frequency", [](TMPEGPlayer& p) { p.frequency(); }},
        {"bitrate", [](TMPEGPlayer& p) { p.bitrate(); }},
    };
    const std::pair<const char*, std::function<void(TMPEGPlayer&)>> states[] = {
        {"never loaded", [](TMPEGPlayer&) {}},
        {"failed load",
         [&](TMPEGPlayer& p) {
             p.setPathToDLL(empty);
             EXPECT_THROW(p.loadLibrary(), TMPEGError);
         }},
        {"unloaded",
         [&](TMPEGPlayer& p) {
             p.setPathToDLL(good);
             p.loadLibrary();
             p.open();
             p.unloadLibrary();
         }},
    };
    for (const auto& [state, prepare] : states) {
        SCOPED_TRACE(state);
        TMPEGPlayer player;
        player.setStreamName(mpegFixture(QStringLiteral("cbr128.mp3")));
        prepare(player);
        EXPECT_FALSE(player.loaded());
        for (const auto& [name, run] : operations) {
            SCOPED_TRACE(name);
            EXPECT_MPEG_ERROR(run(player), 0, "MPEG library not loaded");
        }
        EXPECT_FALSE(player.opened());
        EXPECT_EQ(player.playedXTimes(), 0);
        // Naming a song needs no library.
        player.setStreamName(mpegFixture(QStringLiteral("vbr_xing.mp3")));
    }
}

TEST(TMPEGPlayerLoadTest, UnloadableFileRaisesCantLoad)
{
    LibraryFolders folders;
    const QString notLibrary = folders.emptyFolder(QStringLiteral("text"));
    QFile text(QDir(notLibrary).filePath(QStringLiteral("mpegdll.so")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a shared library\n");
    text.close();
    const QString named = folders.emptyFolder(QStringLiteral("named"));
    QDir(named).mkdir(QStringLiteral("mpegdll.so")); // a folder of the library's name

    for (const QString& folder : {folders.emptyFolder(QStringLiteral("empty")), notLibrary, named,
                                  folders.file(QStringLiteral("missing"))}) {
        SCOPED_TRACE(folder.toStdString());
        TMPEGPlayer player;
        player.setPathToDLL(folder);
        EXPECT_MPEG_ERROR(player.loadLibrary(), 0, "Can't load MPEG library");
        EXPECT_FALSE(player.loaded());
    }
}

// A copy of the library whose export `name` is renamed in place (same length), so that the
// file still loads but that one entry point cannot be found.
QString libraryWithout(LibraryFolders& folders, const QByteArray& name)
{
    const QString folder =
        folders.withLibrary(QStringLiteral("without-") + QString::fromLatin1(name));
    QFile file(QDir(folder).filePath(QStringLiteral("mpegdll.so")));
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const QByteArray exact = '\0' + name + '\0';
    QByteArray renamed = exact;
    renamed[renamed.size() - 2] = 'Q';
    int replaced = 0;
    for (qsizetype at = bytes.indexOf(exact); at >= 0; at = bytes.indexOf(exact, at + 1)) {
        bytes.replace(at, exact.size(), renamed);
        ++replaced;
    }
    EXPECT_GT(replaced, 0) << name.toStdString();
    file.seek(0);
    file.write(bytes);
    file.close();
    return folder;
}

TEST(TMPEGPlayerLoadTest, MissingEntryPointUnloadsWithErrorZero)
{
    LibraryFolders folders;
    // One the component binds but never calls, and the one it reads errors with.
    for (const QByteArray& name : {QByteArray("GetLayer"), QByteArray("LastError")}) {
        SCOPED_TRACE(name.toStdString());
        const QString folder = libraryWithout(folders, name);
        {
            // The damaged copy itself loads; only the entry point is gone.
            QLibrary check(TMPEGPlayer::libraryPath(folder));
            ASSERT_TRUE(check.load()) << check.errorString().toStdString();
            EXPECT_EQ(check.resolve(name.constData()), nullptr);
            EXPECT_NE(check.resolve("init"), nullptr);
            check.unload();
        }
        TMPEGPlayer player;
        player.setPathToDLL(folder);
        EXPECT_MPEG_ERROR(player.loadLibrary(), 0, "MPEG library not loaded");
        EXPECT_FALSE(player.loaded());
        EXPECT_MPEG_ERROR(player.mode(), 0, "MPEG library not loaded");
    }
}

// One loaded copy serves one player. A second component on the same copy is refused without
// disturbing the first, and gets the copy once the first has unloaded it.
TEST(TMPEGPlayerLoadTest, OneCopyServesOnePlayer)
{
    LibraryFolders folders;
    const QString folder = folders.withLibrary(QStringLiteral("shared"));
    TMPEGPlayer first;
    TMPEGPlayer second;
    first.setPathToDLL(folder);
    second.setPathToDLL(folder);
    first.loadLibrary();

    EXPECT_MPEG_ERROR(second.loadLibrary(), 2, "Incorrect mode");
    EXPECT_FALSE(second.loaded());
    EXPECT_EQ(second.lastError(), 2);
    EXPECT_MPEG_ERROR(second.open(), 0, "MPEG library not loaded");

    // Loading again is refused too, and leaves the first loaded and playing its copy.
    EXPECT_MPEG_ERROR(first.loadLibrary(), 2, "Incorrect mode");
    ASSERT_TRUE(first.loaded());

    const QString wav = folders.file(QStringLiteral("first.wav"));
    first.setOutFilename(wav);
    first.setOutputDevice(TMPEGPlayer::pcmfile);
    first.setStreamName(mpegFixture(QStringLiteral("cbr128.mp3")));
    first.open();
    first.play();
    EXPECT_TRUE(waitUntil([&] { return first.mode() == TMPEGPlayer::ModeEnded; }));
    EXPECT_NEAR(readWav(wav).milliseconds(), first.storedLength(), 30);
    first.unloadLibrary();

    second.loadLibrary();
    EXPECT_TRUE(second.loaded());
    second.setStreamName(mpegFixture(QStringLiteral("cbr128.mp3")));
    second.open();
    EXPECT_EQ(second.mode(), TMPEGPlayer::ModeStopped);
    second.unloadLibrary();
}

// The component leaves nothing running that outlives it: destroyed in the middle of a song, it
// stops the song, whose play thread writes into the component's end flag, and leaves the
// library loaded and initialised, as its owner did not unload it.
TEST(TMPEGPlayerLoadTest, DestroyedWhilePlayingStopsTheSongOnly)
{
    LibraryFolders folders;
    const QString folder = folders.withLibrary(QStringLiteral("left"));
    const QString wav = folders.file(QStringLiteral("left.wav"));
    {
        TMPEGPlayer player;
        player.setPathToDLL(folder);
        player.setOutFilename(wav);
        player.setOutputDevice(TMPEGPlayer::pcmfile);
        player.setStreamName(longSong());
        player.setUseTimer(true);
        player.setTimerFreq(1);
        player.loadLibrary();
        player.open();
        player.play();
        ASSERT_EQ(player.mode(), TMPEGPlayer::ModePlaying);
    }
    const qint64 written = QFileInfo(wav).size();
    QTest::qWait(50);
    EXPECT_EQ(QFileInfo(wav).size(), written);
    EXPECT_LT(written, qint64(longSongMinutes) * 60 * 44100 * 4 / 2); // far from the end

    TMPEGPlayer next;
    next.setPathToDLL(folder);
    EXPECT_MPEG_ERROR(next.loadLibrary(), 2, "Incorrect mode");
}

} // namespace
