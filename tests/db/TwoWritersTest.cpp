#include "SongTableFixture.h"

#include "db/Transaction.h"
#include "platform/Errors.h"

#include <future>
#include <mutex>
#include <thread>

namespace {

using namespace Statements;

Song songBy(const QString& artist)
{
    return Song{.artist = artist,
                .title = QStringLiteral("Song"),
                .filename = QStringLiteral("/music/") + artist + QStringLiteral(".mp3"),
                .trackLength = QStringLiteral("0:03:00"),
                .location = QStringLiteral("Disk!")};
}

// Another program on the same home: its own connection, on a thread of its own, which adds a
// song in a transaction and holds it open until release() is called.
class OtherWriter
{
public:
    explicit OtherWriter(const QString& home)
        : m_thread([this, home] { run(home); })
    {
        m_holding.get_future().wait();
    }

    ~OtherWriter() { finish(); }

    void release()
    {
        std::call_once(m_released, [this] { m_release.set_value(); });
    }

    // Lets the other program finish and says what went wrong there, empty when nothing did.
    std::string finish()
    {
        release();
        if (m_thread.joinable())
            m_thread.join();
        return m_error;
    }

private:
    void run(const QString& home)
    {
        bool holding = false;
        try {
            SongDatabase database(home);
            UQuery update(database);
            Transaction transaction(database);
            update.setSql(insertSong(songBy(QStringLiteral("First")).storedForm()));
            update.execSQL();
            m_holding.set_value();
            holding = true;
            m_release.get_future().wait();
            transaction.commit();
        } catch (const std::exception& e) {
            m_error = e.what();
        }
        if (!holding)
            m_holding.set_value();
    }

    std::promise<void> m_holding;
    std::promise<void> m_release;
    std::once_flag m_released;
    std::string m_error;
    std::thread m_thread;
};

// An add in the window's way: the duplicate test first, then the insert, in one transaction.
void addAsIntakeDoes(SongDatabase& db, const QString& artist)
{
    RQuery read(db);
    UQuery update(db);
    const Song song = songBy(artist).storedForm();
    Transaction transaction(db);
    read.setSql(selectDuplicate(song.artist, song.title, song.trackLength));
    read.open();
    read.close();
    update.setSql(insertSong(song));
    update.execSQL();
    transaction.commit();
}

TEST_F(SongTableFixture, SecondWriterWaitsForTheFirstAndBothSongsArrive)
{
    OtherWriter other(home.path());
    // The other program finishes only once this one waits for it.
    bool waited = false;
    db.setBusyObserver([&] {
        waited = true;
        other.release();
    });

    EXPECT_NO_THROW(addAsIntakeDoes(db, QStringLiteral("Second")));
    EXPECT_EQ(other.finish(), "");
    EXPECT_TRUE(waited);
    EXPECT_EQ(column(selectAllById()), (QStringList{"First", "Second"}));
}

TEST_F(SongTableFixture, WriterThatWaitsTooLongFailsSayingAnotherProgramWrites)
{
    OtherWriter other(home.path());
    db.setBusyTimeout(std::chrono::milliseconds{0});

    try {
        addAsIntakeDoes(db, QStringLiteral("Second"));
        ADD_FAILURE() << "the add did not wait for the other writer";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(
            QStringLiteral("Another Tamboro 3 is writing the catalogue")))
            << e.what();
    }
    EXPECT_EQ(other.finish(), "");
    EXPECT_EQ(column(selectAllById()), QStringList{"First"});
}

} // namespace
