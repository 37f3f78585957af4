#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// MD5 message digest (RFC 1321). The digest names a dialog's marker files,
// so it must match every other MD5 the agent computes:
//   CreateHash("abc") -> "900150983cd24fb0d6963f7d28e17f72"

struct VMD5_CTX
{
    uint32_t state[4]; // A, B, C, D
    uint32_t count[2]; // message length in bits, low word first
    unsigned char buffer[64];
};

void VMD5_Init(VMD5_CTX* context);
void VMD5_Update(VMD5_CTX* context, const unsigned char* input, size_t length);
void VMD5_Transform(uint32_t state[4], const unsigned char block[64]);
void VMD5_Final(unsigned char digest[16], VMD5_CTX* context);

// Writes `length` / 4 words as little-endian bytes; `length` is the number of
// output bytes and a multiple of 4.
void Encode(unsigned char* output, const uint32_t* input, size_t length);

// Digest of the NUL-terminated `text` (a null text digests zero bytes).
// Always succeeds.
bool MD5_String(const char* text, unsigned char digest[16]);

// 16 digest bytes to 32 lower-case hex digits and a terminating NUL.
void MD5_ToHexString(const unsigned char digest[16], char hex[33]);

// Digest of `text` up to its first NUL byte, as 32 lower-case hex digits.
std::string CreateHash(const std::string& text);
