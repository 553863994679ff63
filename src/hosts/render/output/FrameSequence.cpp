#include "output/FrameSequence.hpp"

#include "output/AtomicFile.hpp"
#include "output/PngEncoder.hpp"

FrameSequence::FrameSequence(FramePathPattern pattern)
    : _pattern(std::move(pattern))
{
}

void FrameSequence::addFrame(const ImageView& image, int number)
{
    AtomicFile file(_pattern.pathFor(number));
    PngEncoder::write(image, file.stream(), file.target());
    file.commit();
}
