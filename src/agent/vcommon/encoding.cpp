#include "encoding.h"

#include <cstring>

namespace {

int SextetOf(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : 63;
}

} // namespace

bool IsEncoded(const std::string& text)
{
    return text.find(kEncodedTag) != std::string::npos;
}

std::string DecodeAndStripTags(const std::string& text)
{
    if (!IsEncoded(text)) {
        return text;
    }
    const size_t tagLength = std::strlen(kEncodedTag);
    std::string stripped;
    stripped.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(kEncodedTag); at != std::string::npos; at = text.find(kEncodedTag, from)) {
        stripped.append(text, from, at - from);
        from = at + tagLength;
    }
    stripped.append(text, from, std::string::npos);
    return base64_decode(stripped);
}

bool is_base64(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::string base64_decode(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    unsigned group = 0;
    int held = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '=' || !is_base64(c)) {
            break;
        }
        group = (group << 6) | static_cast<unsigned>(SextetOf(c));
        if (++held == 4) {
            bytes.push_back(static_cast<char>((group >> 16) & 0xff));
            bytes.push_back(static_cast<char>((group >> 8) & 0xff));
            bytes.push_back(static_cast<char>(group & 0xff));
            group = 0;
            held = 0;
        }
    }
    // A trailing group of 2 or 3 characters carries 1 or 2 whole bytes.
    if (held == 2) {
        bytes.push_back(static_cast<char>((group >> 4) & 0xff));
    } else if (held == 3) {
        bytes.push_back(static_cast<char>((group >> 10) & 0xff));
        bytes.push_back(static_cast<char>((group >> 2) & 0xff));
    }
    return bytes;
}
