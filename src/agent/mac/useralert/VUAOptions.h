#pragma once

#include <cstdint>

// Launch option names and values of VUserAlert. Names are matched after
// folding to lower case; "/" may stand for the leading "-".
inline constexpr const char* kVUA_Name = "-name";
inline constexpr const char* kVUA_Suffix = "-suffix";
inline constexpr const char* kVUA_Message = "-message";
inline constexpr const char* kVUA_MultiMessage = "-multimessage";
inline constexpr const char* kVUA_MultiSnoozeMessage = "-multisnoozemessage";
inline constexpr const char* kVUA_Title = "-title";
inline constexpr const char* kVUA_Debug = "-debug";
inline constexpr const char* kVUA_Fade = "-fade";
inline constexpr const char* kVUA_Ok = "-ok";
inline constexpr const char* kVUA_YesNo = "-yesno";
inline constexpr const char* kVUA_Snooze = "-snooze";
inline constexpr const char* kVUA_Cancel = "-cancel";
inline constexpr const char* kVUA_NoButtons = "-nobuttons";
inline constexpr const char* kVUA_Timeout = "-timeout";
inline constexpr const char* kVUA_Default = "-default";
inline constexpr const char* kVUA_Help = "-h";
inline constexpr const char* kVUA_HelpQuestion = "-?";
inline constexpr const char* kVUA_Crash = "-vcrash";

inline constexpr const char* kVUA_Def_Yes = "yes";
inline constexpr const char* kVUA_Def_Cancel = "cancel";
inline constexpr const char* kVUA_Def_Snooze = "snooze";
inline constexpr const char* kVUA_Def_No = "no";
inline constexpr const char* kVUA_Def_Continue = "continue";

inline constexpr const char* kVUA_DefaultName = "unnamed";

// Default button codes (VUAConfig::defaultButton).
enum VUADefaultButton : int32_t
{
    kDefaultButtonNone = 0,
    kDefaultButtonYes = 1,
    kDefaultButtonNo = 2,
    kDefaultButtonSnooze = 3,
    kDefaultButtonContinue = 4,
    kDefaultButtonCancel = 5,
};

// Results of ParseCommandLineArgs and of the dialog's set-up.
enum VUAParseResult : int
{
    kParseSuccess = 0,
    kParseMissingParameters = -1,
    kParseUsageRequested = -2,
    kParseUnknownParameter = -3,
    kParseInvalidCombination = -4,
};

// Page time-out when the multi-message entry gives none (seconds).
inline constexpr int32_t kDefaultPageTimeoutSecs = 300;
