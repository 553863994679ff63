#include "AreaCoverage.hpp"

#include <algorithm>
#include <cmath>

namespace {

// std::ceil for 0 <= value < 2^31, without a call into the maths library.
int ceilOf(double value)
{
    int whole = static_cast<int>(value);
    return whole + (whole < value);
}

}

int AreaCoverage::beginBand(int left, int top, int columns, int rows)
{
    // Two cells more than columns: an edge on a pixel's right border adds to the cell after it.
    int cellsPerRow = columns + 2;
    _left = left;
    _top = top;
    _columns = columns;
    _rows = std::clamp(cellCapacity / cellsPerRow, 1, rows);
    if (static_cast<std::size_t>(_rows) * cellsPerRow > _cells.size())
        _cells.resize(static_cast<std::size_t>(_rows) * cellsPerRow);
    _firstCell.assign(_rows, cellsPerRow);
    _lastCell.assign(_rows, -1);
    return _rows;
}

void AreaCoverage::addEdge(double x0, double y0, double x1, double y1)
{
    y0 -= _top;
    y1 -= _top;
    if (!(y0 != y1))
        return;
    // Downward edges add, upward ones subtract.
    double direction = 1;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        direction = -1;
    }
    double from = std::max(y0, 0.0);
    double to = std::min(y1, static_cast<double>(_rows));
    if (from >= to)
        return;
    x0 -= _left;
    x1 -= _left;
    double slope = (x1 - x0) / (y1 - y0);
    // Every x along the edge lies between its ends, and within the cells even
    // when rounding in the clip strays a hair past the band.
    double limit = _columns;
    double lowX = std::clamp(std::min(x0, x1), 0.0, limit);
    double highX = std::clamp(std::max(x0, x1), 0.0, limit);
    auto xAt = [&](double y) { return std::clamp(x0 + (y - y0) * slope, lowX, highX); };

    double x = xAt(from);
    int lastRow = ceilOf(to);
    for (int row = static_cast<int>(from); row < lastRow; ++row) {
        double rowTo = std::min(static_cast<double>(row + 1), to);
        double nextX = xAt(rowTo);
        addToRow(row, x, nextX, direction * (rowTo - std::max(static_cast<double>(row), from)));
        x = nextX;
    }
}

void AreaCoverage::addToRow(int row, double x, double nextX, double height)
{
    double low = std::min(x, nextX);
    double high = std::max(x, nextX);
    float* cells = _cells.data() + static_cast<std::ptrdiff_t>(row) * (_columns + 2);
    int first = static_cast<int>(low);
    int end = ceilOf(high);
    int last;
    if (end <= first + 1) {
        // Within one pixel: the area right of the edge's middle, the rest to the next cell.
        double middle = (low + high) / 2 - first;
        cells[first] += static_cast<float>(height * (1 - middle));
        cells[first + 1] += static_cast<float>(height * middle);
        last = first + 1;
    } else {
        // Across pixels: a triangle in the first, trapezoids of `step` each in between, a triangle in the last.
        double step = 1 / (high - low);
        double firstPart = low - first;
        double firstArea = 0.5 * step * (1 - firstPart) * (1 - firstPart);
        double lastPart = high - end + 1;
        double lastArea = 0.5 * step * lastPart * lastPart;
        cells[first] += static_cast<float>(height * firstArea);
        if (end == first + 2) {
            cells[first + 1] += static_cast<float>(height * (1 - firstArea - lastArea));
        } else {
            double secondArea = step * (1.5 - firstPart);
            cells[first + 1] += static_cast<float>(height * (secondArea - firstArea));
            for (int i = first + 2; i < end - 1; ++i)
                cells[i] += static_cast<float>(height * step);
            double beforeLast = secondArea + (end - first - 3) * step;
            cells[end - 1] += static_cast<float>(height * (1 - beforeLast - lastArea));
        }
        cells[end] += static_cast<float>(height * lastArea);
        last = end;
    }
    _firstCell[row] = std::min(_firstCell[row], first);
    _lastCell[row] = std::max(_lastCell[row], last);
}

AreaCoverage::Span AreaCoverage::takeRow(int row, std::uint8_t* coverage)
{
    int first = _firstCell[row];
    int last = _lastCell[row];
    if (last < first)
        return { 0, 0 };
    float* cells = _cells.data() + static_cast<std::ptrdiff_t>(row) * (_columns + 2);
    int end = std::min(last + 1, _columns);
    float sum = 0;
    for (int i = first; i < end; ++i) {
        sum += cells[i];
        cells[i] = 0;
        // Scaled by 256 and capped, as Cairo's scan converter turns coverage into alpha.
        coverage[i] = static_cast<std::uint8_t>(std::min(std::fabs(sum) * 256.0f + 0.5f, 255.0f));
    }
    for (int i = std::max(end, first); i <= last; ++i)
        cells[i] = 0;
    _firstCell[row] = _columns + 2;
    _lastCell[row] = -1;
    return { first, std::max(end, first) };
}
