#include "settings/FontFace.h"
#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

struct FaceCase
{
    const char* name;
    const char* family;
    const char* face;
};

void PrintTo(const FaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class FontFaceTest : public ::testing::TestWithParam<FaceCase>
{};

TEST_P(FontFaceTest, KeepsTheFaceNameWithoutItsFoundry)
{
    const FaceCase& c = GetParam();
    EXPECT_EQ(FontFace::faceName(QString::fromUtf8(c.family)), QString::fromUtf8(c.face));
}

INSTANTIATE_TEST_SUITE_P(
    Families, FontFaceTest,
    ::testing::Values(FaceCase{"plain face", "Nimbus Mono PS", "Nimbus Mono PS"},
                      FaceCase{"foundry cut", "Nimbus Mono PS [urw]", "Nimbus Mono PS"},
                      FaceCase{"foundry with blanks cut", "Noto Sans [Google Inc]", "Noto Sans"},
                      FaceCase{"blanks around cut", "  DejaVu Sans [PfEd]  ", "DejaVu Sans"},
                      FaceCase{"only the last bracket is the foundry", "Odd [1] Face [abc]",
                               "Odd [1] Face"},
                      FaceCase{"bracket inside the name kept", "Font[x]", "Font[x]"},
                      FaceCase{"bracketed name alone kept", "[urw]", "[urw]"},
                      FaceCase{"unclosed bracket kept", "Face [urw", "Face [urw"},
                      FaceCase{"non-ASCII face", "Schrift Ä [fü]", "Schrift Ä"},
                      FaceCase{"empty", "", ""}),
    RowName());

} // namespace
