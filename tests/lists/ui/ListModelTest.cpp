#include "lists/ui/ListModel.h"

#include "testsupport/QtPrinters.h"

#include <QIcon>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

ListEntry entry(const QString& artist, const QString& id, bool available)
{
    ListEntry e;
    e.caption = artist;
    e.sub[ListEntry::Title] = QStringLiteral("title of ") + artist;
    e.sub[ListEntry::ID] = id;
    e.sub[ListEntry::Played] = QStringLiteral("3");
    e.available = available;
    return e;
}

std::vector<ListEntry> rows(int count)
{
    std::vector<ListEntry> result;
    for (int i = 0; i < count; ++i)
        result.push_back(entry(QStringLiteral("A%1").arg(i), QString::number(i + 1), i % 2 == 0));
    return result;
}

TEST(ListModelTest, ThirteenColumnsInListOrder)
{
    ListModel model;
    model.setEntries(rows(1));

    const QStringList expected{"Artist",  "Title",    "Length", "Filename",  "Album",
                               "Comment", "Year",     "Genre",  "Frequency", "Bitrate",
                               "ID",      "Location", "Pld."};
    ASSERT_EQ(model.columnCount(), 13);
    for (int column = 0; column < 13; ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), expected[column]);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("A0"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("title of A0"));
    EXPECT_EQ(model.data(model.index(0, 10)).toString(), QStringLiteral("1"));
    EXPECT_EQ(model.data(model.index(0, 12)).toString(), QStringLiteral("3"));
}

TEST(ListModelTest, RowImageOnTheFirstColumnOnlyAndDifferentForMissingFiles)
{
    ListModel model;
    model.setEntries(rows(2));

    const QIcon available = model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>();
    const QIcon missing = model.data(model.index(1, 0), Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(available.isNull());
    EXPECT_FALSE(missing.isNull());
    EXPECT_NE(available.cacheKey(), missing.cacheKey());
    EXPECT_FALSE(model.data(model.index(0, 1), Qt::DecorationRole).isValid());
}

TEST(ListModelTest, ManyRowsArriveInOneResetWithoutPerRowSignals)
{
    ListModel model;
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    model.setEntries(rows(5000));
    model.setEntries(rows(3));

    EXPECT_EQ(resets.size(), 2);
    EXPECT_EQ(inserts.size(), 0);
    EXPECT_EQ(changes.size(), 0);
    EXPECT_EQ(model.rowCount(), 3);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ListModelTest, HeaderImageOnOneColumnAtATime)
{
    ListModel model;
    QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);

    model.setHeaderImage(4, ListModel::HeaderImage::Descending);
    EXPECT_FALSE(model.headerData(4, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
    model.clearHeaderImages();

    EXPECT_EQ(model.headerImage(4), ListModel::HeaderImage::None);
    EXPECT_FALSE(model.headerData(4, Qt::Horizontal, Qt::DecorationRole).isValid());
    EXPECT_EQ(headers.size(), 2); // set and cleared; untouched columns send nothing
}

} // namespace
