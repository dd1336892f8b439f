#pragma once

#include <QString>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// The kinds of exception a piece of work can let out, each with the text the user is to see for
// it, for tests of every place that stops exceptions.
struct ExceptionCase
{
    const char* name;
    std::function<void()> raise; // throws the exception
    QString text;                // the text shown, when the caller gives no text of its own
    bool carriesText = true;     // false: the text is the one for an unknown error
};

// One of ours (with text outside ASCII), one of the standard library's, and something that is
// no exception class at all.
const std::vector<ExceptionCase>& exceptionCases();

inline void PrintTo(const ExceptionCase& exceptionCase, std::ostream* os)
{
    *os << exceptionCase.name;
}

inline std::string exceptionCaseName(const ::testing::TestParamInfo<ExceptionCase>& info)
{
    return info.param.name;
}
