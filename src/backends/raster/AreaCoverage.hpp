#pragma once

#include <cstdint>
#include <vector>

// Exact-area coverage of a polygon over a band of pixel rows, after the
// accumulation rasterisers of font-rs and Blend2D: each edge adds, to the cells
// of the rows it crosses, the signed area it sweeps to its right; a running sum
// along a row then gives each pixel's covered fraction. The polygon is closed,
// so the sum returns to zero after its last edge on every row.
class AreaCoverage {
public:
    // The widest band the cells hold; wider bands get fewer rows.
    static constexpr int cellCapacity = 64 * 1024;

    // Starts a band of `columns` pixels from `left` and as many rows from `top`
    // as the cells hold, at most `rows`; returns how many rows it took.
    int beginBand(int left, int top, int columns, int rows);
    // One directed edge of the polygon, in canvas coordinates; only the part
    // inside the band counts.
    void addEdge(double x0, double y0, double x1, double y1);

    struct Span {
        int first;
        int end;
    };
    // Writes the coverage (0..255, 256 to a whole pixel, capped) of band row `row` for columns [first, end)
    // of the band into coverage[first..end), and clears the row's cells.
    Span takeRow(int row, std::uint8_t* coverage);

private:
    void addToRow(int row, double x, double nextX, double height);

    std::vector<float> _cells = std::vector<float>(cellCapacity);
    std::vector<int> _firstCell;
    std::vector<int> _lastCell;
    int _left = 0;
    int _top = 0;
    int _columns = 0;
    int _rows = 0;
};
