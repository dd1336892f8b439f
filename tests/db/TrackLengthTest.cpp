#include "db/TrackLength.h"
#include "platform/Errors.h"

#include "testsupport/CaseNames.h"

#include <gtest/gtest.h>

namespace {

struct LengthCase
{
    qint64 milliseconds;
    const char* text;
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.milliseconds << " ms";
}

const LengthCase lengthCases[] = {
    {0, "0:00:00"},         {499, "0:00:00"},     {-5000, "0:00:00"},   {1499, "0:00:00"},
    {1500, "0:00:01"},      {225400, "0:03:44"}, // 3 min 45.4 s: half a second comes off first
    {225500, "0:03:45"},    {3600500, "1:00:00"}, {3723500, "1:02:03"}, {86399500, "23:59:59"},
    {86400499, "23:59:59"},
};

class TrackLengthTable : public ::testing::TestWithParam<LengthCase>
{};

TEST_P(TrackLengthTable, FormatsHoursWithoutLeadingZero)
{
    EXPECT_EQ(TrackLength::fromMilliseconds(GetParam().milliseconds),
              QString::fromLatin1(GetParam().text));
}

// Named by the milliseconds given, "minus" for a negative count: 225400ms, minus5000ms.
INSTANTIATE_TEST_SUITE_P(TrackLength, TrackLengthTable, ::testing::ValuesIn(lengthCases),
                         [](const auto& info) {
                             const qint64 ms = info.param.milliseconds;
                             return (ms < 0 ? "minus" : "") + std::to_string(ms < 0 ? -ms : ms) +
                                    "ms";
                         });

TEST(TrackLength, TwentyFourHoursOrMoreIsAnError)
{
    EXPECT_THROW(TrackLength::fromMilliseconds(86400500), EConvertError);
    EXPECT_THROW(TrackLength::fromMilliseconds(qint64(1) << 40), EConvertError);
}

} // namespace
