#pragma once

// The list window over a real song table on a fake medium, with a recording tag editor: the
// fixture of the list window tests.

#include "lists/ui/ListWindow.h"

#include "db/RQuery.h"
#include "db/SongDatabase.h"
#include "db/Statements.h"
#include "db/TextCodec.h"
#include "db/UQuery.h"
#include "lists/ListEntry.h"
#include "lists/ListShared.h"
#include "lists/ui/ItemInfoSink.h"
#include "lists/ui/ListContext.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListOpeners.h"
#include "settings/SettingsStore.h"
#include "testsupport/FakeVolumes.h"
#include "testsupport/TempHome.h"
#include "ui/Gauge.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

// The tag editor as the list window sees it: records what it is handed.
class RecordingEditor final : public ItemInfoSink
{
public:
    void submitItemInfo(const ListEntry& entry) override { submitted.append(entry.caption); }
    void setSaveEnabled(bool enabled) override { saveEnabled = enabled; }

    QStringList submitted; // artists of the rows loaded, in order
    bool saveEnabled = true;
};

struct TestSong
{
    QString artist;
    QString title;
    QString album;
    QString length = QStringLiteral("0:03:00");
    bool fileExists = true;
};

class ListWindowTest : public ::testing::Test
{
protected:
    ListWindowTest()
    {
        SongDatabase::createSongTable(home.file(QStringLiteral("tamboro.db")));
        medium = volumes.addMedium(QStringLiteral("Music"));
        ctx.db = &db;
        ctx.query = &rq;
        ctx.settings = &settings;
        ctx.shared = &shared;
        ctx.tagEditor = &editor;
        ctx.gauge = &gauge;
        ctx.roots = [this] { return volumes.roots(); };
    }

    // Adds a song whose file lies on the test medium (written there when it should exist).
    QString addSong(const TestSong& song)
    {
        const QString path = medium + QLatin1Char('/') + song.artist + QStringLiteral(" - ") +
                             song.title + QStringLiteral(".mp3");
        if (song.fileExists) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        Song fields;
        fields.artist = TextCodec::reFilter(song.artist);
        fields.title = TextCodec::reFilter(song.title);
        fields.filename = TextCodec::reFilter(path);
        fields.trackLength = song.length;
        fields.location = QStringLiteral("Music!");
        fields.album = TextCodec::reFilter(song.album);
        uq.setSql(Statements::insertSong(fields));
        uq.execSQL();
        return path;
    }

    ListWindow* openWhole() { return ListOpeners::openWholeDatabase(ctx, &area); }

    static QStringList column(const ListWindow* window, int column)
    {
        QStringList values;
        for (const ListEntry& entry : window->model()->entries())
            values << ListModel::value(entry, column);
        return values;
    }
    static QStringList panels(const ListWindow* window)
    {
        return {window->panelText(0), window->panelText(1), window->panelText(2),
                window->panelText(3)};
    }
    static QTimer* timer1(ListWindow* window)
    {
        return window->findChild<QTimer*>(QStringLiteral("Timer1"));
    }
    static QLineEdit* edit(ListWindow* window, const char* name)
    {
        return window->findChild<QLineEdit*>(QLatin1String(name));
    }
    // What the window's debounce timer does when it fires.
    static void fire(QTimer* timer)
    {
        ASSERT_TRUE(timer->isActive());
        timer->stop();
        QMetaObject::invokeMethod(timer, "timeout");
    }
    static void select(ListWindow* window, std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window->listView()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(window->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString orderOfLastQuery() const
    {
        const QString sql = const_cast<SongDatabase&>(db).monitor().text();
        const qsizetype at = sql.indexOf(QLatin1String(" order by"));
        return at < 0 ? QString() : sql.mid(at);
    }

    TempHome home;
    SongDatabase db{home.path()};
    RQuery rq{db};
    UQuery uq{db};
    SettingsStore settings{std::make_unique<QSettings>(home.settingsFile(), QSettings::IniFormat)};
    FakeVolumes volumes;
    QString medium;
    ListShared shared;
    RecordingEditor editor;
    Gauge gauge;
    ListContext ctx;
    QMdiArea area;
};
