#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A path whose file name numbers the frames with one printf-style %d, such as
// frames/f%05d.png: an optional 0 flag and width, and %% for a per cent sign.
// Parsed here rather than handed to printf, since the pattern comes from the
// user; the directory part is taken literally.
class FramePathPattern {
public:
    // Null when the file name holds no per cent sign: a plain path. Throws
    // std::invalid_argument, with the reason, for a malformed pattern.
    static std::optional<FramePathPattern> parse(const std::filesystem::path& path);

    // `number` is not negative: frames count from 1.
    std::filesystem::path pathFor(int number) const;
    // The frame number whose file has this name (no directory), if any.
    std::optional<int> numberIn(const std::string& fileName) const;
    // A file name that a frame from 1 to `lastFrame` of this pattern and one of
    // `other` share, if any; the directories are the caller's to compare.
    std::optional<std::string> nameSharedWith(const FramePathPattern& other, int lastFrame) const;
    // The file name's extension with the number left out (".png" for f%05d.png).
    std::string extension() const;
    const std::filesystem::path& directory() const { return _directory; }

private:
    // A set of names as one range of bytes per position: every name that
    // takes a byte from each range.
    using Shape = std::vector<std::pair<char, char>>;

    FramePathPattern() = default;
    // The names of frames 1 to `lastFrame`, as a few shapes.
    std::vector<Shape> shapes(int lastFrame) const;

    std::filesystem::path _directory;
    std::string _prefix;
    std::string _suffix;
    bool _zeroPadded = false;
    int _width = 0;
};
