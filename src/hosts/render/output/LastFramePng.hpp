#pragma once

#include "output/AtomicFile.hpp"
#include "output/FrameSink.hpp"

// Saves the last frame of the run as a PNG image.
class LastFramePng final : public FrameSink {
public:
    explicit LastFramePng(std::filesystem::path target);

    void addFrame(const CairoCanvas&, int) override {}
    void finish(const CairoCanvas& canvas) override;
    void commit() override;

private:
    AtomicFile _file;
};
