#include "options/Printable.hpp"

#include <cstdio>

namespace {

// The length of the UTF-8 character that starts `text`, or 0 when it starts
// with a byte that is no character's start, a broken one, or a C1 control.
std::size_t characterLength(std::string_view text)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t length = 0;
    if (byte(0) < 0x80)
        length = 1;
    else if (byte(0) >= 0xC2 && byte(0) < 0xE0)
        length = 2;
    else if (byte(0) >= 0xE0 && byte(0) < 0xF0)
        length = 3;
    else if (byte(0) >= 0xF0 && byte(0) < 0xF5)
        length = 4;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    }
    bool c1Control = byte(0) == 0xC2 && byte(1) < 0xA0;
    return c1Control ? 0 : length;
}

}

std::string printable(std::string_view text)
{
    std::string result;
    while (!text.empty()) {
        auto first = static_cast<unsigned char>(text[0]);
        std::size_t length = characterLength(text);
        if (length > 1 || (length == 1 && first >= 0x20 && first != 0x7F)) {
            result += text.substr(0, length);
            text.remove_prefix(length);
            continue;
        }
        if (first == '\n')
            result += "\\n";
        else if (first == '\t')
            result += "\\t";
        else if (first == '\r')
            result += "\\r";
        else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", first);
            result += escaped;
        }
        text.remove_prefix(1);
    }
    return result;
}
