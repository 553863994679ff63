#include "VectorKernels.hpp"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) && !defined(VORPI_NO_SIMD)
#define VORPI_SSE2 1
#include <emmintrin.h>
#endif
#if defined(VORPI_SSE2) && defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

// The AVX2 kernel is compiled for AVX2 function by function, not with a flag
// for the whole file, so that the program still runs on any x86-64 and takes
// it only where the processor has it.
#if VORPI_SSE2 && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VORPI_AVX2 1
#define AVX2_FUNCTION __attribute__((target("avx2")))
#include <immintrin.h>
#endif

// Each lane repeats the scalar kernel's operations in its order. The minimum
// and maximum instructions give their second operand where the first is not
// the lesser (or greater), so std::min(a, b) is min(b, a) and std::max(a, b)
// is max(b, a) below.
namespace {

#if VORPI_SSE2
struct Run {
    int first;
    int end;
};

// [first, end) grown to a whole number of groups (of a power of two pixels) inside [0, width), where width allows.
Run grown(int first, int end, int group, int width)
{
    int count = std::min((end - first + group - 1) & -group, width);
    int grownEnd = std::min(first + count, width);
    return { grownEnd - count, grownEnd };
}

// a × b / 255 rounded to nearest on eight 16-bit lanes. With q = a × b + 128,
// which fits a lane, (q + (q >> 8)) >> 8 is (q × 257) >> 16: the high half of
// one more multiplication.
[[gnu::always_inline]] inline __m128i multiply(__m128i a, __m128i b)
{
    __m128i product = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(product, _mm_set1_epi16(257));
}

// Two pixels in 16-bit lanes (B, G, R, A each): source × coverage over destination.
[[gnu::always_inline]] inline __m128i over(__m128i source, __m128i coverage, __m128i destination)
{
    __m128i tinted = multiply(source, coverage);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tinted, 0xFF), 0xFF);
    __m128i left = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    return _mm_add_epi16(tinted, multiply(destination, left));
}

// Four pixels through the coverage bytes in the 32-bit lanes of `bytes`;
// inlined into the AVX2 kernel too, so that it stays in its instructions.
[[gnu::always_inline]] inline void blendFour(std::uint8_t* pixels, __m128i bytes, __m128i source)
{
    __m128i zero = _mm_setzero_si128();
    __m128i words = _mm_packs_epi32(bytes, bytes);
    words = _mm_unpacklo_epi16(words, words);
    auto* at = reinterpret_cast<__m128i*>(pixels);
    __m128i destination = _mm_loadu_si128(at);
    __m128i low = over(source, _mm_unpacklo_epi32(words, words), _mm_unpacklo_epi8(destination, zero));
    __m128i high = over(source, _mm_unpackhi_epi32(words, words), _mm_unpackhi_epi8(destination, zero));
    _mm_storeu_si128(at, _mm_packus_epi16(low, high));
}

// A piece of a row with each value in every lane.
struct Piece4 {
    __m128 low;
    __m128 width;
    __m128 bend;
    __m128 weight;

    static Piece4 of(const RowCoverage::Piece& piece)
    {
        return { _mm_set1_ps(piece.low), _mm_set1_ps(piece.width), _mm_set1_ps(piece.bend), _mm_set1_ps(piece.weight) };
    }

    // RowCoverage::pieceArea for the u0 in the four lanes.
    [[gnu::always_inline]] __m128 areaOf(__m128 u0) const
    {
        __m128 zero = _mm_setzero_ps();
        __m128 one = _mm_set1_ps(1);
        __m128 u = _mm_sub_ps(u0, low);
        __m128 u1 = _mm_add_ps(u, one);
        __m128 a = _mm_min_ps(width, _mm_max_ps(zero, u));
        __m128 b = _mm_min_ps(width, _mm_max_ps(zero, u1));
        __m128 swept = _mm_mul_ps(bend, _mm_mul_ps(_mm_sub_ps(b, a), _mm_add_ps(a, b)));
        __m128 beyond = _mm_mul_ps(weight, _mm_min_ps(one, _mm_max_ps(zero, _mm_sub_ps(u1, width))));
        return _mm_add_ps(swept, beyond);
    }
};

