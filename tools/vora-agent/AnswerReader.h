#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

struct vora_alert;

// The answer a dialog left for the agent, read through libvora-alert, as
// JSON:
//   {"result": "snooze", "words": ["snooze"],
//    "snoozeChoices": [{"chunkId": 7, "snoozeIndex": 1, "timedOut": false}]}
// "result" is null when the dialog left no result marker. The library
// believes a result marker only when it is a plain file (no link, no FIFO,
// one name) of the dialog's user or root, of at most 64 KiB; others are
// listed under "rejected" with the reason, and when no answer is left at
// all, "result" is "rejected" with the first "reason":
//   {"result": "rejected", "reason": ".../VUSERALERT_YES.abc it belongs to a
//    user who may not write it", "rejected": [{"marker": ..., "reason": ...}]}
class AnswerReader final
{
public:
    explicit AnswerReader(const vora_alert* alert);

    QJsonObject read() const;

    // "7:1F,8:0T" (maybe followed by "snooze\n") -> entry objects, by the
    // library's rule (malformed entries are left out).
    static QJsonArray parseSnoozeChoices(const QString& text);

private:
    const vora_alert* m_alert;
};
