#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class VUAMarkerMgr;

// Reads the answer a dialog left for the agent:
//   {"result": "snooze", "words": ["snooze"],
//    "snoozeChoices": [{"chunkId": 7, "snoozeIndex": 1, "timedOut": false}]}
// "result" is null when the dialog left no result marker.
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
