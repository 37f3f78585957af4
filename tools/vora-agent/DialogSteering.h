#pragma once

#include "vora/alert.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

#include <sys/types.h>

// Steers a running dialog the way the agent does, through its markers.
//
// Commands (also the lines of a script; "#" starts a comment):
//   message TEXT    replace the message
//   append TEXT     append a line (APND is created before MESG)
//   showok | progon | progoff | finish | exit
//   timeout SECONDS restart the time-out
//   wait MS         pause
//   await           wait until the dialog has taken the last marker (10 s):
//                   until the file published is no longer at its name,
//                   whatever another user puts there after it
// In a script run beside the dialog, "wait" and "await" end early when the
// dialog has ended: "await" after a dialog closed by its user is no
// failure, the dialog's answer is what counts. A marker it never took is
// removed then, with a line on standard error.
class DialogSteering final
{
public:
    // Steers the dialog of `suffix` that someone else started.
    explicit DialogSteering(const std::string& suffix);
    // Steers a dialog through the handle that started it (not owned).
    explicit DialogSteering(vora_alert* alert);

    // False with a message in `error` for an unknown or malformed command.
    bool run(const QString& command, QString* error);
    // Runs every line; stops early when `keepGoing` says so (the dialog
    // ended) or a line fails.
    bool runScript(QIODevice& script, QString* error, const std::function<bool()>& keepGoing = {});

    // Markers are handed to this user (root steering a user's dialog): the
    // dialog can then remove what it has carried out. False with `error`
    // for a user the library cannot resolve.
    bool setDialogUser(uid_t uid, QString* error);

private:
    bool publish(vora_alert_command command, const std::string& text, QString* error);
    bool runLines(QIODevice& script, QString* error);
    bool awaitTaken(int timeoutMs);
    bool dialogEnded() const { return m_keepGoing && !m_keepGoing(); }
    void pause(int milliseconds) const;
    void dropUntaken() const;

    struct Free
    {
        void operator()(vora_alert* alert) const { vora_alert_free(alert); }
    };
    std::string m_suffix;
    std::unique_ptr<vora_alert, Free> m_owned; // opened here by suffix
    vora_alert* m_alert = nullptr;
    std::function<bool()> m_keepGoing; // while a script runs
};
