#include "macro/Md5.h"

#include <bit>
#include <cstring>

namespace qm {

namespace {

// Message word k of a 64-byte block, read in place (little-endian).
inline uint32_t Word(const uint8_t* p, int k) {
    p += 4 * k;
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t w;
        std::memcpy(&w, p, 4);  // one unaligned load
        return w;
    } else {
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
               (uint32_t(p[3]) << 24);
    }
}

// Round functions F, H and I, F in a form with one operation fewer than RFC 1321 writes
// it (same bits); G is folded into GG below.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

// One step. The word and the constant are added first: they do not wait for b, c, d.
inline void FF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + std::rotl(a + x + t + F(b, c, d), s);
}
// G(b, c, d) = (b & d) | (c & ~d); the two halves share no bit, so they may be added,
// and the half without b is ready a step earlier.
inline void GG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + std::rotl(a + x + t + (c & ~d) + (b & d), s);
}
inline void HH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + std::rotl(a + x + t + H(b, c, d), s);
}
inline void II(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
    a = b + std::rotl(a + x + t + I(b, c, d), s);
}

// The 64 steps over one block, unrolled, reading the words straight from the input.
void Transform(uint32_t state[4], const uint8_t* p) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    FF(a, b, c, d, Word(p, 0), 7, 0xd76aa478);
    FF(d, a, b, c, Word(p, 1), 12, 0xe8c7b756);
    FF(c, d, a, b, Word(p, 2), 17, 0x242070db);
    FF(b, c, d, a, Word(p, 3), 22, 0xc1bdceee);
    FF(a, b, c, d, Word(p, 4), 7, 0xf57c0faf);
    FF(d, a, b, c, Word(p, 5), 12, 0x4787c62a);
    FF(c, d, a, b, Word(p, 6), 17, 0xa8304613);
    FF(b, c, d, a, Word(p, 7), 22, 0xfd469501);
    FF(a, b, c, d, Word(p, 8), 7, 0x698098d8);
    FF(d, a, b, c, Word(p, 9), 12, 0x8b44f7af);
    FF(c, d, a, b, Word(p, 10), 17, 0xffff5bb1);
    FF(b, c, d, a, Word(p, 11), 22, 0x895cd7be);
    FF(a, b, c, d, Word(p, 12), 7, 0x6b901122);
    FF(d, a, b, c, Word(p, 13), 12, 0xfd987193);
    FF(c, d, a, b, Word(p, 14), 17, 0xa679438e);
    FF(b, c, d, a, Word(p, 15), 22, 0x49b40821);

    GG(a, b, c, d, Word(p, 1), 5, 0xf61e2562);
    GG(d, a, b, c, Word(p, 6), 9, 0xc040b340);
    GG(c, d, a, b, Word(p, 11), 14, 0x265e5a51);
    GG(b, c, d, a, Word(p, 0), 20, 0xe9b6c7aa);
    GG(a, b, c, d, Word(p, 5), 5, 0xd62f105d);
    GG(d, a, b, c, Word(p, 10), 9, 0x02441453);
    GG(c, d, a, b, Word(p, 15), 14, 0xd8a1e681);
    GG(b, c, d, a, Word(p, 4), 20, 0xe7d3fbc8);
    GG(a, b, c, d, Word(p, 9), 5, 0x21e1cde6);
    GG(d, a, b, c, Word(p, 14), 9, 0xc33707d6);
    GG(c, d, a, b, Word(p, 3), 14, 0xf4d50d87);
    GG(b, c, d, a, Word(p, 8), 20, 0x455a14ed);
    GG(a, b, c, d, Word(p, 13), 5, 0xa9e3e905);
    GG(d, a, b, c, Word(p, 2), 9, 0xfcefa3f8);
    GG(c, d, a, b, Word(p, 7), 14, 0x676f02d9);
    GG(b, c, d, a, Word(p, 12), 20, 0x8d2a4c8a);

    HH(a, b, c, d, Word(p, 5), 4, 0xfffa3942);
    HH(d, a, b, c, Word(p, 8), 11, 0x8771f681);
    HH(c, d, a, b, Word(p, 11), 16, 0x6d9d6122);
    HH(b, c, d, a, Word(p, 14), 23, 0xfde5380c);
    HH(a, b, c, d, Word(p, 1), 4, 0xa4beea44);
    HH(d, a, b, c, Word(p, 4), 11, 0x4bdecfa9);
    HH(c, d, a, b, Word(p, 7), 16, 0xf6bb4b60);
    HH(b, c, d, a, Word(p, 10), 23, 0xbebfbc70);
    HH(a, b, c, d, Word(p, 13), 4, 0x289b7ec6);
    HH(d, a, b, c, Word(p, 0), 11, 0xeaa127fa);
    HH(c, d, a, b, Word(p, 3), 16, 0xd4ef3085);
    HH(b, c, d, a, Word(p, 6), 23, 0x04881d05);
    HH(a, b, c, d, Word(p, 9), 4, 0xd9d4d039);
    HH(d, a, b, c, Word(p, 12), 11, 0xe6db99e5);
    HH(c, d, a, b, Word(p, 15), 16, 0x1fa27cf8);
    HH(b, c, d, a, Word(p, 2), 23, 0xc4ac5665);

    II(a, b, c, d, Word(p, 0), 6, 0xf4292244);
    II(d, a, b, c, Word(p, 7), 10, 0x432aff97);
    II(c, d, a, b, Word(p, 14), 15, 0xab9423a7);
    II(b, c, d, a, Word(p, 5), 21, 0xfc93a039);
    II(a, b, c, d, Word(p, 12), 6, 0x655b59c3);
    II(d, a, b, c, Word(p, 3), 10, 0x8f0ccc92);
    II(c, d, a, b, Word(p, 10), 15, 0xffeff47d);
    II(b, c, d, a, Word(p, 1), 21, 0x85845dd1);
    II(a, b, c, d, Word(p, 8), 6, 0x6fa87e4f);
    II(d, a, b, c, Word(p, 15), 10, 0xfe2ce6e0);
    II(c, d, a, b, Word(p, 6), 15, 0xa3014314);
    II(b, c, d, a, Word(p, 13), 21, 0x4e0811a1);
    II(a, b, c, d, Word(p, 4), 6, 0xf7537e82);
    II(d, a, b, c, Word(p, 11), 10, 0xbd3af235);
    II(c, d, a, b, Word(p, 2), 15, 0x2ad7d2bb);
    II(b, c, d, a, Word(p, 9), 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

Md5Bytes Md5Digest(std::span<const uint8_t> data) {
    uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::size_t whole = data.size() / 64;
    for (std::size_t i = 0; i < whole; ++i) Transform(state, data.data() + i * 64);

    // Padding: 0x80, zeros up to 56 mod 64, then the bit length, little-endian.
    uint8_t tail[128] = {};
    std::size_t rest = data.size() % 64;
    if (rest > 0) std::memcpy(tail, data.data() + whole * 64, rest);
    tail[rest] = 0x80;
    std::size_t tailLength = rest < 56 ? 64 : 128;
    uint64_t bits = uint64_t(data.size()) * 8;
    for (int i = 0; i < 8; ++i) tail[tailLength - 8 + i] = uint8_t(bits >> (8 * i));
    Transform(state, tail);
    if (tailLength == 128) Transform(state, tail + 64);

    Md5Bytes digest{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) digest[i * 4 + j] = uint8_t(state[i] >> (8 * j));
    }
    return digest;
}

std::u16string Md5Hex(const Md5Bytes& digest) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    text.reserve(32);
    for (uint8_t b : digest) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

}  // namespace qm
