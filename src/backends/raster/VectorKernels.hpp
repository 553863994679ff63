#pragma once

#include "ConvexCoverage.hpp"
#include "ImageView.hpp"

#include <cstdint>

// SourceOverBlend::blendPolygon on four pixels at a time with SSE2, and on
// eight with AVX2 where the processor has it: the same formulas in vector
// lanes, so the same bytes as the scalar kernel. Rows grow over neighbours
// (inside the image) to whole groups; their coverage of 0 leaves them as they
// are. A build without them (VORPI_SIMD off, or not for x86) has the scalar
// kernel only.
class VectorKernels {
public:
    static bool sse2Available();
    static bool avx2Available();

    static void blendSse2(ImageView image, ConvexCoverage& polygon, std::uint32_t source);
    static void blendAvx2(ImageView image, ConvexCoverage& polygon, std::uint32_t source);
};