// The pieces of a row with one on each side, held in registers for all its groups.
struct TwoPieces4 {
    Piece4 left;
    Piece4 right;

    static TwoPieces4 of(const RowCoverage& row) { return { Piece4::of(row.pieces[0]), Piece4::of(row.pieces[1]) }; }

    __m128 areaOf(__m128 u0) const { return _mm_add_ps(left.areaOf(u0), right.areaOf(u0)); }
};

// Any row's pieces, summed from zero in the order of the row.
struct AnyPieces4 {
    const RowCoverage& row;

    __m128 areaOf(__m128 u0) const
    {
        __m128 area = _mm_setzero_ps();
        for (int k = 0; k < row.count; ++k)
            area = _mm_add_ps(area, Piece4::of(row.pieces[k]).areaOf(u0));
        return area;
    }
};

// Truncation of lanes that lie in [0, 256). Emscripten's _mm_cvttps_epi32
// goes lane by lane through lrint, where wasm has one instruction for it.
[[gnu::always_inline]] inline __m128i truncated(__m128 values)
{
#ifdef __wasm_simd128__
    return reinterpret_cast<__m128i>(wasm_i32x4_trunc_sat_f32x4(reinterpret_cast<v128_t>(values)));
#else
    return _mm_cvttps_epi32(values);
#endif
}

// RowCoverage::byteOf for four areas, in 32-bit lanes.
[[gnu::always_inline]] inline __m128i bytesOf(__m128 area)
{
    return truncated(_mm_min_ps(_mm_add_ps(area, _mm_set1_ps(0.5f)), _mm_set1_ps(255)));
}

// RowCoverage::areaOf as coverage bytes for pixels x to x + 3.
template <typename Pieces>
[[gnu::always_inline]] inline __m128i fourCoverages(const RowCoverage& row, const Pieces& pieces, int x)
{
    __m128 u0 = _mm_add_ps(_mm_set1_ps(static_cast<float>(x - row.first)), _mm_setr_ps(0, 1, 2, 3));
    return bytesOf(pieces.areaOf(u0));
}

// Fewer than four pixels at the image's right edge, blended in a copy.
[[gnu::noinline]] void blendFewInCopy(std::uint8_t* pixels, int count, __m128i bytes, __m128i source)
{
    alignas(16) std::uint8_t copy[16] = {};
    std::memcpy(copy, pixels, 4 * static_cast<std::size_t>(count));
    blendFour(copy, bytes, source);
    std::memcpy(pixels, copy, 4 * static_cast<std::size_t>(count));
}

// Row y, grown to whole fours, the last few in a copy where the image is
// narrower than that, so that no lane reaches past the image.
template <typename Pieces>
[[gnu::always_inline]] inline void blendRow(ImageView image, int y, const RowCoverage& row, const Pieces& pieces,
    __m128i source)
{
    Run run = grown(row.first, row.end, 4, image.width);
    std::uint8_t* pixels = image.row(y);
    int x = run.first;
    for (; x + 4 <= run.end; x += 4)
        blendFour(pixels + 4 * x, fourCoverages(row, pieces, x), source);
    if (x < run.end)
        blendFewInCopy(pixels + 4 * x, run.end - x, fourCoverages(row, pieces, x), source);
}

void blendPolygonSse2(ImageView image, ConvexCoverage& polygon, std::uint32_t source)
{
    __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), _mm_setzero_si128());
    RowCoverage row;
    for (int y = polygon.top(); y < polygon.bottom(); ++y) {
        for (int end = polygon.straightRowsEnd(y); y < end; ++y) {
            RowCoverage straight;
            if (polygon.straightRow(y, straight))
                blendRow(image, y, straight, TwoPieces4::of(straight), source16);
        }
        if (y == polygon.bottom() || !polygon.row(y, row))
            continue;
        if (row.count == 2)
            blendRow(image, y, row, TwoPieces4::of(row), source16);
        else
            blendRow(image, y, row, AnyPieces4 { row }, source16);
    }
}
#endif

#if VORPI_AVX2
AVX2_FUNCTION inline __m256i multiply(__m256i a, __m256i b)
{
    __m256i product = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(product, _mm256_set1_epi16(257));
}

