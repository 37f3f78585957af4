#pragma once

#include "VUAMarkerMgr.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

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
    explicit DialogSteering(const std::string& suffix);

    // False with a message in `error` for an unknown or malformed command.
    bool run(const QString& command, QString* error);
    // Runs every line; stops early when `keepGoing` says so (the dialog
    // ended) or a line fails.
    bool runScript(QIODevice& script, QString* error, const std::function<bool()>& keepGoing = {});

    const VUAMarkerMgr& markers() const { return m_markers; }
    // Markers are created for this user (root steering a user's dialog):
    // the dialog can then remove what it has carried out.
    void setDialogUser(uid_t uid, gid_t gid) { m_markers.SetMarkerOwner(uid, gid); }

private:
    bool create(VUA_MarkerType type, const std::string& content, QString* error);
    bool runLines(QIODevice& script, QString* error);
    bool awaitTaken(int timeoutMs);
    bool lastStillThere() const;
    bool dialogEnded() const { return m_keepGoing && !m_keepGoing(); }
    void pause(int milliseconds) const;
    void dropUntaken() const;

    VUAMarkerMgr m_markers;
    std::function<bool()> m_keepGoing; // while a script runs
    VUA_MarkerType m_last = MARKER_NONE;
    // The file published for m_last: the owner too, as a file made after
    // ours was removed may get its inode number.
    struct Published
    {
        dev_t dev = 0;
        ino_t ino = 0;
        uid_t uid = 0;
    } m_lastPublished;
};
