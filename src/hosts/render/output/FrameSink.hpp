#pragma once

#include "ImageView.hpp"

// Where rendered frames go: a still image, numbered images or a video. A sink
// completes its output under a temporary name and puts it in place on commit().
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Called after each frame with the finished picture; frames count from 1.
    virtual void addFrame(const ImageView& image, int number) = 0;
    // Called once after the last frame; completes the output under its temporary name.
    virtual void finish(const ImageView& image) = 0;
    // Renames the completed output onto its target.
    virtual void commit() = 0;
};