AVX2_FUNCTION inline __m256i over(__m256i source, __m256i coverage, __m256i destination)
{
    __m256i tinted = multiply(source, coverage);
    __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(tinted, 0xFF), 0xFF);
    __m256i left = _mm256_sub_epi16(_mm256_set1_epi16(255), alpha);
    return _mm256_add_epi16(tinted, multiply(destination, left));
}

// Eight pixels through the coverage bytes in the 32-bit lanes of `bytes`: four in each 128-bit half.
AVX2_FUNCTION inline void blendEight(std::uint8_t* pixels, __m256i bytes, __m256i source)
{
    // From a byte in each 32-bit lane to the 16-bit channel lanes of the first
    // two pixels of each half (low), or of the last two (high).
    const __m256i low = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1, 0, -1, 0, -1, 0, -1,
        0, -1, 4, -1, 4, -1, 4, -1, 4, -1);
    const __m256i high = _mm256_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1, 8, -1, 8, -1, 8,
        -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1);
    __m256i zero = _mm256_setzero_si256();
    auto* at = reinterpret_cast<__m256i*>(pixels);
    __m256i destination = _mm256_loadu_si256(at);
    __m256i first = over(source, _mm256_shuffle_epi8(bytes, low), _mm256_unpacklo_epi8(destination, zero));
    __m256i second = over(source, _mm256_shuffle_epi8(bytes, high), _mm256_unpackhi_epi8(destination, zero));
    _mm256_storeu_si256(at, _mm256_packus_epi16(first, second));
}

struct Piece8 {
    __m256 low;
    __m256 width;
    __m256 bend;
    __m256 weight;

    AVX2_FUNCTION static Piece8 of(const RowCoverage::Piece& piece)
    {
        return { _mm256_set1_ps(piece.low), _mm256_set1_ps(piece.width), _mm256_set1_ps(piece.bend),
            _mm256_set1_ps(piece.weight) };
    }

    AVX2_FUNCTION __m256 areaOf(__m256 u0) const
    {
        __m256 zero = _mm256_setzero_ps();
        __m256 one = _mm256_set1_ps(1);
        __m256 u = _mm256_sub_ps(u0, low);
        __m256 u1 = _mm256_add_ps(u, one);
        __m256 a = _mm256_min_ps(width, _mm256_max_ps(zero, u));
        __m256 b = _mm256_min_ps(width, _mm256_max_ps(zero, u1));
        __m256 swept = _mm256_mul_ps(bend, _mm256_mul_ps(_mm256_sub_ps(b, a), _mm256_add_ps(a, b)));
        __m256 beyond = _mm256_mul_ps(weight, _mm256_min_ps(one, _mm256_max_ps(zero, _mm256_sub_ps(u1, width))));
        return _mm256_add_ps(swept, beyond);
    }
};

struct TwoPieces8 {
    Piece8 left;
    Piece8 right;

    AVX2_FUNCTION static TwoPieces8 of(const RowCoverage& row)
    {
        return { Piece8::of(row.pieces[0]), Piece8::of(row.pieces[1]) };
    }

    AVX2_FUNCTION __m256 areaOf(__m256 u0) const { return _mm256_add_ps(left.areaOf(u0), right.areaOf(u0)); }
};

struct AnyPieces8 {
    const RowCoverage& row;

    AVX2_FUNCTION __m256 areaOf(__m256 u0) const
    {
        __m256 area = _mm256_setzero_ps();
        for (int k = 0; k < row.count; ++k)
            area = _mm256_add_ps(area, Piece8::of(row.pieces[k]).areaOf(u0));
        return area;
    }
};

AVX2_FUNCTION inline __m256i bytesOf(__m256 area)
{
    return _mm256_cvttps_epi32(_mm256_min_ps(_mm256_add_ps(area, _mm256_set1_ps(0.5f)), _mm256_set1_ps(255)));
}

// RowCoverage::areaOf as coverage bytes for pixels x to x + 7 of a row that starts at `first`.
template <typename Pieces>
AVX2_FUNCTION inline __m256i eightCoverages(int first, const Pieces& pieces, int x)
{
    __m256 u0 = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(x - first)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
    return bytesOf(pieces.areaOf(u0));
}

