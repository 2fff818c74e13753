#pragma once
// ASCII taken a block at a time. List items are mostly short, so a decoder widens a
// whole block and keeps its ASCII front rather than finding the run's end first.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "protocol/unit_search.h"

namespace orrery {

// How many of the 16 bytes at `p` come before the first with its top bit set.
inline std::size_t asciiPrefix(const unsigned char* p) {
#ifdef ORRERY_SSE2
  const auto tops = static_cast<unsigned>(
      _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
  return static_cast<std::size_t>(std::countr_zero(tops | 1u << 16));
#else
  constexpr std::uint64_t kTopBits = 0x8080808080808080u;
  // The byte first in memory is the lowest of a word on little-endian machines.
  const auto bytesBefore = [](std::uint64_t top) -> std::size_t {
    if constexpr (std::endian::native == std::endian::little) {
      return static_cast<std::size_t>(std::countr_zero(top)) / 8;
    } else {
      return static_cast<std::size_t>(std::countl_zero(top)) / 8;
    }
  };
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 8, 8);
  // Whole blocks, along a long run, are told by a branch the processor predicts.
  if (((a | b) & kTopBits) == 0) return 16;
  if ((a & kTopBits) != 0) return bytesBefore(a & kTopBits);
  return 8 + bytesBefore(b & kTopBits);
#endif
}

// Writes the 8 bytes at `in` as 8 code units of their values, which for ASCII bytes are
// their characters. With SSE2 the bytes interleave with zeros in one instruction; on
// other little-endian machines each half spreads into four 16-bit lanes in a register;
// elsewhere one unit at a time.
inline void widenAscii(const unsigned char* in, char16_t* out) {
#ifdef ORRERY_SSE2
  const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
#else
  if constexpr (std::endian::native == std::endian::little) {
    for (std::size_t half = 0; half < 8; half += 4) {
      std::uint32_t four;
      std::memcpy(&four, in + half, 4);
      std::uint64_t t = four;
      t = (t | (t << 16)) & 0x0000FFFF0000FFFFu;
      t = (t | (t << 8)) & 0x00FF00FF00FF00FFu;
      std::memcpy(out + half, &t, 8);
    }
  } else {
    for (std::size_t k = 0; k < 8; ++k) out[k] = in[k];
  }
#endif
}

// Widens the 16 bytes at `in` to `out` and returns how many of them, from the first, are
// ASCII: only those units are decoded; the rest are written over later.
inline std::size_t widenAsciiBlock(const unsigned char* in, char16_t* out) {
  widenAscii(in, out);
  widenAscii(in + 8, out + 8);
  return asciiPrefix(in);
}

// Decodes the ASCII at p[i], one of `n` bytes, into `out`, which has room for `room`
// units, at least 16: a block's ASCII front, or near the end the one byte. A run longer
// than a block goes on in whole blocks, found first and then widened a block at a time.
// `i` moves past what was decoded, and the units decoded are returned.
inline std::size_t decodeAsciiAt(const unsigned char* p, std::size_t n, std::size_t& i,
                                 char16_t* out, std::size_t room) {
  if (n - i < 16) {
    *out = p[i++];
    return 1;
  }
  std::size_t run = widenAsciiBlock(p + i, out);
  if (run == 16) {
    const std::size_t most = std::min(n - i, room);
    while (most - run >= 16 && asciiPrefix(p + i + run) == 16) run += 16;
    for (std::size_t m = 16; m < run; m += 16) widenAsciiBlock(p + i + m, out + m);
  }
  i += run;
  return run;
}

// How many of the 8 code units at `p` come before the first at or above 0x80.
inline std::size_t asciiUnitPrefix(const char16_t* p) {
#ifdef ORRERY_SSE2
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i high = _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80)));
  const auto ascii =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())));
  return static_cast<std::size_t>(std::countr_zero(~ascii)) / 2;  // bit 16 on: at most 8
#else
  constexpr std::uint64_t kNotAscii = 0xFF80FF80FF80FF80u;
  constexpr std::uint64_t kTops = 0x8000800080008000u;
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 4, 8);
  if (((a | b) & kNotAscii) == 0) return 8;
  const auto unitsBefore = [](std::uint64_t w) -> std::size_t {
    w = zeroLanes(w & kNotAscii) ^ kTops;
    if constexpr (std::endian::native == std::endian::little) {
      return static_cast<std::size_t>(std::countr_zero(w)) / 16;
    } else {
      return static_cast<std::size_t>(std::countl_zero(w)) / 16;
    }
  };
  if ((a & kNotAscii) != 0) return unitsBefore(a);
  return 4 + unitsBefore(b);
#endif
}

// How many of the `n` code units at `p` are 0x80 or above, four at a time.
inline std::size_t nonAsciiUnits(const char16_t* p, std::size_t n) {
  constexpr std::uint64_t kNotAscii = 0xFF80FF80FF80FF80u;
  std::size_t count = 0;
  std::size_t i = 0;
  for (; n - i >= 4; i += 4) {
    std::uint64_t w;
    std::memcpy(&w, p + i, sizeof w);
    // The ASCII lanes' top bits, moved to the lanes' lowest bits, are summed into the
    // top lane by one multiplication: a bit count that needs no library call on
    // machines without an instruction for it.
    const std::uint64_t ascii = zeroLanes(w & kNotAscii) >> 15;
    count += 4 - static_cast<std::size_t>((ascii * 0x0001000100010001u) >> 48);
  }
  for (; i < n; ++i) count += p[i] >= 0x80 ? 1 : 0;
  return count;
}

// Writes the 8 code units at `in`, each below 0x100, as 8 bytes.
inline void narrowAscii(const char16_t* in, char* out) {
#ifdef ORRERY_SSE2
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
#else
  if constexpr (std::endian::native == std::endian::little) {
    for (std::size_t half = 0; half < 8; half += 4) {
      std::uint64_t t;
      std::memcpy(&t, in + half, 8);
      t &= 0x00FF00FF00FF00FFu;
      t = (t | (t >> 8)) & 0x0000FFFF0000FFFFu;
      t = (t | (t >> 16)) & 0x00000000FFFFFFFFu;
      const auto four = static_cast<std::uint32_t>(t);
      std::memcpy(out + half, &four, 4);
    }
  } else {
    for (std::size_t k = 0; k < 8; ++k) out[k] = static_cast<char>(in[k]);
  }
#endif
}

// Encodes the ASCII at units[i], one of `n` code units, to `out` as bytes: a block's
// ASCII front, or near the end the one unit, and like decodeAsciiAt a longer run in
// whole blocks. A block's 8 bytes are written only where 8 units are left, which give 8
// bytes or more. `i` moves past what was encoded, and the bytes written are returned.
inline std::size_t encodeAsciiAt(const char16_t* units, std::size_t n, std::size_t& i, char* out) {
  if (n - i < 8) {
    *out = static_cast<char>(units[i++]);
    return 1;
  }
  narrowAscii(units + i, out);
  std::size_t run = asciiUnitPrefix(units + i);
  if (run == 8) {
    while (n - i - run >= 8 && asciiUnitPrefix(units + i + run) == 8) run += 8;
    for (std::size_t m = 8; m < run; m += 8) narrowAscii(units + i + m, out + m);
  }
  i += run;
  return run;
}

}  // namespace orrery
