#include "ui/Icons.h"
#include "testsupport/QtPrinters.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <gtest/gtest.h>

namespace Icons {

// A failing case names its icon by the picture's resource.
void PrintTo(Id id, std::ostream* os)
{
    *os << resourcePath(id).toStdString();
}

} // namespace Icons

namespace {

// Pixels that are not fully transparent: a picture that fails to load or draws nothing has none.
int paintedPixels(const QIcon& icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++painted;
    return painted;
}

class EveryIcon : public ::testing::TestWithParam<Icons::Id>
{};

TEST_P(EveryIcon, OwnPictureRendersAtToolbarAndRowSizes)
{
    const Icons::Id id = GetParam();
    ASSERT_TRUE(QFile::exists(Icons::resourcePath(id))) << Icons::resourcePath(id).toStdString();
    const QIcon own = Icons::own(id);
    ASSERT_FALSE(own.isNull());
    for (int size : {16, 24, 48}) {
        const int painted = paintedPixels(own, size);
        EXPECT_GT(painted, size * size / 10) << "size " << size;
        EXPECT_LT(painted, size * size) << "size " << size; // a shape, not a filled square
    }
    const QIcon chosen = Icons::get(id);
    ASSERT_FALSE(chosen.isNull());
    EXPECT_GT(paintedPixels(chosen, 24), 0);
}

INSTANTIATE_TEST_SUITE_P(
    All, EveryIcon, ::testing::ValuesIn(Icons::all()),
    [](const ::testing::TestParamInfo<Icons::Id>& info) {
        return Icons::resourcePath(info.param).mid(8).chopped(4).replace(u'-', u'_').toStdString();
    });

TEST(Icons, EachMeaningHasAPictureOfItsOwn)
{
    QSet<QString> paths;
    QSet<QString> themeNames;
    int themed = 0;
    for (Icons::Id id : Icons::all()) {
        paths.insert(Icons::resourcePath(id));
        if (!Icons::themeName(id).isEmpty()) {
            ++themed;
            themeNames.insert(Icons::themeName(id));
        }
    }
    EXPECT_EQ(paths.size(), Icons::all().size());
    EXPECT_EQ(themeNames.size(), themed);
}

TEST(Icons, MediumKindsHaveTheirPictures)
{
    EXPECT_EQ(Icons::forMediumKind(u'!').cacheKey(),
              Icons::get(Icons::Id::MediumHardDisk).cacheKey());
    EXPECT_EQ(Icons::forMediumKind(u'@').cacheKey(), Icons::get(Icons::Id::MediumCd).cacheKey());
    EXPECT_EQ(Icons::forMediumKind(u'R').cacheKey(),
              Icons::get(Icons::Id::MediumNetwork).cacheKey());
    EXPECT_TRUE(Icons::forMediumKind(u'x').isNull());
}

} // namespace