[[gnu::noinline]] AVX2_FUNCTION void blendFewInCopy(std::uint8_t* pixels, int count, __m256i bytes, __m256i source)
{
    alignas(32) std::uint8_t copy[32] = {};
    std::memcpy(copy, pixels, 4 * static_cast<std::size_t>(count));
    blendEight(copy, bytes, source);
    std::memcpy(pixels, copy, 4 * static_cast<std::size_t>(count));
}

// Pixels [first, end) of a row, grown to whole eights, the last few in a copy
// where the image is narrower than that.
template <typename Pieces>
[[gnu::always_inline]] AVX2_FUNCTION inline void blendRow(std::uint8_t* pixels, int first, int end, int width,
    const Pieces& pieces, __m256i source)
{
    Run run = grown(first, end, 8, width);
    int x = run.first;
    for (; x + 8 <= run.end; x += 8)
        blendEight(pixels + 4 * x, eightCoverages(first, pieces, x), source);
    if (x < run.end)
        blendFewInCopy(pixels + 4 * x, run.end - x, eightCoverages(first, pieces, x), source);
}

// Straight rows y to y + 3 worked out together, each lane doing for its row
// what ConvexCoverage::straightRow() and RowCoverage::setStraight() do.
struct FourStraightRows {
    alignas(16) int first[4];
    alignas(16) int end[4];
    alignas(16) float leftLow[4];
    alignas(16) float leftWidth[4];
    alignas(16) float rightLow[4];
    alignas(16) float rightWidth[4];
    alignas(16) float leftWeight[4];
    alignas(16) float rightWeight[4];
    // Each side's x at the bottom of each row.
    alignas(32) double leftX[4];
    alignas(32) double rightX[4];

    AVX2_FUNCTION FourStraightRows(const ConvexCoverage::StraightSides& sides, int y, double leftAbove,
        double rightAbove)
    {
        __m256d rows = _mm256_add_pd(_mm256_set1_pd(y), _mm256_setr_pd(0, 1, 2, 3));
        __m256d from = _mm256_max_pd(_mm256_set1_pd(sides.topY), rows);
        __m256d to = _mm256_min_pd(_mm256_set1_pd(sides.bottomY), _mm256_add_pd(rows, _mm256_set1_pd(1)));
        __m256d leftNext = xAt(sides.left, to);
        __m256d rightNext = xAt(sides.right, to);
        __m256d leftPrevious = above(leftNext, leftAbove);
        __m256d rightPrevious = above(rightNext, rightAbove);
        __m256d leftLowX = _mm256_min_pd(leftNext, leftPrevious);
        __m256d leftHighX = _mm256_max_pd(leftNext, leftPrevious);
        __m256d rightLowX = _mm256_min_pd(rightNext, rightPrevious);
        __m256d rightHighX = _mm256_max_pd(rightNext, rightPrevious);
        __m128i firsts = _mm256_cvttpd_epi32(leftLowX);
        __m256d origin = _mm256_cvtepi32_pd(firsts);
        _mm_store_si128(reinterpret_cast<__m128i*>(first), firsts);
        _mm_store_si128(reinterpret_cast<__m128i*>(end),
            _mm256_cvttpd_epi32(_mm256_round_pd(rightHighX, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC)));
        _mm_store_ps(leftLow, _mm256_cvtpd_ps(_mm256_sub_pd(leftLowX, origin)));
        _mm_store_ps(leftWidth, _mm256_cvtpd_ps(_mm256_sub_pd(leftHighX, leftLowX)));
        _mm_store_ps(rightLow, _mm256_cvtpd_ps(_mm256_sub_pd(rightLowX, origin)));
        _mm_store_ps(rightWidth, _mm256_cvtpd_ps(_mm256_sub_pd(rightHighX, rightLowX)));
        __m128 weight = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_set1_pd(256), _mm256_sub_pd(to, from)));
        _mm_store_ps(leftWeight, weight);
        _mm_store_ps(rightWeight, _mm_xor_ps(weight, _mm_set1_ps(-0.0f)));
        _mm256_store_pd(leftX, leftNext);
        _mm256_store_pd(rightX, rightNext);
    }

    // ConvexCoverage::Line::xAt at four heights.
    AVX2_FUNCTION static __m256d xAt(const ConvexCoverage::Line& line, __m256d y)
    {
        __m256d x = _mm256_add_pd(_mm256_set1_pd(line.start.x),
            _mm256_mul_pd(_mm256_sub_pd(y, _mm256_set1_pd(line.start.y)), _mm256_set1_pd(line.slope)));
        x = _mm256_min_pd(_mm256_set1_pd(line.highX), _mm256_max_pd(_mm256_set1_pd(line.lowX), x));
        return _mm256_blendv_pd(x, _mm256_set1_pd(line.endX), _mm256_cmp_pd(y, _mm256_set1_pd(line.endY), _CMP_EQ_OQ));
    }

    // Each row's x at its top: the bottom of the row above.
    AVX2_FUNCTION static __m256d above(__m256d below, double first)
    {
        return _mm256_blend_pd(_mm256_permute4x64_pd(below, _MM_SHUFFLE(2, 1, 0, 0)), _mm256_set1_pd(first), 1);
    }
};

