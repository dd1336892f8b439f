// The player bar playing through a real sound server: a PulseAudio daemon of the test's own,
// with a null sink whose monitor the test records. And without any sound server, the bar
// reports the player's output failure instead of hanging.
#include "app/ui/AppHarness.h"
#include "app/ui/PlayerBar.h"
#include "db/Statements.h"
#include "intake/ui/TagEditorWindow.h"
#include "lists/ui/ListWindow.h"
#include "player/PlayerTestSupport.h"
#include "player/PlayerTransport.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>

namespace {

// Sets an environment variable for the test's lifetime and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

class PlayerBarSoundTest : public ::testing::Test, protected AppHarness
{
protected:
    PlayerBarSoundTest()
    {
        // Clients never start a server of their own: the test's daemon is the only one.
        writeTestFile(m_dir.filePath(QStringLiteral("client.conf")), "autospawn = no\n");
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        SongDatabase db(home.path());
        UQuery uq(db);
        Song song;
        song.artist = QStringLiteral("Abba");
        song.title = QStringLiteral("Waterloo");
        song.filename = longSong();
        song.trackLength = QStringLiteral("0:20:00");
        song.location = QStringLiteral("Disk!");
        uq.setSql(Statements::insertSong(song));
        uq.execSQL();
    }
    ~PlayerBarSoundTest() override
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(5000)) {
                m_daemon.kill();
                m_daemon.waitForFinished(5000);
            }
        }
    }

    QString socket() const { return m_dir.filePath(QStringLiteral("native")); }
    QString server() const { return QStringLiteral("unix:") + socket(); }

    // Starts the daemon with a null sink "t3sink"; false when it did not come up.
    bool startDaemon()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"home", "run", "config"}) {
            const QString folder = m_dir.filePath(QLatin1String(name));
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        }
        env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("PULSE_SERVER"));
        m_daemon.setProcessEnvironment(env);
        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(program,
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                        QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--disable-shm=yes"), QStringLiteral("-L"),
                        QStringLiteral("module-null-sink sink_name=t3sink"), QStringLiteral("-L"),
                        QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                            .arg(socket())});
        if (!m_daemon.waitForStarted(5000))
            return false;
        return waitUntil([&] { return !pactl({QStringLiteral("info")}).isEmpty(); }, 10000);
    }

    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"), server());
        env.insert(QStringLiteral("PULSE_CLIENTCONFIG"),
                   m_dir.filePath(QStringLiteral("client.conf")));
        env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        return env;
    }

    // Output of a PulseAudio tool run against the test's daemon; empty when it failed.
    QByteArray tool(const QString& name, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(clientEnvironment());
        process.start(QStandardPaths::findExecutable(name), arguments);
        if (!process.waitForStarted(5000))
            return {};
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(5000);
            return {};
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {};
        return process.readAllStandardOutput();
    }
    // Records the null sink's monitor until `bytes` have come, or a few seconds have passed.
    QByteArray record(qsizetype bytes)
    {
        QProcess process;
        process.setProcessEnvironment(clientEnvironment());
        process.start(
            QStandardPaths::findExecutable(QStringLiteral("parec")),
            {QStringLiteral("-d"), QStringLiteral("t3sink.monitor"), QStringLiteral("--raw")});
        QByteArray pcm;
        if (process.waitForStarted(5000)) {
            const QDeadlineTimer deadline(10000);
            while (pcm.size() < bytes && !deadline.hasExpired() &&
                   process.state() == QProcess::Running) {
                process.waitForReadyRead(100);
                pcm += process.readAllStandardOutput();
            }
        }
        process.kill();
        process.waitForFinished(5000);
        return pcm;
    }
    QByteArray pactl(const QStringList& arguments)
    {
        return tool(QStringLiteral("pactl"), arguments);
    }

    // The main window with a list open and the song in the tag editor, its player sending to
    // the computer's sound output; PULSE_SERVER names `pulseServer` before the player opens it.
    std::unique_ptr<MainWindow> startPlaying(const QString& file)
    {
        auto window = start();
        window->wholeDatabase();
        auto edit = [&](const char* name, const QString& text) {
            window->tagEditor()->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
        };
        edit("Edit1", QStringLiteral("Abba"));
        edit("Edit2", QStringLiteral("Waterloo"));
        edit("Edit3", file);
        EXPECT_EQ(window->mainPlayer()->outputDevice(), TMPEGPlayer::wavemapper);
        return window;
    }
    static void click(MainWindow& window, const char* button)
    {
        window.playerBar()->findChild<QToolButton*>(QLatin1String(button))->click();
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
};

