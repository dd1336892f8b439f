#include "intake/AsfShape.h"

#include "intake/IntakeRunFixture.h"
#include "testsupport/CaseNames.h"
#include "testsupport/FailDevice.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Offsets in the WMA fixture: the header (664 bytes, 6 objects) holds file properties at 30,
// a header extension at 134 with a metadata object at 180 and a metadata library at 206,
// stream properties at 232, a codec list at 346, a content description at 446 and an extended
// content description at 550.
template <typename T> void put(QByteArray& bytes, qsizetype at, T value)
{
    ASSERT_LE(at + qsizetype(sizeof(T)), bytes.size());
    qToLittleEndian(value, bytes.data() + at);
}

struct ShapeCase
{
    const char* name;
    std::function<void(QByteArray&)> damage;
    bool sound;
};

class AsfShapeTest : public ::testing::TestWithParam<ShapeCase>
{};

TEST_P(AsfShapeTest, AcceptsOnlyAHeaderWhoseObjectsFitTogether)
{
    QByteArray bytes = IntakeFiles::taggedWma();
    GetParam().damage(bytes);
    QBuffer device(&bytes);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    const QString problem = AsfShape::problem(device);
    if (GetParam().sound)
        EXPECT_EQ(problem, QString());
    else
        EXPECT_TRUE(problem.startsWith(QStringLiteral("damaged WMA header: ")))
            << problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Headers, AsfShapeTest,
    ::testing::Values(
        ShapeCase{"Intact", [](QByteArray&) {}, true},
        ShapeCase{"AudioCutAfterTheHeader", [](QByteArray& b) { b.truncate(700); }, true},
        ShapeCase{"NoWmaFileAtAll", [](QByteArray& b) { b[0] = 'X'; }, true},
        ShapeCase{"CutInsideTheHeader", [](QByteArray& b) { b.truncate(300); }, false},
        ShapeCase{"HeaderLongerThanTheFile",
                  [](QByteArray& b) { put<quint64>(b, 16, quint64(b.size()) + 1); }, false},
        ShapeCase{"MoreObjectsThanTheHeaderHolds",
                  [](QByteArray& b) { put<quint32>(b, 24, 0xFFFFFFFF); }, false},
        ShapeCase{"ObjectSmallerThanItsOwnHeader", [](QByteArray& b) { put<quint64>(b, 46, 0); },
                  false},
        ShapeCase{"ObjectReachingPastTheHeader", [](QByteArray& b) { put<quint64>(b, 566, 1000); },
                  false},
        ShapeCase{"ExtensionDataPastItsObject", [](QByteArray& b) { put<quint32>(b, 176, 0xFFFF); },
                  false},
        ShapeCase{"MetadataCounting65535Records",
                  [](QByteArray& b) { put<quint16>(b, 204, 0xFFFF); }, false},
        ShapeCase{"MetadataLibraryCountingOneRecordTooMany",
                  [](QByteArray& b) { put<quint16>(b, 230, 1); }, false},
        ShapeCase{"CodecListCounting4GEntries",
                  [](QByteArray& b) { put<quint32>(b, 386, 0xFFFFFFFF); }, false},
        ShapeCase{"ContentDescriptionTextsLongerThanTheObject",
                  [](QByteArray& b) { put<quint16>(b, 470, 0xFFFF); }, false},
        ShapeCase{"DescriptorNameReachingPastTheObject",
                  [](QByteArray& b) { put<quint16>(b, 576, 0xFFFF); }, false}),
    RowName());

// A device that breaks down anywhere inside what the check reads makes the file damaged,
// never sound.
TEST(AsfShapeDeviceTest, ADeviceFailingInsideTheHeaderIsADamagedFile)
{
    const QByteArray bytes = IntakeFiles::taggedWma();
    FailDevice whole(bytes);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    ASSERT_EQ(AsfShape::problem(whole), QString());
    const qint64 needed = whole.bytesRead();
    ASSERT_GT(needed, 30);
    for (qint64 limit = 16; limit < needed; limit += 7) {
        FailDevice device(bytes);
        device.setReadLimit(limit);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        EXPECT_FALSE(AsfShape::problem(device).isEmpty()) << "fails after " << limit;
    }
}

} // namespace
