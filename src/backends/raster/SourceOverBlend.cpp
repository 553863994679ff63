#include "SourceOverBlend.hpp"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) && !defined(VORPI_NO_SIMD)
#define VORPI_SSE2 1
#include <emmintrin.h>
#endif

namespace {

std::uint32_t channel(double value)
{
    double clamped = value > 0 ? std::min(value, 1.0) : 0.0;
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(clamped * (65536.0 - 1e-5))) >> 8;
}

// a × b / 255 rounded to nearest, exact for every pair of bytes.
std::uint32_t multiply(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t product = a * b + 128;
    return (product + (product >> 8)) >> 8;
}

#if VORPI_SSE2
// multiply() on eight 16-bit lanes; a × b + 128 fits in an unsigned 16-bit lane.
__m128i multiply(__m128i a, __m128i b)
{
    __m128i product = _mm_add_epi16(_mm_mullo_epi16(a, b), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
}

// Two pixels in 16-bit lanes (B, G, R, A each): source × coverage over destination.
__m128i over(__m128i source, __m128i coverage, __m128i destination)
{
    __m128i tinted = multiply(source, coverage);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(tinted, 0xFF), 0xFF);
    __m128i left = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    return _mm_add_epi16(tinted, multiply(destination, left));
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
        // Each pixel's coverage in its four channels: bytes m0 m0 m0 m0 m1 ... m3.
        __m128i masks = _mm_cvtsi32_si128(static_cast<int>(four));
        masks = _mm_unpacklo_epi8(masks, masks);
        masks = _mm_unpacklo_epi16(masks, masks);
        auto* at = reinterpret_cast<__m128i*>(pixels + 4 * i);
        __m128i destination = _mm_loadu_si128(at);
        __m128i low = over(source16, _mm_unpacklo_epi8(masks, zero), _mm_unpacklo_epi8(destination, zero));
        __m128i high = over(source16, _mm_unpackhi_epi8(masks, zero), _mm_unpackhi_epi8(destination, zero));
        _mm_storeu_si128(at, _mm_packus_epi16(low, high));
    }
    SourceOverBlend::blendRowScalar(pixels + 4 * i, coverage + i, count - i, source);
}
#endif

}

std::uint32_t SourceOverBlend::premultiplied(double red, double green, double blue, double alpha)
{
    double opacity = alpha > 0 ? std::min(alpha, 1.0) : 0.0;
    auto component = [&](double value) { return channel((value > 0 ? std::min(value, 1.0) : 0.0) * opacity); };
    return channel(opacity) << 24 | component(red) << 16 | component(green) << 8 | component(blue);
}

bool SourceOverBlend::simdAvailable()
{
#if VORPI_SSE2
    return true;
#else
    return false;
#endif
}

// For each pixel d with coverage m (0..255), source s, per channel c, and
// multiply(a, b) = a × b / 255 rounded to nearest:
//     t_c = multiply(s_c, m)
//     d_c = min(255, t_c + multiply(d_c, 255 − t_alpha))
// A pixel with m = 0 stays as it is (the formula leaves it so too).
void SourceOverBlend::blendRowScalar(std::uint8_t* pixels, const std::uint8_t* coverage, int count,
    std::uint32_t source)
{
    for (int i = 0; i < count; ++i) {
        std::uint32_t mask = coverage[i];
        if (mask == 0)
            continue;
        std::uint32_t destination;
        std::memcpy(&destination, pixels + 4 * i, 4);
        std::uint32_t alpha = multiply(source >> 24, mask);
        std::uint32_t left = 255 - alpha;
        std::uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            std::uint32_t tinted = multiply(source >> shift & 0xFF, mask);
            std::uint32_t value = std::min<std::uint32_t>(255, tinted + multiply(destination >> shift & 0xFF, left));
            result |= value << shift;
        }
        std::memcpy(pixels + 4 * i, &result, 4);
    }
}

void SourceOverBlend::blendRow(std::uint8_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source,
    bool simd)
{
#if VORPI_SSE2
    if (simd) {
        blendRowSse2(pixels, coverage, count, source);
        return;
    }
#endif
    (void)simd;
    blendRowScalar(pixels, coverage, count, source);
}
