#pragma once

#include <cstddef>
#include <sys/types.h>

// Kinds of marker files shared with the agent. A marker's file name is its
// prefix followed by the dialog's suffix, in the per-user data directory:
//   <root>/Orvel/VORA/data/user/VUSERALERT_EXIT.4af52202f77beb11ba59ce2056aa7878
enum VUA_MarkerType : int
{
    MARKER_NONE = 0,
    MARKER_MESG = 1,       // agent: new message text
    MARKER_APND = 2,       // agent: append MESG instead of replacing (create it first)
    MARKER_SHOWOK = 3,     // agent: show the OK button
    MARKER_PROGON = 4,     // agent: start the progress animation
    MARKER_PROGOFF = 5,    // agent: stop the progress animation
    MARKER_SETTIMEOUT = 6, // agent: new time-out in seconds, decimal text
    MARKER_EXIT = 7,       // agent: close the dialog
    MARKER_SNOOZE = 8,     // dialog: snooze choices and/or "snooze"
    MARKER_YES = 9,        // dialog: "yes"
    MARKER_CANCEL = 10,    // dialog: "cancel"
    MARKER_CONTINUE = 11,  // dialog: "continue"
    MARKER_FINISH = 12,    // agent: Continue becomes Finish
    MARKER_DEBUG = 13,     // anyone: debug level 1 at start; no suffix, never deleted
};

inline constexpr int kMarkerTypeCount = 14;

inline constexpr const char* kMESG_FILE = "VUSERALERT_MESG.";
inline constexpr const char* kAPND_FILE = "VUSERALERT_APND.";
inline constexpr const char* kSHOWOK_FILE = "VUSERALERT_SHOWOK.";
inline constexpr const char* kPROGON_FILE = "VUSERALERT_PROGON.";
inline constexpr const char* kPROGOFF_FILE = "VUSERALERT_PROGOFF.";
inline constexpr const char* kTIMEOUT_FILE = "VUSERALERT_SETTIMEOUT.";
inline constexpr const char* kEXIT_FILE = "VUSERALERT_EXIT.";
inline constexpr const char* kSNOOZE_FILE = "VUSERALERT_SNOOZE.";
inline constexpr const char* kYES_FILE = "VUSERALERT_YES.";
inline constexpr const char* kCANCEL_FILE = "VUSERALERT_CANCEL.";
inline constexpr const char* kCONTINUE_FILE = "VUSERALERT_CONTINUE.";
inline constexpr const char* kFINISH_FILE = "VUSERALERT_FINISH.";
inline constexpr const char* kWORKCELL_DEBUG_FILE = "WORKCELL_DEBUG";

// The answer protocol, the same for the dialog and the agent's side.
//
// Result markers in the order the dialog decides its answer (the first
// rule that holds wins), each with the word it holds as its one line.
struct VUAAnswerMarker
{
    VUA_MarkerType type;
    const char* word;
};
inline constexpr VUAAnswerMarker kAnswerMarkers[] = {
    {MARKER_YES, "yes"}, {MARKER_CANCEL, "cancel"}, {MARKER_SNOOZE, "snooze"}, {MARKER_CONTINUE, "continue"}};

// Most bytes read of a marker. A message of 10 MB must still arrive (only
// its start is shown); a time-out is a number; an answer is a word or one
// entry per page.
inline constexpr size_t kMaxMessageBytes = 16 * 1024 * 1024;
inline constexpr size_t kMaxTimeoutBytes = 4096;
inline constexpr size_t kMaxAnswerBytes = 64 * 1024;

// Markers, answers and the snooze-choices file say what a dialog shows and
// what its user answered: readable by that user (their owner) and root
// only, whatever the umask of the process that writes them.
inline constexpr mode_t kMarkerMode = 0600;
