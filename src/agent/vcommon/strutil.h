#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Splits at every whole occurrence of `delimiter`, left to right, without
// overlap; always one more piece than occurrences. A piece made only of the
// delimiter's characters comes out empty:
//   Tokenize("a^^^^b", "^^") -> {"a", "", "b"}
//   Tokenize("a^^b^c", "^^") -> {"a", "b^c"}
//   Tokenize("a^^^b", "^^")  -> {"a", "^b"}
// An empty text gives no pieces; an empty delimiter gives the text whole.
std::vector<std::string> Tokenize(const std::string& text, const std::string& delimiter);

std::string trim_right(const std::string& text, const std::string& characters);
std::string trim_left(const std::string& text, const std::string& characters);
std::string trim_both(const std::string& text, const std::string& characters);

// Every byte that is not an ASCII letter or digit becomes "X": "a-b.c" -> "aXbXc".
std::string sanitizeFilename(const std::string& text);

// atoi() without its undefined overflow: leading white space, an optional
// sign and the leading digits, 0 when there are none; the low 32 bits of the
// (saturated) long value are kept, as glibc's atoi does:
//   "42abc" -> 42; "  -7" -> -7; "abc" -> 0; "4294967297" -> 1
int32_t ParseLeadingInt(const std::string& text);
