#include "md5.h"

#include <cstring>

namespace {

constexpr uint32_t kInitialState[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// K[i] = floor(abs(sin(i + 1)) * 2^32)
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr unsigned kShift[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

constexpr unsigned char kPadding[64] = {0x80};

uint32_t RotateLeft(uint32_t value, unsigned bits)
{
    return (value << bits) | (value >> (32u - bits));
}

void Decode(uint32_t* output, const unsigned char* input, size_t length)
{
    for (size_t i = 0, j = 0; j < length; ++i, j += 4) {
        output[i] = static_cast<uint32_t>(input[j]) | (static_cast<uint32_t>(input[j + 1]) << 8) |
                    (static_cast<uint32_t>(input[j + 2]) << 16) | (static_cast<uint32_t>(input[j + 3]) << 24);
    }
}

} // namespace

void VMD5_Init(VMD5_CTX* context)
{
    context->count[0] = 0;
    context->count[1] = 0;
    std::memcpy(context->state, kInitialState, sizeof kInitialState);
    std::memset(context->buffer, 0, sizeof context->buffer);
}

void VMD5_Transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t x[16];
    Decode(x, block, 64);

    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (unsigned i = 0; i < 64; ++i) {
        uint32_t f = 0;
        unsigned g = 0;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (b & d) | (c & ~d);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const uint32_t rotated = RotateLeft(a + f + kSine[i] + x[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void VMD5_Update(VMD5_CTX* context, const unsigned char* input, size_t length)
{
    size_t index = (context->count[0] >> 3) & 0x3f;

    const uint64_t bits = (static_cast<uint64_t>(context->count[1]) << 32 | context->count[0]) +
                          (static_cast<uint64_t>(length) << 3);
    context->count[0] = static_cast<uint32_t>(bits);
    context->count[1] = static_cast<uint32_t>(bits >> 32);

    const size_t room = 64 - index;
    size_t i = 0;
    if (length >= room) {
        std::memcpy(&context->buffer[index], input, room);
        VMD5_Transform(context->state, context->buffer);
        for (i = room; i + 63 < length; i += 64) {
            VMD5_Transform(context->state, &input[i]);
        }
        index = 0;
    }
    if (length > i) {
        std::memcpy(&context->buffer[index], &input[i], length - i);
    }
}

void VMD5_Final(unsigned char digest[16], VMD5_CTX* context)
{
    unsigned char bits[8];
    Encode(bits, context->count, 8);

    const size_t index = (context->count[0] >> 3) & 0x3f;
    const size_t padLength = index < 56 ? 56 - index : 120 - index;
    VMD5_Update(context, kPadding, padLength);
    VMD5_Update(context, bits, 8);

    Encode(digest, context->state, 16);
    std::memset(context, 0, sizeof *context);
}

void Encode(unsigned char* output, const uint32_t* input, size_t length)
{
    for (size_t i = 0, j = 0; j < length; ++i, j += 4) {
        output[j] = static_cast<unsigned char>(input[i] & 0xff);
        output[j + 1] = static_cast<unsigned char>((input[i] >> 8) & 0xff);
        output[j + 2] = static_cast<unsigned char>((input[i] >> 16) & 0xff);
        output[j + 3] = static_cast<unsigned char>((input[i] >> 24) & 0xff);
    }
}

bool MD5_String(const char* text, unsigned char digest[16])
{
    VMD5_CTX context;
    VMD5_Init(&context);
    if (text != nullptr) {
        VMD5_Update(&context, reinterpret_cast<const unsigned char*>(text), std::strlen(text));
    }
    VMD5_Final(digest, &context);
    return true;
}

void MD5_ToHexString(const unsigned char digest[16], char hex[33])
{
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < 16; ++i) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 0x0f];
    }
    hex[32] = '\0';
}

std::string CreateHash(const std::string& text)
{
    unsigned char digest[16];
    MD5_String(text.c_str(), digest);
    char hex[33];
    MD5_ToHexString(digest, hex);
    return hex;
}
