#pragma once

#include "VSafeDir.h"
#include "VUAMarkerTypes.h"

#include <string>
#include <vector>

class VUAMarkerMgr;

// What a dialog answered, read as the agent reads it: from the result
// markers of kAnswerMarkers, each believed only when it is a plain file
// (no link, FIFO or second name) of root or the dialog's user (the
// markers' trusted owner), of at most kMaxAnswerBytes.

// One page's entry of the snooze-choices file: "7:1F" -> {7, 1, false}.
struct VUASnoozeChoice
{
    int chunkId = 0;
    int snoozeIndex = 0;
    bool timedOut = false;
};

// A result marker that was there but not believed, and why.
struct VUARefusedAnswer
{
    VUA_MarkerType type = MARKER_NONE;
    VResult result; // NotRegular, ForeignOwner, TooLarge or Failed, with its errno
    std::string path;
};

struct VUAAnswer
{
    // The first marker of kAnswerMarkers that holds an answer; MARKER_NONE
    // when none does. A snooze file with choices only is no snooze answer.
    VUA_MarkerType type = MARKER_NONE;
    std::vector<std::string> words; // its non-empty lines
    std::vector<VUASnoozeChoice> snoozeChoices;
    std::vector<VUARefusedAnswer> refused;
};

VUAAnswer ReadAnswer(const VUAMarkerMgr& markers);

// "7:1F,8:0T" (maybe followed by "snooze\n") -> two entries. Malformed
// entries, and numbers that do not fit an int ("99999999999:0F"), are left
// out rather than read as something the dialog did not write.
std::vector<VUASnoozeChoice> ParseSnoozeChoices(const std::string& text);

// "it belongs to a user who may not write it", for a refused answer.
std::string RefusalText(const VUARefusedAnswer& refused);
