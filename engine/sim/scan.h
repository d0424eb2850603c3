// Finding the first of a few bytes quickly: the text paths (escaping,
// string reading) touch every byte of every stream, so they scan 16 bytes
// at a time where the processor allows.
#pragma once

#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kordoc::sim {

// The first of p..end that equals a, b, c or d, or end.
inline const char *findFirstOf4(const char *p, const char *end, char a, char b, char c, char d)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c), vd = _mm_set1_epi8(d);
    while (end - p >= 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)),
                                   _mm_or_si128(_mm_cmpeq_epi8(x, vc), _mm_cmpeq_epi8(x, vd)));
        int mask = _mm_movemask_epi8(hit);
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b || *p == c || *p == d)
            return p;
    return end;
}

}  // namespace kordoc::sim
