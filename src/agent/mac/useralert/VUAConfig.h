#pragma once

#include "MultiMessageChunk.h"

#include <cstdint>
#include <string>
#include <vector>

// The parsed launch options of one dialog.
struct VUAConfig
{
    // Leaves name, suffix, debugLevel and clash as they are;
    // multiIsPreinstall becomes true.
    void Reset();

    int32_t defaultButton = 0;
    std::vector<MultiMessageChunk> multiMessages;
    std::string name;
    std::string suffix;
    std::string message;
    std::string title;
    bool okBtn = false;
    bool yesNoBtn = false;
    bool cancelBtn = false;
    bool snoozeBtn = false;
    bool noButtons = false;
    bool fade = false;
    bool multiMessageMode = false;
    bool multiIsPreinstall = true;
    bool multiSnoozeMessageMode = false;
    int32_t timeout = 0;
    int32_t debugLevel = 0;
    // After an invalid combination: which options clash and why, in words
    // for the log ("-ok and -yesno clash: ..."); empty otherwise.
    std::string clash;
};

// Fills `config` from the argument vector (element 0, the program path, is
// not examined) and returns a VUAParseResult.
int ParseCommandLineArgs(std::vector<std::string>& args, VUAConfig* config);

// "PRE" + "id^pkgname^message^minutes" entries joined by "^^":
//   "PRE7^Editor^Install now^10^^8^Browser^Update^" ->
//   phase true, pages (7, Editor, Install now, 600 s), (8, Browser, Update, 300 s)
// The first three characters are always the phase prefix.
std::vector<MultiMessageChunk> ParseMultiMessage(std::string value, bool& isPreinstall);

// The usage text, after `prefix` and a blank line when a prefix is given.
std::string BuildUsageString(const std::string& prefix);
