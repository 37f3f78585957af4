#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class VUAMarkerMgr;

// Reads the answer a dialog left for the agent:
//   {"result": "snooze", "words": ["snooze"],
//    "snoozeChoices": [{"chunkId": 7, "snoozeIndex": 1, "timedOut": false}]}
// "result" is null when the dialog left no result marker. A result marker
// is believed only when it is a plain file (no link, no FIFO, one name) of
// the markers' trusted owner (the dialog's user) or root, of at most 64 KiB;
// others are listed under "rejected" with the reason, and when no answer is
// left at all, "result" is "rejected" with the first "reason":
//   {"result": "rejected", "reason": ".../VUSERALERT_YES.abc it belongs to a
//    user who may not write it", "rejected": [{"marker": ..., "reason": ...}]}
class AnswerReader final
{
public:
    explicit AnswerReader(const VUAMarkerMgr& markers);

    QJsonObject read() const;

    // "7:1F,8:0T" (maybe followed by "snooze\n") -> entry objects; malformed
    // entries are left out.
    static QJsonArray parseSnoozeChoices(const QString& text);

private:
    const VUAMarkerMgr& m_markers;
};
