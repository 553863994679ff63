#include "VectorKernels.hpp"

#include "SourceOverBlend.hpp"

#include <algorithm>

#if defined(__SSE2__) && !defined(VORPI_NO_SIMD)
#define VORPI_SSE2 1
#include <emmintrin.h>
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

// [first, end) grown to a whole number of groups inside [0, width), where width allows.
Run grown(int first, int end, int group, int width)
{
    int count = std::min((end - first + group - 1) / group * group, width);
    int grownEnd = std::min(first + count, width);
    return { grownEnd - count, grownEnd };
}

// a × b / 255 rounded to nearest on eight 16-bit lanes; a × b + 128 fits in an unsigned 16-bit lane.
[[gnu::always_inline]] inline __m128i multiply(__m128i a, __m128i b)
{
    __m128i product = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
}

// Two pixels in 16-bit lanes (B, G, R, A each): source × coverage over destination.
[[gnu::always_inline]] inline __m128i over(__m128i source, __m128i coverage, __m128i destination)
{
    __m128i tinted = multiply(source, coverage);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tinted, 0xFF), 0xFF);
    __m128i left = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    return _mm_add_epi16(tinted, multiply(destination, left));
}

// A row's pieces with each value in both lanes, set once for all the row's groups.
struct Pieces {
    __m128d low[8];
    __m128d high[8];
    __m128d bend[8];
    __m128d weight[8];
    int count;

    explicit Pieces(const RowCoverage& row)
        : count(row.count)
    {
        for (int k = 0; k < count; ++k) {
            low[k] = _mm_set1_pd(row.pieces[k].low);
            high[k] = _mm_set1_pd(row.pieces[k].high);
            bend[k] = _mm_set1_pd(row.pieces[k].bend);
            weight[k] = _mm_set1_pd(row.pieces[k].weight);
        }
    }

    // RowCoverage::areaLeftOf for the x in the two lanes.
    __m128d areaLeftOf(__m128d x) const
    {
        __m128d area = _mm_setzero_pd();
        for (int k = 0; k < count; ++k) {
            __m128d across = _mm_sub_pd(_mm_min_pd(high[k], _mm_max_pd(low[k], x)), low[k]);
            __m128d bent = _mm_mul_pd(bend[k], _mm_mul_pd(across, across));
            __m128d beyond = _mm_mul_pd(weight[k], _mm_max_pd(_mm_setzero_pd(), _mm_sub_pd(x, high[k])));
            area = _mm_add_pd(area, _mm_add_pd(bent, beyond));
        }
        return area;
    }
};

// RowCoverage::byteOf for two areas, into the low two 32-bit lanes.
__m128i bytesOf(__m128d area)
{
    __m128d rounded = _mm_min_pd(_mm_add_pd(area, _mm_set1_pd(0.5)), _mm_set1_pd(255));
    return _mm_cvttpd_epi32(_mm_max_pd(rounded, _mm_setzero_pd()));
}

// The 32-bit lanes of `bytes` for pixels x to x + 3, with the row's inside byte where they lie wholly inside.
[[gnu::always_inline]] inline __m128i withInside(__m128i bytes, const RowCoverage& row, int x)
{
    __m128i index = _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3));
    __m128i inside = _mm_and_si128(_mm_cmpgt_epi32(index, _mm_set1_epi32(row.insideFirst - 1)),
        _mm_cmpgt_epi32(_mm_set1_epi32(row.insideEnd), index));
    return _mm_or_si128(_mm_and_si128(inside, _mm_set1_epi32(static_cast<int>(row.insideCoverage))),
        _mm_andnot_si128(inside, bytes));
}