// Straight rows [y, end) of the polygon, four worked out at a time.
AVX2_FUNCTION inline void blendStraightRows(ImageView image, ConvexCoverage& polygon, int y, int end, __m256i source)
{
    ConvexCoverage::StraightSides sides = polygon.straightSides();
    __m256 leftBend = _mm256_set1_ps(sides.left.bend);
    __m256 rightBend = _mm256_set1_ps(-sides.right.bend);
    double leftX = sides.leftX;
    double rightX = sides.rightX;
    std::uint8_t* pixels = image.row(y);
    for (; y < end; y += 4) {
        FourStraightRows rows(sides, y, leftX, rightX);
        int count = std::min(4, end - y);
        for (int k = 0; k < count; ++k, pixels += image.stride) {
            if (rows.first[k] >= rows.end[k])
                continue;
            TwoPieces8 pieces { { _mm256_set1_ps(rows.leftLow[k]), _mm256_set1_ps(rows.leftWidth[k]), leftBend,
                                    _mm256_set1_ps(rows.leftWeight[k]) },
                { _mm256_set1_ps(rows.rightLow[k]), _mm256_set1_ps(rows.rightWidth[k]), rightBend,
                    _mm256_set1_ps(rows.rightWeight[k]) } };
            blendRow(pixels, rows.first[k], rows.end[k], image.width, pieces, source);
        }
        leftX = rows.leftX[count - 1];
        rightX = rows.rightX[count - 1];
    }
    polygon.passStraightRows(leftX, rightX);
}

AVX2_FUNCTION void blendPolygonAvx2(ImageView image, ConvexCoverage& polygon, std::uint32_t source)
{
    __m256i source16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(source)), _mm256_setzero_si256());
    RowCoverage row;
    for (int y = polygon.top(); y < polygon.bottom(); ++y) {
        int end = polygon.straightRowsEnd(y);
        if (y < end) {
            blendStraightRows(image, polygon, y, end, source16);
            y = end;
        }
        if (y == polygon.bottom() || !polygon.row(y, row))
            continue;
        if (row.count == 2)
            blendRow(image.row(y), row.first, row.end, image.width, TwoPieces8::of(row), source16);
        else
            blendRow(image.row(y), row.first, row.end, image.width, AnyPieces8 { row }, source16);
    }
}
#endif

}

bool VectorKernels::sse2Available()
{
#if VORPI_SSE2
    return true;
#else
    return false;
#endif
}

bool VectorKernels::avx2Available()
{
#if VORPI_AVX2
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

void VectorKernels::blendSse2(ImageView image, ConvexCoverage& polygon, std::uint32_t source)
{
#if VORPI_SSE2
    blendPolygonSse2(image, polygon, source);
#else
    (void)image, (void)polygon, (void)source;
#endif
}

void VectorKernels::blendAvx2(ImageView image, ConvexCoverage& polygon, std::uint32_t source)
{
#if VORPI_AVX2
    blendPolygonAvx2(image, polygon, source);
#else
    blendSse2(image, polygon, source);
#endif
}
