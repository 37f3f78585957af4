#pragma once

#include "vora/alert.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>

class QIODevice;

// Starts VUserAlert as the agent does, through libvora-alert (which clears
// what an earlier dialog of the suffix left, and launches it through
// vora::launch::DialogLaunch: nothing of ours in it, its output relayed to
// our standard error), optionally
// steers it with a script while it runs, waits for its end and reports the
// answer:
//   {"suffix": "...", "exitStatus": 0, "crashed": false,
//    "result": "yes", "words": ["yes"], "snoozeChoices": [],
//    "waitLimitSeconds": 315, "endedByAgent": null}
// The wait is bounded (waitLimitFor), counted from the start or from the
// end of the script: a dialog still there then, stopped or hung, is ended
// and "endedByAgent" says so: {"state": "stopped", "signal": "SIGTERM"}.
// With a user (name or uid) the dialog runs as that user, in that user's
// session; only root may name another user than itself.
class DialogRunner final
{
public:
    explicit DialogRunner(QString program, std::optional<QString> user = std::nullopt);

    QJsonObject run(const QStringList& options, QIODevice* script, QString* error);

    // The suffix the dialog names its markers with: the "-suffix" value
    // sanitized, or the MD5 digest of the decoded name ("unnamed" without
    // one). Empty when the options would not start a dialog.
    static std::string suffixFor(const QStringList& options);
    // Wraps the values of the text options in "!ENC!" Base64 tags.
    static QStringList encodeValues(const QStringList& options);
    static QString encode(const QString& value);
    // The dialog's own time-out plus kGrace: its "-timeout" (1 s or more)
    // for a single message; kLongestDialog when it has none (the dialog
    // then closes after a day), for pages (each page restarts its own
    // time-out as the user pages back and forth), and for options that
    // start no dialog.
    static std::chrono::seconds waitLimitFor(const QStringList& options);

    static constexpr std::chrono::seconds kGrace{15};
    static constexpr std::chrono::seconds kLongestDialog{86400};

private:
    QJsonObject reportFor(vora_alert* alert, const vora_alert_ending& ending) const;
    static QJsonValue describeEnding(const vora_alert_ending& ending);

    QString m_program;
    std::optional<QString> m_userGiven;
};
