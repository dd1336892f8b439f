#include "player/TMPEGError.h"

#include "testsupport/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(TMPEGErrorTest, MessagesByCode)
{
    struct Case
    {
        int code;
        const char* message;
    };
    const Case cases[] = {
        {0, "MPEG library not loaded"},
        {1, "Internal decoder error"},
        {2, "Incorrect mode"},
        {3, "Input stream error"},
        {4, "Input stream is non-seekable"},
        {5, "Output device failure"},
        {254, "Can't play non-specified stream"},
        // Codes outside the table name themselves instead of reading past it.
        {6, "Unknown MPEG library error 6"},
        {253, "Unknown MPEG library error 253"},
        {255, "Unknown MPEG library error 255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const TMPEGError error(static_cast<quint8>(c.code));
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.message(), QString::fromLatin1(c.message));
        EXPECT_STREQ(error.what(), c.message);
    }
}

TEST(TMPEGErrorTest, LoadFailureAndOutOfRangeLibraryCodes)
{
    const TMPEGError cantLoad = TMPEGError::cantLoadLibrary();
    EXPECT_EQ(cantLoad.code(), 0);
    EXPECT_EQ(cantLoad.message(), "Can't load MPEG library");

    EXPECT_EQ(TMPEGError::fromLibraryCode(3).code(), 3);
    EXPECT_EQ(TMPEGError::fromLibraryCode(3).message(), "Input stream error");
    for (int code : {256, 100000, -1}) {
        SCOPED_TRACE(code);
        const TMPEGError error = TMPEGError::fromLibraryCode(code);
        EXPECT_EQ(error.code(), TMPEGError::UnknownCode);
        EXPECT_EQ(error.message(), QStringLiteral("Unknown MPEG library error %1").arg(code));
    }

    // Caught as the program's common error type, as the error box and the CLI catch it.
    try {
        throw TMPEGError(TMPEGError::IncorrectMode);
    } catch (const TamboroError& e) {
        EXPECT_EQ(e.message(), "Incorrect mode");
    }
}

} // namespace
