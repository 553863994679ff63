#include "output/FramePathPattern.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

constexpr int widestField = 20;

std::vector<std::pair<char, char>> literal(std::string_view text)
{
    std::vector<std::pair<char, char>> shape;
    for (char c : text)
        shape.emplace_back(c, c);
    return shape;
}

}

std::optional<FramePathPattern> FramePathPattern::parse(const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    if (name.find('%') == std::string::npos)
        return std::nullopt;

    FramePathPattern pattern;
    pattern._directory = path.parent_path();
    bool converted = false;
    std::string* literal = &pattern._prefix;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            *literal += name[i];
            continue;
        }
        if (++i < name.size() && name[i] == '%') {
            *literal += '%';
            continue;
        }
        if (converted)
            throw std::invalid_argument("a frame pattern holds only one %d");
        if (i < name.size() && name[i] == '0') {
            pattern._zeroPadded = true;
            ++i;
        }
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
            pattern._width = pattern._width * 10 + (name[i] - '0');
            if (pattern._width > widestField)
                throw std::invalid_argument("a frame number is at most 20 digits wide");
            ++i;
        }
        if (i >= name.size() || name[i] != 'd')
            throw std::invalid_argument("a frame pattern takes %d (such as %05d), or %% for a per cent sign");
        converted = true;
        literal = &pattern._suffix;
    }
    if (!converted)
        throw std::invalid_argument("a frame pattern needs a %d for the frame number");
    return pattern;
}

std::filesystem::path FramePathPattern::pathFor(int number) const
{
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < _width)
        digits.insert(0, static_cast<std::size_t>(_width) - digits.size(), _zeroPadded ? '0' : ' ');
    return _directory / (_prefix + digits + _suffix);
}

std::optional<int> FramePathPattern::numberIn(const std::string& fileName) const
{
    if (fileName.size() < _prefix.size() + _suffix.size() || !fileName.starts_with(_prefix)
        || !fileName.ends_with(_suffix))
        return std::nullopt;
    std::string digits = fileName.substr(_prefix.size(), fileName.size() - _prefix.size() - _suffix.size());
    digits.erase(0, digits.find_first_not_of(" 0"));
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    long long number = std::stoll(digits);
    // The padding must be this pattern's own: f%05d.png names f00012.png, not f012.png.
    if (number > std::numeric_limits<int>::max() || pathFor(static_cast<int>(number)).filename() != fileName)
        return std::nullopt;
    return static_cast<int>(number);
}

std::string FramePathPattern::extension() const
{
    return std::filesystem::path(_prefix + "0" + _suffix).extension().string();
}

std::optional<std::string> FramePathPattern::nameSharedWith(const FramePathPattern& other, int lastFrame) const
{
    // Two shapes share the names that take, at each position, a byte both ranges hold.
    for (const Shape& mine : shapes(lastFrame)) {
        for (const Shape& theirs : other.shapes(lastFrame)) {
            if (mine.size() != theirs.size())
                continue;
            std::string name;
            for (std::size_t i = 0; i < mine.size(); ++i) {
                char lowest = std::max(mine[i].first, theirs[i].first);
                if (lowest > std::min(mine[i].second, theirs[i].second))
                    break;
                name += lowest;
            }
            if (name.size() == mine.size())
                return name;
        }
    }
    return std::nullopt;
}

std::vector<FramePathPattern::Shape> FramePathPattern::shapes(int lastFrame) const
{
    // The numbers from 1 to lastFrame: the shorter ones, then those of its
    // length that first fall below it at one digit, then lastFrame itself.
    std::string last = std::to_string(lastFrame);
    std::vector<Shape> numbers;
    for (std::size_t length = 1; length < last.size(); ++length) {
        Shape number { { '1', '9' } };
        number.resize(length, { '0', '9' });
        numbers.push_back(std::move(number));
    }
    for (std::size_t below = 0; below < last.size(); ++below) {
        char lowest = below == 0 ? '1' : '0';
        if (last[below] == lowest)
            continue;
        Shape number = literal(std::string_view(last).substr(0, below));
        number.emplace_back(lowest, static_cast<char>(last[below] - 1));
        number.resize(last.size(), { '0', '9' });
        numbers.push_back(std::move(number));
    }
    numbers.push_back(literal(last));

    char padding = _zeroPadded ? '0' : ' ';
    std::vector<Shape> names;
    for (const Shape& number : numbers) {
        Shape name = literal(_prefix);
        if (number.size() < static_cast<std::size_t>(_width))
            name.resize(name.size() + static_cast<std::size_t>(_width) - number.size(), { padding, padding });
        name.insert(name.end(), number.begin(), number.end());
        Shape suffix = literal(_suffix);
        name.insert(name.end(), suffix.begin(), suffix.end());
        names.push_back(std::move(name));
    }
    return names;
}
