#include "output/FramePathPattern.hpp"

#include <limits>
#include <stdexcept>

namespace {

constexpr int widestField = 20;

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
