#include "PhotoPyramid.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

// The rounded mean of four 0xAARRGGBB pixels, channel by channel: two channels at a
// time in 16-bit lanes, which hold a sum of four bytes without overflow.
inline std::uint32_t Average4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    constexpr std::uint32_t kLanes = 0x00FF00FFu;
    constexpr std::uint32_t kHalf = 0x00020002u;
    const std::uint32_t even = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + kHalf;
    const std::uint32_t odd = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) +
                              ((d >> 8) & kLanes) + kHalf;
    return ((even >> 2) & kLanes) | (((odd >> 2) & kLanes) << 8);
}

} // namespace

QImage PhotoPyramid::Halve(const QImage& source)
{
    const int w = source.width();
    const int h = source.height();
    if (w <= 0 || h <= 0)
        return QImage();
    QImage half((w + 1) / 2, (h + 1) / 2, source.format());
    if (half.isNull())
        return half;
    const int whole = w / 2; // complete 2 x 2 blocks per row
    for (int y = 0; y < half.height(); ++y) {
        const auto* row0 = reinterpret_cast<const std::uint32_t*>(source.constScanLine(2 * y));
        const auto* row1 = reinterpret_cast<const std::uint32_t*>(
            source.constScanLine(std::min(2 * y + 1, h - 1)));
        auto* out = reinterpret_cast<std::uint32_t*>(half.scanLine(y));
        int x = 0;
#if defined(__SSE2__)
        // Four output pixels at a time: channels widened to 16 bits, the two rows
        // added, then each pair of neighbours.
        const __m128i zero = _mm_setzero_si128();
        const __m128i two = _mm_set1_epi16(2);
        for (; x + 4 <= whole; x += 4) {
            const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + 2 * x));
            const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + 2 * x + 4));
            const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + 2 * x));
            const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + 2 * x + 4));
            const __m128i s01 =
                _mm_add_epi16(_mm_unpacklo_epi8(a0, zero), _mm_unpacklo_epi8(b0, zero));
            const __m128i s23 =
                _mm_add_epi16(_mm_unpackhi_epi8(a0, zero), _mm_unpackhi_epi8(b0, zero));
            const __m128i s45 =
                _mm_add_epi16(_mm_unpacklo_epi8(a1, zero), _mm_unpacklo_epi8(b1, zero));
            const __m128i s67 =
                _mm_add_epi16(_mm_unpackhi_epi8(a1, zero), _mm_unpackhi_epi8(b1, zero));
            __m128i lo = _mm_add_epi16(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
            __m128i hi = _mm_add_epi16(_mm_unpacklo_epi64(s45, s67), _mm_unpackhi_epi64(s45, s67));
            lo = _mm_srli_epi16(_mm_add_epi16(lo, two), 2);
            hi = _mm_srli_epi16(_mm_add_epi16(hi, two), 2);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
        }
#endif
        for (; x < whole; ++x)
            out[x] = Average4(row0[2 * x], row0[2 * x + 1], row1[2 * x], row1[2 * x + 1]);
        // The last column of an odd width on its own.
        if (whole < half.width())
            out[whole] = Average4(row0[w - 1], row0[w - 1], row1[w - 1], row1[w - 1]);
    }
    return half;
}

bool PhotoPyramid::Build(QImage image, int lowestLevel)
{
    m_levels.clear();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return false;
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != format)
        image = std::move(image).convertToFormat(format);
    if (image.isNull())
        return false;

    std::vector<QImage> levels;
    levels.push_back(std::move(image));
    while (int(levels.size()) <= lowestLevel &&
           (levels.back().width() > 1 || levels.back().height() > 1)) {
        QImage next = Halve(levels.back());
        if (next.isNull())
            return false;
        levels.push_back(std::move(next));
    }
    m_levels = std::move(levels);
    return true;
}
