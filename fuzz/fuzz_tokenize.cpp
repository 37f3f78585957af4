#include "FuzzCheck.h"
#include "strutil.h"

#include <cstdint>
#include <string>

// First byte: delimiter length (1 to 4); then the delimiter, then the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const size_t length = 1 + data[0] % 4;
    if (size < 1 + length) {
        return 0;
    }
    const std::string delimiter(reinterpret_cast<const char*>(data) + 1, length);
    const std::string text(reinterpret_cast<const char*>(data) + 1 + length, size - 1 - length);
    const std::vector<std::string> pieces = Tokenize(text, delimiter);
    if (text.empty()) {
        FUZZ_CHECK(pieces.empty());
        return 0;
    }
    size_t occurrences = 0;
    for (size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, at + length)) {
        ++occurrences;
    }
    FUZZ_CHECK(pieces.size() == occurrences + 1);
    for (const std::string& piece : pieces) {
        FUZZ_CHECK(piece.size() <= text.size());
    }
    return 0;
}
