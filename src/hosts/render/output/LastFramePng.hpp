#pragma once

#include "output/AtomicFile.hpp"
#include "output/FrameSink.hpp"

// Saves the last frame of the run as a PNG image.
class LastFramePng final : public FrameSink {
public:
    explicit LastFramePng(std::filesystem::path target);

    void addFrame(const ImageView&, int) override {}
    void finish(const ImageView& image) override;
    void commit() override;

private:
    AtomicFile _file;
};
