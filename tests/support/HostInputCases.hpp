#pragma once

#include <exception>
#include <optional>
#include <string>
#include <vector>

// The scale and seed texts every host's front end must read alike: accepted
// with the same value, or refused with the same words.
struct ScaleCase {
    const char* text;
    // Nothing when refused; 0 for auto.
    std::optional<double> scale;
};

struct SeedCase {
    const char* text;
    std::optional<unsigned long> seed;
};

inline const std::vector<ScaleCase> scaleCases = {
    { "1", 1 }, { "4", 4 }, { "1.5", 1.5 }, { "2.25", 2.25 }, { "03.0", 3 }, { "auto", 0 },
    { "", {} }, { "0.99", {} }, { "4.01", {} }, { "1e0", {} }, { " 2", {} }, { "2 ", {} }, { "+2", {} },
    { "-1", {} }, { "0x2", {} }, { "2.", {} }, { ".5", {} }, { "inf", {} }, { "nan", {} }, { "AUTO", {} },
    { "1,5", {} },
};

inline const std::vector<SeedCase> seedCases = {
    { "0", 0 }, { "4294967295", 4294967295 }, { "007", 7 },
    { "", {} }, { "-1", {} }, { "+5", {} }, { " 5", {} }, { "5 ", {} }, { "4294967296", {} }, { "1e3", {} },
    { "0x10", {} },
};

// -delay, in microseconds; the Linux programs take it.
struct DelayCase {
    const char* text;
    std::optional<long> microseconds;
};

inline const std::vector<DelayCase> delayCases = {
    { "0", 0 }, { "33333", 33333 }, { "10000000", 10000000 }, { "10000001", {} }, { "-5", {} }, { "1e3", {} }, { "", {} },
};

// What every host says of a value it refuses, after the option as the user spelled it.
inline std::string refusalOf(const std::string& spelling, const std::string& text, const char* expected)
{
    return "invalid " + spelling + " '" + text + "': expected " + expected;
}

// The message of what `read` throws, or "" when it reads what it was given.
template <typename Read>
std::string refusalFrom(Read read)
{
    try {
        read();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}