bool hasSound(const QByteArray& pcm)
{
    return std::any_of(pcm.begin(), pcm.end(), [](char byte) { return byte != 0; });
}

TEST_F(PlayerBarSoundTest, PlaysThroughTheSoundServer)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "the pulseaudio program is not installed";
    ASSERT_TRUE(startDaemon()) << m_daemon.readAll().toStdString();
    ScopedEnv pulseServer("PULSE_SERVER", server().toUtf8());
    ScopedEnv clientConfig("PULSE_CLIENTCONFIG",
                           m_dir.filePath(QStringLiteral("client.conf")).toUtf8());

    auto window = startPlaying(longSong());
    click(*window, "MPlay");
    ASSERT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().front().text.toStdString();
    PlayerTransport* transport = window->playerTransport();
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModePlaying);

    // The sink plays, and what it plays is sound, not silence.
    EXPECT_TRUE(waitUntil(
        [&] {
            return pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")})
                .contains("RUNNING");
        },
        10000));
    // Two seconds of 16-bit stereo at 44.1 kHz, the sink's format: the monitor begins with
    // the silence it held before the song came.
    const QByteArray recorded = record(2 * 176400);
    EXPECT_GE(recorded.size(), 2 * 176400);
    EXPECT_TRUE(hasSound(recorded));

    // The position moves with the sound, in real time, and the display follows it.
    ASSERT_TRUE(waitUntil([&] { return transport->position() >= 1000; }, 10000));
    EXPECT_LT(transport->position(), 60000);
    EXPECT_EQ(window->playerBar()->findChild<QLabel*>(QStringLiteral("DisPlaynel"))->text(),
              transport->display());
    click(*window, "MPause");
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModePaused);
    click(*window, "MPlay");
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModePlaying);
    click(*window, "MStop");
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModeClosed);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PlayerBarSoundTest, WithoutASoundServerTheBarReportsTheOutputFailure)
{
    // A server that is not there, and no sound card in the test machine.
    ScopedEnv pulseServer(
        "PULSE_SERVER",
        (QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("nobody"))).toUtf8());
    ScopedEnv clientConfig("PULSE_CLIENTCONFIG",
                           m_dir.filePath(QStringLiteral("client.conf")).toUtf8());
    ScopedEnv noCard("ALSA_CONFIG_PATH",
                     writeTestFile(m_dir.filePath(QStringLiteral("asound.conf"))).toUtf8());

    auto window = startPlaying(longSong());
    click(*window, "MPlay");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front().kind, Dialogs::Kind::Error);
    EXPECT_EQ(dialogs.messages().front().text, QStringLiteral("Output device failure"));
    // The bar is as before, and usable: the song plays once it has somewhere to go.
    PlayerTransport* transport = window->playerTransport();
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModeClosed);
    EXPECT_EQ(transport->display(), QStringLiteral("0:00:00/0:00:00"));
    window->mainPlayer()->setOutFilename(m_dir.filePath(QStringLiteral("out.wav")));
    window->mainPlayer()->setOutputDevice(TMPEGPlayer::pcmfile);
    click(*window, "MPlay");
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(transport->mode(), TMPEGPlayer::ModePlaying);
}

} // namespace