// The coverage bytes of pixels x to x + 3 in 32-bit lanes. `before` holds
// D(x) in its upper lane and is left holding D(x + 4) there.
__m128i coverageOf(const RowCoverage& row, const Pieces& pieces, int x, __m128d& before)
{
    __m128d nearer = pieces.areaLeftOf(_mm_setr_pd(x + 1, x + 2));
    __m128d further = pieces.areaLeftOf(_mm_setr_pd(x + 3, x + 4));
    __m128i nearerBytes = bytesOf(_mm_sub_pd(nearer, _mm_shuffle_pd(before, nearer, 1)));
    __m128i furtherBytes = bytesOf(_mm_sub_pd(further, _mm_shuffle_pd(nearer, further, 1)));
    before = further;
    return withInside(_mm_unpacklo_epi64(nearerBytes, furtherBytes), row, x);
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

// Pixels [first, end) of a row in groups of four; `before` holds D(first) in
// its upper lane where `carried`.
void blendFours(std::uint8_t* pixels, int first, int end, const RowCoverage& row, __m128i source, __m128d before,
    bool carried)
{
    Pieces pieces(row);
    for (int x = first; x < end; x += 4) {
        __m128i bytes;
        if (x >= row.insideFirst && x + 4 <= row.insideEnd) {
            bytes = _mm_set1_epi32(static_cast<int>(row.insideCoverage));
            carried = false;
        } else {
            if (!carried)
                before = _mm_set1_pd(row.areaLeftOf(x));
            carried = true;
            bytes = coverageOf(row, pieces, x, before);
        }
        blendFour(pixels + 4 * x, bytes, source);
    }
}
#endif

#if VORPI_AVX2
AVX2_FUNCTION inline __m256i multiply(__m256i a, __m256i b)
{
    __m256i product = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(product, _mm256_srli_epi16(product, 8)), 8);
}

AVX2_FUNCTION inline __m256i over(__m256i source, __m256i coverage, __m256i destination)
{
    __m256i tinted = multiply(source, coverage);
    __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(tinted, 0xFF), 0xFF);
    __m256i left = _mm256_sub_epi16(_mm256_set1_epi16(255), alpha);
    return _mm256_add_epi16(tinted, multiply(destination, left));
}

AVX2_FUNCTION inline __m256d areaLeftOf(const RowCoverage& row, __m256d x)
{
    __m256d area = _mm256_setzero_pd();
    for (int k = 0; k < row.count; ++k) {
        const RowCoverage::Piece& piece = row.pieces[k];
        __m256d low = _mm256_set1_pd(piece.low);
        __m256d high = _mm256_set1_pd(piece.high);
        __m256d across = _mm256_sub_pd(_mm256_min_pd(high, _mm256_max_pd(low, x)), low);
        __m256d bent = _mm256_mul_pd(_mm256_set1_pd(piece.bend), _mm256_mul_pd(across, across));
        __m256d beyond
            = _mm256_mul_pd(_mm256_set1_pd(piece.weight), _mm256_max_pd(_mm256_setzero_pd(), _mm256_sub_pd(x, high)));
        area = _mm256_add_pd(area, _mm256_add_pd(bent, beyond));
    }
    return area;
}

AVX2_FUNCTION inline __m128i bytesOf(__m256d area)
{
    __m256d rounded = _mm256_min_pd(_mm256_add_pd(area, _mm256_set1_pd(0.5)), _mm256_set1_pd(255));
    return _mm256_cvttpd_epi32(_mm256_max_pd(rounded, _mm256_setzero_pd()));
}

// The area left of each lane's x minus that of the lane before; `before` holds
// D(x) in its last lane and is left holding the last of `after`.
AVX2_FUNCTION inline __m256d coveredBetween(__m256d& before, __m256d after)
{
    __m256d shifted = _mm256_shuffle_pd(_mm256_permute2f128_pd(before, after, 0x21), after, 5);
    before = after;
    return _mm256_sub_pd(after, shifted);
}

// A row's pieces for areaLeftOf; most rows have two, which stay in registers.
struct TwoPieces {
    __m256d low[2];
    __m256d high[2];
    __m256d bend[2];
    __m256d weight[2];

    AVX2_FUNCTION explicit TwoPieces(const RowCoverage& row)
    {
        for (int k = 0; k < 2; ++k) {
            low[k] = _mm256_set1_pd(row.pieces[k].low);
            high[k] = _mm256_set1_pd(row.pieces[k].high);
            bend[k] = _mm256_set1_pd(row.pieces[k].bend);
            weight[k] = _mm256_set1_pd(row.pieces[k].weight);
        }
    }

    AVX2_FUNCTION __m256d areaLeftOf(__m256d x) const
    {
        __m256d area = _mm256_setzero_pd();
        for (int k = 0; k < 2; ++k) {
            __m256d across = _mm256_sub_pd(_mm256_min_pd(high[k], _mm256_max_pd(low[k], x)), low[k]);
            __m256d bent = _mm256_mul_pd(bend[k], _mm256_mul_pd(across, across));
            __m256d beyond = _mm256_mul_pd(weight[k], _mm256_max_pd(_mm256_setzero_pd(), _mm256_sub_pd(x, high[k])));
            area = _mm256_add_pd(area, _mm256_add_pd(bent, beyond));
        }
        return area;
    }
};

