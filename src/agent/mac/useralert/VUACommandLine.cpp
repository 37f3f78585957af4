#include "VUAConfig.h"
#include "VUAOptions.h"

#include "encoding.h"
#include "md5.h"
#include "strutil.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

enum class OptionResult
{
    Applied,
    Help,
    Unknown,
};

std::string FoldToLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// "-name=Foo=Bar" -> ("-name", "Foo=Bar"); "=x" and "-ok" -> whole argument
// as the name with an empty value.
void SplitOption(const std::string& argument, std::string* name, std::string* value)
{
    const size_t equals = argument.find('=');
    if (equals != std::string::npos && equals > 0) {
        *name = FoldToLower(argument.substr(0, equals));
        *value = argument.substr(equals + 1);
    } else {
        *name = FoldToLower(argument);
        value->clear();
    }
    if (!name->empty() && (*name)[0] == '/') {
        (*name)[0] = '-';
    }
}

void ApplyDefaultButton(const std::string& value, VUAConfig* config)
{
    const std::pair<const char*, int32_t> choices[] = {
        {kVUA_Def_Yes, kDefaultButtonYes},           {kVUA_Def_Cancel, kDefaultButtonCancel},
        {kVUA_Def_Snooze, kDefaultButtonSnooze},     {kVUA_Def_No, kDefaultButtonNo},
        {kVUA_Def_Continue, kDefaultButtonContinue},
    };
    for (const auto& choice : choices) {
        if (value == choice.first) {
            config->defaultButton = choice.second;
            return;
        }
    }
}

bool ApplyFlag(const std::string& name, VUAConfig* config)
{
    const std::pair<const char*, bool VUAConfig::*> flags[] = {
        {kVUA_Fade, &VUAConfig::fade},        {kVUA_Ok, &VUAConfig::okBtn},
        {kVUA_YesNo, &VUAConfig::yesNoBtn},   {kVUA_Snooze, &VUAConfig::snoozeBtn},
        {kVUA_Cancel, &VUAConfig::cancelBtn}, {kVUA_NoButtons, &VUAConfig::noButtons},
    };
    for (const auto& flag : flags) {
        if (name == flag.first) {
            config->*flag.second = true;
            return true;
        }
    }
    if (name == kVUA_Debug) {
        config->debugLevel = 1;
        return true;
    }
    return false;
}

bool ApplyText(const std::string& name, const std::string& value, VUAConfig* config)
{
    if (name == kVUA_Name) {
        config->name = DecodeAndStripTags(value);
    } else if (name == kVUA_Suffix) {
        config->suffix = value;
    } else if (name == kVUA_Message) {
        config->message = DecodeAndStripTags(value);
    } else if (name == kVUA_Title) {
        config->title = DecodeAndStripTags(value);
    } else if (name == kVUA_MultiMessage) {
        if (!value.empty()) {
            config->multiMessages = ParseMultiMessage(DecodeAndStripTags(value), config->multiIsPreinstall);
            if (!config->multiMessages.empty()) {
                config->multiMessageMode = true;
            }
        }
    } else if (name == kVUA_MultiSnoozeMessage) {
        if (!value.empty()) {
            bool ignoredPhase = false;
            config->multiMessages = ParseMultiMessage(DecodeAndStripTags(value), ignoredPhase);
            config->multiSnoozeMessageMode = !config->multiMessages.empty();
        }
    } else if (name == kVUA_Timeout) {
        if (!value.empty()) {
            config->timeout = ParseLeadingInt(value);
        }
    } else if (name == kVUA_Default) {
        ApplyDefaultButton(value, config);
    } else {
        return false;
    }
    return true;
}

OptionResult ApplyOption(const std::string& name, const std::string& value, VUAConfig* config)
{
    if (name == kVUA_Help || name == kVUA_HelpQuestion) {
        return OptionResult::Help;
    }
    if (ApplyFlag(name, config) || ApplyText(name, value, config)) {
        return OptionResult::Applied;
    }
    return OptionResult::Unknown;
}

