#include "options/OptionReader.hpp"

#include <cstdio>
#include <utility>

OptionReader::OptionReader(std::vector<std::string> arguments, Dashes dashes)
    : _arguments(std::move(arguments))
    , _dashes(dashes)
{
}

std::optional<std::string> OptionReader::next()
{
    if (_next >= _arguments.size())
        return std::nullopt;
    const std::string& argument = _arguments[_next++];
    std::size_t dashes = argument.starts_with("--") ? 2 : argument.starts_with("-") ? 1 : 0;
    if (dashes == 0 || argument.size() == dashes)
        throw OptionError("unexpected argument " + quoted(argument));
    _attached.reset();
    _spelling = argument;
    if (std::size_t equals = argument.find('='); equals != std::string::npos) {
        _attached = argument.substr(equals + 1);
        _spelling.resize(equals);
    }
    if (dashes == 1 && _dashes == Dashes::Two)
        unknown();
    return _spelling.substr(dashes);
}

void OptionReader::noValue()
{
    if (_attached)
        throw OptionError("option " + quoted(_spelling) + " takes no value");
}

std::string OptionReader::value()
{
    if (_attached)
        return *_attached;
    if (_next >= _arguments.size())
        throw OptionError("option " + quoted(_spelling) + " needs a value");
    return _arguments[_next++];
}

void OptionReader::once()
{
    std::string name = _spelling.substr(_spelling.find_first_not_of('-'));
    if (!_seen.insert(name).second)
        throw OptionError("option " + quoted(_spelling) + " is given more than once");
}

void OptionReader::unknown() const
{
    throw OptionError("unknown option " + quoted(_spelling));
}

std::string OptionReader::refusal(std::string_view spelling, std::string_view text, const char* expected)
{
    return "invalid " + std::string(spelling) + " " + quoted(text) + ": expected " + expected;
}

std::string OptionReader::quoted(std::string_view text)
{
    std::string result = "'";
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        // U+0080 to U+009F, which some terminals take as controls, are C2 80 to C2 9F in UTF-8.
        bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F
            && static_cast<unsigned char>(text[i + 1]) >= 0x80;
        if (byte == '\\') {
            result += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F || c1) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c1 ? static_cast<unsigned char>(text[++i]) : byte);
            result += c1 ? std::string("\\u00") + (escaped + 2) : escaped;
        } else {
            result += text[i];
        }
    }
    return result + "'";
}
