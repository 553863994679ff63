#include "options/OptionReader.hpp"

#include "options/Printable.hpp"

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

std::string OptionReader::invalid(std::string_view spelling, std::string_view text, const char* expected)
{
    return "invalid " + std::string(spelling) + " " + quoted(text) + ": expected " + expected;
}

std::string OptionReader::quoted(std::string_view text)
{
    return "'" + printable(text) + "'";
}
