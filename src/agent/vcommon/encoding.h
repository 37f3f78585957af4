#pragma once

#include <string>

// Values the agent passes Base64-encoded between "!ENC!" tags:
//   "!ENC!SGVsbG8=!ENC!" -> "Hello"
//   "plain text"         -> "plain text"

inline constexpr const char* kEncodedTag = "!ENC!";

bool IsEncoded(const std::string& text);
std::string DecodeAndStripTags(const std::string& text);

// Standard alphabet (RFC 4648). Stops at the first "=" or at the first
// character outside the alphabet and returns what was decoded up to there:
//   "SGVsbG8=" -> "Hello"; "SGVs bG8=" -> "Hel"; "SGVsb" -> "Hel" + nothing
// for the lone trailing "b".
std::string base64_decode(const std::string& text);
bool is_base64(unsigned char c);
