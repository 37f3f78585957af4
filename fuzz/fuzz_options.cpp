#include "FuzzCheck.h"
#include "VUAConfig.h"

#include <cstdint>
#include <string>
#include <vector>

// One argument per line; the program path comes first.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args{"VUserAlert"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty()) {
        args.push_back(current);
    }
    if (args.size() == 2 && args[1] == "-vcrash") {
        return 0; // the crash test, by design
    }
    VUAConfig config;
    const int result = ParseCommandLineArgs(args, &config);
    FUZZ_CHECK(result == 0 || result == -1 || result == -2 || result == -3 || result == -4);
    if (result == 0) {
        FUZZ_CHECK(!config.suffix.empty());
        FUZZ_CHECK(!(config.okBtn && config.yesNoBtn));
        FUZZ_CHECK(!config.snoozeBtn || config.okBtn);
        FUZZ_CHECK(config.defaultButton >= 0 && config.defaultButton <= 5);
        for (const MultiMessageChunk& page : config.multiMessages) {
            FUZZ_CHECK(page.timeOutSecs != 0);
            FUZZ_CHECK(!page.timedOut);
        }
    }
    bool phase = false;
    for (const MultiMessageChunk& page :
         ParseMultiMessage(std::string(reinterpret_cast<const char*>(data), size), phase)) {
        FUZZ_CHECK(page.timeOutSecs != 0);
    }
    return 0;
}
