#pragma once

#include "options/OptionError.hpp"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Reads a command line option by option, with one grammar and one set of
// messages for every program: `--name`, or `-name` too where a program takes
// one dash as XScreenSaver's hacks do, with a value after `=` or as the next
// argument. Every complaint is an OptionError of one line, the user's text
// quoted with control characters shown escaped.
class OptionReader {
public:
    enum class Dashes { Two, OneOrTwo };

    OptionReader(std::vector<std::string> arguments, Dashes dashes);

    // The next option's name without its dashes, or nothing after the last.
    std::optional<std::string> next();
    // The current option as written, without any `=value`.

    // Refuses a value given to an option that takes none.
    void noValue();
    std::string value();
    // The value read by `parse` (which gives nothing for text it cannot
    // read); otherwise the error says what was `expected`.
    template <typename Parse>
    auto value(Parse parse, const char* expected) -> std::remove_reference_t<decltype(*parse(std::string_view {}))>
    {
        std::string text = value();
        auto parsed = parse(text);
        if (!parsed)
            throw OptionError(invalid(_spelling, text, expected));
        return *parsed;
    }
    // Refuses the current option when it was given before.
    void once();
    [[noreturn]] void unknown() const;

    // What every host says of a value it refuses: "invalid SPELLING 'text': expected EXPECTED".
    static std::string invalid(std::string_view spelling, std::string_view text, const char* expected);
    // 'text', printable on one line.
    static std::string quoted(std::string_view text);

private:
    std::vector<std::string> _arguments;
    Dashes _dashes;
    std::size_t _next = 0;
    std::string _spelling;
    std::optional<std::string> _attached;
    std::set<std::string> _seen;
};