// A clash is said with the options that make it, for the log:
//   "-ok -yesno"      -> "-ok and -yesno clash: a dialog has OK or Yes and No, not both"
//   "-yesno -snooze"  -> "-snooze and -yesno clash: Snooze comes only with -ok"
int ApplyButtonRules(VUAConfig* config)
{
    if (config->okBtn && config->yesNoBtn) {
        config->clash = "-ok and -yesno clash: a dialog has OK or Yes and No, not both";
        return kParseInvalidCombination;
    }
    // Snooze always comes with OK.
    if (config->snoozeBtn && !config->okBtn) {
        config->clash = config->yesNoBtn ? "-snooze and -yesno clash: Snooze comes only with -ok"
                                         : "-snooze without -ok: Snooze comes only with -ok";
        return kParseInvalidCombination;
    }
    if (!config->okBtn && !config->yesNoBtn && !config->cancelBtn && !config->multiMessageMode &&
        !config->multiSnoozeMessageMode && !config->noButtons) {
        config->okBtn = true;
    }
    return kParseSuccess;
}

// Minutes to seconds, saturated so that a huge value stays a long time-out
// instead of wrapping round to a negative (immediate) one.
int32_t MinutesToSeconds(int32_t minutes)
{
    const long long seconds = static_cast<long long>(minutes) * 60;
    if (seconds > INT32_MAX) {
        return INT32_MAX;
    }
    if (seconds < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(seconds);
}

} // namespace

int ParseCommandLineArgs(std::vector<std::string>& args, VUAConfig* config)
{
    if (config == nullptr) {
        return kParseUnknownParameter;
    }
    config->Reset();
    config->clash.clear();
    if (args.size() == 2 && args[1] == kVUA_Crash) {
        std::abort();
    }
    if (args.size() < 2) {
        return kParseMissingParameters;
    }
    std::string name;
    std::string value;
    for (size_t i = 1; i < args.size(); ++i) {
        SplitOption(args[i], &name, &value);
        if (name.empty()) {
            continue;
        }
        const OptionResult result = ApplyOption(name, value, config);
        if (result == OptionResult::Help) {
            return kParseUsageRequested;
        }
        if (result == OptionResult::Unknown) {
            config->Reset();
            return kParseUnknownParameter;
        }
    }
    const int rules = ApplyButtonRules(config);
    if (rules != kParseSuccess) {
        config->Reset();
        return rules;
    }
    if (!config->suffix.empty()) {
        return kParseSuccess;
    }
    if (config->name.empty()) {
        config->name = kVUA_DefaultName;
    }
    config->suffix = CreateHash(config->name);
    return kParseSuccess;
}

std::vector<MultiMessageChunk> ParseMultiMessage(std::string value, bool& isPreinstall)
{
    std::vector<MultiMessageChunk> pages;
    isPreinstall = value.compare(0, 3, "PRE") == 0;
    if (value.size() <= 3) {
        return pages;
    }
    value.erase(0, 3);

    for (const std::string& entry : Tokenize(value, "^^")) {
        const std::vector<std::string> fields = Tokenize(entry, "^");
        if (fields.size() < 3) {
            continue;
        }
        MultiMessageChunk page;
        page.chunkId = ParseLeadingInt(fields[0]);
        page.packageName = fields[1];
        page.message = fields[2];
        page.timeOutSecs =
            fields.size() == 4 ? MinutesToSeconds(ParseLeadingInt(fields[3])) : kDefaultPageTimeoutSecs;
        if (page.timeOutSecs == 0) {
            page.timeOutSecs = kDefaultPageTimeoutSecs;
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

// One option group a line, each starting in the column after "usage:
// VUserAlert ", so the text reads as columns in a terminal and in the
// panel's fixed-pitch font; no line is longer than 70 characters, which the
// panel shows without folding.
std::string BuildUsageString(const std::string& prefix)
{
    std::string usage;
    if (!prefix.empty()) {
        usage = prefix + "\n\n";
    }
    usage += "usage: VUserAlert -name=PKGNAME -message=MESSAGE\n";
    usage += "                  [-title=TITLE] [-timeout=SECONDS]\n";
    usage += "                  [-yesno | -ok [-snooze]] [-continue] [-cancel]\n";
    usage += "                  [-default=yes|no|cancel|snooze|continue]\n";
    usage += "                  [-multimessage=PAGES | -multisnoozemessage=PAGES]\n\n";
    usage += "PAGES: \"PREid^pkgname^message^minutes\", pages joined by \"^^\"\n";
    usage += "-name and -message are mandatory.";
    return usage;
}
