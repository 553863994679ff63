#pragma once

#include "output/FramePathPattern.hpp"
#include "output/FrameSink.hpp"

// Saves every frame as a PNG image of its own, named by a frame pattern. Each
// image is put in place as soon as it is complete.
class FrameSequence final : public FrameSink {
public:
    explicit FrameSequence(FramePathPattern pattern);

    void addFrame(const ImageView& image, int number) override;
    void finish(const ImageView&) override {}
    void commit() override {}

private:
    FramePathPattern _pattern;
};