struct AnyPieces {
    const RowCoverage& row;

    AVX2_FUNCTION __m256d areaLeftOf(__m256d x) const { return ::areaLeftOf(row, x); }
};

// The coverage bytes of pixels x to x + 7 in 32-bit lanes; `before` as above.
template <typename Pieces>
AVX2_FUNCTION inline __m256i coverageOf(const RowCoverage& row, const Pieces& pieces, int x, __m256d& before)
{
    __m256d start = _mm256_set1_pd(x);
    __m256d nearer = pieces.areaLeftOf(_mm256_add_pd(start, _mm256_setr_pd(1, 2, 3, 4)));
    __m256d further = pieces.areaLeftOf(_mm256_add_pd(start, _mm256_setr_pd(5, 6, 7, 8)));
    __m128i nearerBytes = bytesOf(coveredBetween(before, nearer));
    __m128i furtherBytes = bytesOf(coveredBetween(before, further));
    __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(nearerBytes), furtherBytes, 1);
    __m256i index = _mm256_add_epi32(_mm256_set1_epi32(x), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256i inside = _mm256_and_si256(_mm256_cmpgt_epi32(index, _mm256_set1_epi32(row.insideFirst - 1)),
        _mm256_cmpgt_epi32(_mm256_set1_epi32(row.insideEnd), index));
    return _mm256_blendv_epi8(bytes, _mm256_set1_epi32(static_cast<int>(row.insideCoverage)), inside);
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

// Pixels [first, end) of a row, eight at a time, then four, then one by one.
template <typename Pieces>
AVX2_FUNCTION inline void blendRow(std::uint8_t* pixels, int first, int end, const RowCoverage& row,
    const Pieces& pieces, std::uint32_t source)
{
    __m256i source16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(source)), _mm256_setzero_si256());
    // Left of the row's first pixel nothing is covered.
    __m256d before = _mm256_setzero_pd();
    bool carried = true;
    int x = first;
    for (; x + 8 <= end; x += 8) {
        __m256i bytes;
        if (x >= row.insideFirst && x + 8 <= row.insideEnd) {
            bytes = _mm256_set1_epi32(static_cast<int>(row.insideCoverage));
            carried = false;
        } else {
            if (!carried)
                before = _mm256_set1_pd(row.areaLeftOf(x));
            carried = true;
            bytes = coverageOf(row, pieces, x, before);
        }
        blendEight(pixels + 4 * x, bytes, source16);
    }
    if (x + 4 <= end) {
        if (!carried)
            before = _mm256_set1_pd(row.areaLeftOf(x));
        __m256d after = pieces.areaLeftOf(_mm256_add_pd(_mm256_set1_pd(x), _mm256_setr_pd(1, 2, 3, 4)));
        __m128i bytes = withInside(bytesOf(coveredBetween(before, after)), row, x);
        blendFour(pixels + 4 * x, bytes, _mm256_castsi256_si128(source16));
        x += 4;
    }
    // Only in an image narrower than four pixels.
    if (x < end)
        SourceOverBlend::blendRowScalar(pixels, x, end, row, source);
}

AVX2_FUNCTION void blendPolygonAvx2(ImageView image, ConvexCoverage& polygon, std::uint32_t source)
{
    RowCoverage row;
    for (int y = polygon.top(); y < polygon.bottom(); ++y) {
        if (!polygon.row(y, row))
            continue;
        Run run = grown(row.first, row.end, 4, image.width);
        if (row.count == 2)
            blendRow(image.row(y), run.first, run.end, row, TwoPieces(row), source);
        else
            blendRow(image.row(y), run.first, run.end, row, AnyPieces { row }, source);
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
    __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), _mm_setzero_si128());
    RowCoverage row;
    for (int y = polygon.top(); y < polygon.bottom(); ++y) {
        if (!polygon.row(y, row))
            continue;
        Run run = grown(row.first, row.end, 4, image.width);
        int fours = (run.end - run.first) / 4 * 4;
        // Left of the row's first pixel nothing is covered.
        blendFours(image.row(y), run.first, run.first + fours, row, source16, _mm_setzero_pd(), true);
        // Only in an image narrower than four pixels.
        if (fours < run.end - run.first)
            SourceOverBlend::blendRowScalar(image.row(y), run.first + fours, run.end, row, source);
    }
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
