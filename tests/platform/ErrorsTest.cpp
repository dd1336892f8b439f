#include "platform/Errors.h"
#include "testsupport/ExceptionCases.h"
#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

std::exception_ptr thrownBy(const ExceptionCase& exceptionCase)
{
    try {
        exceptionCase.raise();
    } catch (...) {
        return std::current_exception();
    }
    ADD_FAILURE() << exceptionCase.name << " threw nothing";
    return nullptr;
}

class ErrorTextTest : public ::testing::TestWithParam<ExceptionCase>
{};

TEST_P(ErrorTextTest, GivesTheTextTheUserIsShown)
{
    const std::exception_ptr error = thrownBy(GetParam());
    EXPECT_EQ(errorText(error), GetParam().text);
    try {
        std::rethrow_exception(error);
    } catch (...) {
        EXPECT_EQ(currentErrorText(), GetParam().text);
    }
}

TEST_P(ErrorTextTest, ACallersOwnTextStandsOnlyForAnExceptionWithoutText)
{
    const QString own = QStringLiteral("The add stopped because of an unknown error.");
    EXPECT_EQ(errorText(thrownBy(GetParam()), own), GetParam().carriesText ? GetParam().text : own);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ErrorTextTest, ::testing::ValuesIn(exceptionCases()),
                         exceptionCaseName);

TEST(ErrorText, NoExceptionGivesNoText)
{
    EXPECT_TRUE(errorText(nullptr).isEmpty());
    EXPECT_TRUE(errorText(nullptr, QStringLiteral("unknown")).isEmpty());
}

} // namespace
