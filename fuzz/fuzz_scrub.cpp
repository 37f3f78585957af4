#include "FuzzCheck.h"
#include "vlog.h"

#include <cstdint>
#include <string>

namespace {

// Every "password=" left in a scrubbed line is followed by the mask.
bool NoPasswordValueLeft(const std::string& text)
{
    for (size_t at = text.find("password="); at != std::string::npos; at = text.find("password=", at + 1)) {
        if (text.compare(at + 9, 6, "xxxxxx") != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string once = ScrubSMBPasswords(text);
    FUZZ_CHECK(NoPasswordValueLeft(once));
    FUZZ_CHECK(ScrubSMBPasswords(once) == once);
    return 0;
}
