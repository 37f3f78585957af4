#pragma once

#include "UserLaunch.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "VUAMarkerMgr.h"
#include <optional>

#include <string>

class QIODevice;

// Starts VUserAlert as the agent does, optionally steers it with a script
// while it runs, waits for its end and reports the answer:
//   {"suffix": "...", "exitStatus": 0, "crashed": false,
//    "result": "yes", "words": ["yes"], "snoozeChoices": []}
// With a UserLaunch the dialog runs as that user, in that user's session.
class DialogRunner final
{
public:
    explicit DialogRunner(QString program, std::optional<UserLaunch> launch = std::nullopt);

    QJsonObject run(const QStringList& options, QIODevice* script, QString* error);

    // The suffix the dialog names its markers with: the "-suffix" value
    // sanitized, or the MD5 digest of the decoded name ("unnamed" without
    // one). Empty when the options would not start a dialog.
    static std::string suffixFor(const QStringList& options);
    // Wraps the values of the text options in "!ENC!" Base64 tags.
    static QStringList encodeValues(const QStringList& options);
    static QString encode(const QString& value);

private:
    VUAMarkerMgr markersFor(const std::string& suffix) const;

    QString m_program;
    std::optional<UserLaunch> m_launch;
};
