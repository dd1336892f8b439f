#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

// GoogleTest takes only letters, digits and underscores in a case name. A row named for people
// ("new window, one album") keeps its words, joined by single underscores, so that
// `ctest -R new_window_one_album` picks it.
inline std::string caseName(std::string_view text)
{
    std::string name;
    bool gap = false;
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            gap = true;
            continue;
        }
        if (gap && !name.empty())
            name += '_';
        name += c;
        gap = false;
    }
    return name.empty() ? std::string("empty") : name;
}

// The case name generator for table rows that carry a `name`.
struct RowName
{
    template <typename Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return caseName(info.param.name);
    }
};
