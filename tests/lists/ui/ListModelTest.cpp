#include "lists/ui/ListModel.h"

#include "testsupport/CaseNames.h"
#include "testsupport/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

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

// ---- The model's contract, checked by Qt's model tester ----

// Watches a model with QAbstractItemModelTester for as long as it lives and fails the running
// test with every complaint the tester logs. The tester's warning mode is used because its
// fatal mode would end the whole test program at the first complaint.
class ModelContract
{
public:
    explicit ModelContract(QAbstractItemModel* model)
    {
        complaints().clear();
        previous() = qInstallMessageHandler(&collect);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    ~ModelContract()
    {
        m_tester.reset();
        qInstallMessageHandler(previous());
        for (const QString& complaint : complaints())
            ADD_FAILURE() << "model tester: " << complaint.toStdString();
    }
    ModelContract(const ModelContract&) = delete;
    ModelContract& operator=(const ModelContract&) = delete;

private:
    static QStringList& complaints()
    {
        static QStringList list;
        return list;
    }
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (context.category && qstrcmp(context.category, "qt.modeltest") == 0)
            complaints().append(text);
        else if (previous())
            previous()(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }

    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

// A list window's operations on its model: every change of rows is a new set of entries (a
// sort or a filter runs the query again), a clear, or a header image.
struct OperationCase
{
    const char* name;
    std::function<void(ListModel&)> operate;
    QStringList artists; // the first column afterwards, top to bottom
};

void PrintTo(const OperationCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<ListEntry> reversed(std::vector<ListEntry> entries)
{
    std::reverse(entries.begin(), entries.end());
    return entries;
}

const OperationCase operationCases[] = {
    {"FillAnEmptyModel", [](ListModel& m) { m.setEntries(rows(3)); }, {"A0", "A1", "A2"}},
    {"RefillWithMoreRows",
     [](ListModel& m) {
         m.setEntries(rows(2));
         m.setEntries(rows(4));
     },
     {"A0", "A1", "A2", "A3"}},
    {"SortTheOtherWay",
     [](ListModel& m) {
         m.setEntries(rows(3));
         m.setEntries(reversed(rows(3)));
     },
     {"A2", "A1", "A0"}},
    {"FilterDownToOneRow",
     [](ListModel& m) {
         m.setEntries(rows(5));
         std::vector<ListEntry> kept;
         kept.push_back(entry(QStringLiteral("A3"), QStringLiteral("4"), false));
         m.setEntries(std::move(kept));
     },
     {"A3"}},
    {"FilterDownToNothing",
     [](ListModel& m) {
         m.setEntries(rows(3));
         m.setEntries({});
     },
     {}},
    {"Clear",
     [](ListModel& m) {
         m.setEntries(rows(3));
         m.clear();
     },
     {}},
    {"ClearTwiceAndRefill",
     [](ListModel& m) {
         m.clear();
         m.setEntries(rows(2));
         m.clear();
         m.clear();
         m.setEntries(rows(1));
     },
     {"A0"}},
    {"HeaderImagesComeAndGo",
     [](ListModel& m) {
         m.setEntries(rows(2));
         m.setHeaderImage(1, ListModel::HeaderImage::Ascending);
         m.setHeaderImage(1, ListModel::HeaderImage::Descending);
         m.setHeaderImage(6, ListModel::HeaderImage::Ascending);
         m.clearHeaderImages();
     },
     {"A0", "A1"}},
};

class ListModelOperationTest : public ::testing::TestWithParam<OperationCase>
{};

TEST_P(ListModelOperationTest, KeepsTheItemModelContract)
{
    ListModel model;
    {
        ModelContract contract(&model);
        GetParam().operate(model);
    }
    QStringList artists;
    for (int row = 0; row < model.rowCount(); ++row)
        artists << model.data(model.index(row, 0)).toString();
    EXPECT_EQ(artists, GetParam().artists);
}

INSTANTIATE_TEST_SUITE_P(Operations, ListModelOperationTest, ::testing::ValuesIn(operationCases),
                         RowName());

// What each role gives: text in every column, the row image on the first only, nothing else.
TEST(ListModelTest, RolesGiveTextEverywhereAndTheImageOnTheFirstColumnOnly)
{
    ListModel model;
    ModelContract contract(&model);
    model.setEntries(rows(2));

    for (int column = 0; column < ListModel::columns; ++column) {
        const QModelIndex index = model.index(1, column);
        EXPECT_EQ(model.data(index).toString(), ListModel::value(model.entry(1), column)) << column;
        EXPECT_EQ(model.data(index, Qt::DecorationRole).isValid(), column == 0) << column;
        for (int role :
             {int(Qt::EditRole), int(Qt::ToolTipRole), int(Qt::CheckStateRole), int(Qt::UserRole)})
            EXPECT_FALSE(model.data(index, role).isValid()) << column << " role " << role;
        EXPECT_EQ(model.flags(index), Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                          Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled);
    }
    // Nothing outside the rows, and no children below a row.
    EXPECT_FALSE(model.data(QModelIndex()).isValid());
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
    EXPECT_FALSE(model.index(2, 0).isValid());
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
}

} // namespace
