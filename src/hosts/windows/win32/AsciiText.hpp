#pragma once

#include <string>
#include <string_view>

// What the saver reads and writes through Windows' wide strings is ASCII: its
// options, settings and messages. Anything else read is shown as '?'.
inline std::string narrowed(const wchar_t* text)
{
    std::string result;
    for (const wchar_t* c = text; *c; ++c)
        result += *c < 128 ? static_cast<char>(*c) : '?';
    return result;
}

inline std::wstring widened(std::string_view text)
{
    return std::wstring(text.begin(), text.end());
}
