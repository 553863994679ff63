#pragma once

#include "Canvas.hpp"
#include "TouchedTiles.hpp"

#include <cstdint>
#include <memory>
#include <vector>

// The raster canvas as it was before it worked stroke by stroke: area cells for
// a band of rows, accumulated edge by edge, then a pass along each row that
// turns them into coverage (and clears them), then the SSE2 blend of the row.
// Kept only so that the benchmark measures the speed-up in one run.
class BeforeCanvas final : public Canvas {
public:
    BeforeCanvas(int width, int height);
    ~BeforeCanvas() override;

    void setColor(double red, double green, double blue, double alpha) override;
    void strokeSegment(double x1, double y1, double x2, double y2, double width) override;
    ImageView image() override { return _image; }
    std::vector<PixelRect> takeTouchedAreas() override { return _touched.take(); }

private:
    class AreaCoverage;
    void blendRow(int y, int first, int end);

    std::unique_ptr<std::uint32_t[]> _pixels;
    ImageView _image;
    TouchedTiles _touched;
    std::unique_ptr<AreaCoverage> _coverage;
    std::vector<std::uint8_t> _rowCoverage;
    std::uint32_t _source = 0;
};
