#include "BeforeCanvas.hpp"

#include "ClippedQuad.hpp"
#include "SourceOverBlend.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace {

int ceilOf(double value)
{
    int whole = static_cast<int>(value);
    return whole + (whole < value);
}

__m128i multiply(__m128i a, __m128i b)
{
    __m128i product = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
}

__m128i over(__m128i source, __m128i coverage, __m128i destination)
{
    __m128i tinted = multiply(source, coverage);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tinted, 0xFF), 0xFF);
    return _mm_add_epi16(tinted, multiply(destination, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
}

void blendRowSse2(std::uint8_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source)
{
    __m128i zero = _mm_setzero_si128();
    __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), zero);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0)
            continue;
        __m128i masks = _mm_cvtsi32_si128(static_cast<int>(four));
        masks = _mm_unpacklo_epi8(masks, masks);
        masks = _mm_unpacklo_epi16(masks, masks);
        auto* at = reinterpret_cast<__m128i*>(pixels + 4 * i);
        __m128i destination = _mm_loadu_si128(at);
        __m128i low = over(source16, _mm_unpacklo_epi8(masks, zero), _mm_unpacklo_epi8(destination, zero));
        __m128i high = over(source16, _mm_unpackhi_epi8(masks, zero), _mm_unpackhi_epi8(destination, zero));
        _mm_storeu_si128(at, _mm_packus_epi16(low, high));
    }
    for (; i < count; ++i) {
        std::uint32_t pixel;
        std::memcpy(&pixel, pixels + 4 * i, 4);
        pixel = SourceOverBlend::over(pixel, source, coverage[i]);
        std::memcpy(pixels + 4 * i, &pixel, 4);
    }
}

}

class BeforeCanvas::AreaCoverage {
public:
    static constexpr int cellCapacity = 64 * 1024;

    int beginBand(int left, int top, int columns, int rows)
    {
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

    void addEdge(double x0, double y0, double x1, double y1)
    {
        y0 -= _top;
        y1 -= _top;
        if (!(y0 != y1))
            return;
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

    std::pair<int, int> takeRow(int row, std::uint8_t* coverage)
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
            coverage[i] = static_cast<std::uint8_t>(std::min(std::fabs(sum) * 256.0f + 0.5f, 255.0f));
        }
        for (int i = std::max(end, first); i <= last; ++i)
            cells[i] = 0;
        _firstCell[row] = _columns + 2;
        _lastCell[row] = -1;
        return { first, std::max(end, first) };
    }

private:
    void addToRow(int row, double x, double nextX, double height)
    {
        double low = std::min(x, nextX);
        double high = std::max(x, nextX);
        float* cells = _cells.data() + static_cast<std::ptrdiff_t>(row) * (_columns + 2);
        int first = static_cast<int>(low);
        int end = ceilOf(high);
        int last;
        if (end <= first + 1) {
            double middle = (low + high) / 2 - first;
            cells[first] += static_cast<float>(height * (1 - middle));
            cells[first + 1] += static_cast<float>(height * middle);
            last = first + 1;
        } else {
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

    std::vector<float> _cells = std::vector<float>(cellCapacity);
    std::vector<int> _firstCell;
    std::vector<int> _lastCell;
    int _left = 0;
    int _top = 0;
    int _columns = 0;
    int _rows = 0;
};

BeforeCanvas::BeforeCanvas(int width, int height)
    : _pixels(std::make_unique<std::uint32_t[]>(static_cast<std::size_t>(width) * height))
    , _image { reinterpret_cast<std::uint8_t*>(_pixels.get()), width, height, width * 4 }
    , _touched(width, height, 64)
    , _coverage(std::make_unique<AreaCoverage>())
    , _rowCoverage(static_cast<std::size_t>(width) + 2)
{
    std::fill(_pixels.get(), _pixels.get() + static_cast<std::size_t>(width) * height, 0xFF000000u);
}

BeforeCanvas::~BeforeCanvas() = default;

void BeforeCanvas::setColor(double red, double green, double blue, double alpha)
{
    _source = SourceOverBlend::premultiplied(red, green, blue, alpha);
}

void BeforeCanvas::blendRow(int y, int first, int end)
{
    int count = std::min((end - first + 3) / 4 * 4, _image.width);
    int grownEnd = std::min(first + count, _image.width);
    int grownFirst = grownEnd - count;
    for (int x = grownFirst; x < first; ++x)
        _rowCoverage[x] = 0;
    for (int x = end; x < grownEnd; ++x)
        _rowCoverage[x] = 0;
    blendRowSse2(_image.row(y) + 4 * static_cast<std::ptrdiff_t>(grownFirst), _rowCoverage.data() + grownFirst, count,
        _source);
}

void BeforeCanvas::strokeSegment(double x1, double y1, double x2, double y2, double width)
{
    if (_source >> 24 == 0)
        return;
    ClippedQuad quad = ClippedQuad::ofSegment(x1, y1, x2, y2, width, _image.width, _image.height);
    if (quad.isEmpty())
        return;
    double lowX = quad[0].x, highX = lowX, lowY = quad[0].y, highY = lowY;
    for (int i = 1; i < quad.size(); ++i) {
        lowX = std::min(lowX, quad[i].x), highX = std::max(highX, quad[i].x);
        lowY = std::min(lowY, quad[i].y), highY = std::max(highY, quad[i].y);
    }
    int left = static_cast<int>(std::floor(lowX)), right = static_cast<int>(std::ceil(highX));
    int top = static_cast<int>(std::floor(lowY)), bottom = static_cast<int>(std::ceil(highY));
    if (left >= right || top >= bottom)
        return;
    for (int bandTop = top; bandTop < bottom;) {
        int rows = _coverage->beginBand(left, bandTop, right - left, bottom - bandTop);
        for (int i = 0; i < quad.size(); ++i) {
            const ClippedQuad::Point& from = quad[i];
            const ClippedQuad::Point& to = quad[(i + 1) % quad.size()];
            _coverage->addEdge(from.x, from.y, to.x, to.y);
        }
        for (int row = 0; row < rows; ++row) {
            auto [first, end] = _coverage->takeRow(row, _rowCoverage.data() + left);
            if (first < end)
                blendRow(bandTop + row, left + first, left + end);
        }
        bandTop += rows;
    }
    _touched.mark(left, top, right, bottom);
}
