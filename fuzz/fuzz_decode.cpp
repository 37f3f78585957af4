#include "FuzzCheck.h"
#include "encoding.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = base64_decode(text);
    FUZZ_CHECK(decoded.size() <= text.size() / 4 * 3 + 2);
    const std::string stripped = DecodeAndStripTags(text);
    if (!IsEncoded(text)) {
        FUZZ_CHECK(stripped == text);
    } else {
        FUZZ_CHECK(stripped.size() <= text.size());
    }
    return 0;
}
