// The readers that take bytes from disk: "arn.conf" and a marker file.
#include "AgentConfig.h"
#include "FuzzCheck.h"
#include "VUAMarkerMgr.h"
#include "util.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const std::string& Root()
{
    static const std::string root = [] {
        char pattern[] = "/tmp/vora-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        const std::string path = made != nullptr ? made : "/tmp";
        setenv("VORA_AGENT_ROOT", path.c_str(), 1);
        unsetenv("VEJBINSTANCE");
        return path;
    }();
    return root;
}

void Write(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Root();
    AgentConfig config;
    Write(config.systemFilePath, data, size);
    FUZZ_CHECK(config.Load());
    FUZZ_CHECK(config.processTimeout >= kMinProcessTimeout && config.processTimeout <= kMaxProcessTimeout);
    FUZZ_CHECK(config.webPortIs443 == (config.webPort == 443));

    const VUAMarkerMgr markers(std::string("fuzz"));
    Write(markers.GetFilePath(MARKER_MESG), data, size);
    std::string text;
    FUZZ_CHECK(markers.Read(MARKER_MESG, text));
    std::string expected(reinterpret_cast<const char*>(data), size);
    expected.erase(std::remove(expected.begin(), expected.end(), '\n'), expected.end());
    FUZZ_CHECK(text == expected);
    return 0;
}
