#pragma once

#include "CairoCanvas.hpp"

// Where rendered frames go: a still image, numbered images or a video. A sink
// completes its output under a temporary name and puts it in place on commit().
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Called after each frame, with the canvas flushed; frames count from 1.
    virtual void addFrame(const CairoCanvas& canvas, int number) = 0;
    // Called once after the last frame; completes the output under its temporary name.
    virtual void finish(const CairoCanvas& canvas) = 0;
    // Renames the completed output onto its target.
    virtual void commit() = 0;
};
