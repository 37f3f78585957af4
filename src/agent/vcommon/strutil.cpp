#include "strutil.h"

#include <cstdlib>

namespace {

// The piece [start, end) as it is, or empty when it holds nothing but the
// delimiter's characters.
std::string PieceOf(const std::string& text, size_t start, size_t end, const std::string& delimiter)
{
    const size_t other = text.find_first_not_of(delimiter, start);
    if (other == std::string::npos || other >= end) {
        return std::string();
    }
    return text.substr(start, end - start);
}

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

std::vector<std::string> Tokenize(const std::string& text, const std::string& delimiter)
{
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    for (size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, start)) {
        pieces.push_back(PieceOf(text, start, at, delimiter));
        start = at + delimiter.size();
    }
    pieces.push_back(PieceOf(text, start, text.size(), delimiter));
    return pieces;
}

std::string trim_right(const std::string& text, const std::string& characters)
{
    if (characters.empty()) {
        return text;
    }
    const size_t last = text.find_last_not_of(characters);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string trim_left(const std::string& text, const std::string& characters)
{
    if (characters.empty()) {
        return text;
    }
    const size_t first = text.find_first_not_of(characters);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string trim_both(const std::string& text, const std::string& characters)
{
    return trim_left(trim_right(text, characters), characters);
}

std::string sanitizeFilename(const std::string& text)
{
    std::string safe(text);
    for (char& c : safe) {
        if (!IsAsciiAlnum(static_cast<unsigned char>(c))) {
            c = 'X';
        }
    }
    return safe;
}

int32_t ParseLeadingInt(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(value)));
}
