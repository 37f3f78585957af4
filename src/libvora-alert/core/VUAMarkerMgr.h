#pragma once

#include "VSafeDir.h"
#include "VUAMarkerTypes.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// A result marker that an answer sweep could not remove, and why (errno).
struct VUAStaleAnswer
{
    VUA_MarkerType type;
    int error;
};

// What became of a command marker the dialog went to take (VUAMarkerMgr::Take).
enum class VUATakeOutcome
{
    None,          // nothing there, gone meanwhile, or obeyed in place and unchanged since
    Taken,         // removed (a content marker: renamed away, then read)
    ObeyedInPlace, // root's, which this user may not remove: carried out once, left there
    CarriedOut,    // cannot be removed for another reason: carried out, again next poll
    Refused,       // another user's, a second name, or unreadable here: left alone
    NotPlain,      // a content marker that is no plain file (a directory, a FIFO): unread
};

// The one result of a take: the outcome, the errno behind it (0 when none
// failed: a refusal for the file's owner says so in the note), what the
// marker said when it was read, and a note for the log, given only the first
// time a given file is met so that a caller can log it without flooding the
// log.
struct VUATake
{
    VUATakeOutcome outcome = VUATakeOutcome::None;
    int error = 0;
    std::string content;
    std::string note;

    // Whether the command is to be carried out now.
    bool taken() const
    {
        return outcome == VUATakeOutcome::Taken || outcome == VUATakeOutcome::ObeyedInPlace ||
               outcome == VUATakeOutcome::CarriedOut;
    }
};

// A message and the append marker that came before it (TakeMessage).
struct VUAMessageTake
{
    VUATake message;
    VUATake append;
};

// Names, tests, reads, writes and deletes the marker files of one dialog.
// Both sides of the channel use it: the dialog (default constructor, then
// SetSuffix) and the agent or its stand-in (constructed with the suffix).
//
// The marker directory is shared between the root agent and the users'
// dialogs, so every access goes through a VSafeDir of it: by name, never
// through a link, never blocking on a FIFO. What a marker says is believed
// only when its owner is root or the trusted user (SetTrustedOwner; the
// process's own user by default).
class VUAMarkerMgr
{
public:
    VUAMarkerMgr();
    explicit VUAMarkerMgr(const char* suffix);
    explicit VUAMarkerMgr(const std::string& suffix);
    virtual ~VUAMarkerMgr();
    VUAMarkerMgr(VUAMarkerMgr&&) = default;
    VUAMarkerMgr& operator=(VUAMarkerMgr&&) = default;

    void SetupMarkerPaths();
    // Stores the suffix with every byte that is not an ASCII letter or digit
    // replaced by "X" ("a-b.c" -> "aXbXc"); an empty suffix changes nothing.
    void SetSuffix(const std::string& suffix);

    std::string GetPathFromType(VUA_MarkerType type) const;
    std::string GetFilePath(VUA_MarkerType type) const;
    // How log lines name a marker: its prefix and the suffix as it was
    // given, so that the log masks credentials in it as in any other text
    // ("smb://u:pw@h" is logged "smb://u:xxxxxx@h", never as the file
    // name's "smbXXXuXpwXh"). With the directory for LogPath.
    std::string LogName(VUA_MarkerType type) const;
    std::string LogPath(VUA_MarkerType type) const;
    // Whatever `stat` finds at the marker's path: a directory counts, a
    // link counts by what it points to (a dangling link is no marker).
    // Whom a marker belongs to is Take's question, asked without following.
    bool Exists(VUA_MarkerType type) const;
    // A plain file with one name, of root or this dialog's user, found
    // without taking it (the debug marker stays): a link, another user's
    // file or a second name is not.
    bool IsTrustedFile(VUA_MarkerType type) const;

    // Lines without their line feeds; a file ending in a line feed, and an
    // empty file, give a last empty line. Fails when the marker is missing,
    // not a plain file, of an untrusted owner or larger than `maxBytes`; the
    // result says which.
    bool Read(VUA_MarkerType type, std::vector<std::string>& lines) const;
    VResult Read(VUA_MarkerType type, std::vector<std::string>& lines, size_t maxBytes) const;
    // Appends the lines to `text` without separators: "a\nb\n" -> "ab".
    bool Read(VUA_MarkerType type, std::string& text) const;

    // Appends `content` as one line (a line feed is added when missing) to
    // a marker of this process's user, creating it when missing.
    VResult Write(VUA_MarkerType type, const std::string& content) const;
    // Creates the marker when missing; existing content stays.
    bool Write(VUA_MarkerType type) const;
    // Replaces the marker's content with `content` as it stands.
    bool Replace(VUA_MarkerType type, const std::string& content) const;

    // For the agent's side: writes `content` (a line feed added when it is
    // not empty and lacks one) under a random hidden name, gives it to the
    // marker owner (SetMarkerOwner) and renames it into place, so the
    // dialog never finds the marker half written. Replaces an untaken one.
    // `published` as for VSafeDir::Publish.
    VResult Publish(VUA_MarkerType type, const std::string& content, struct stat* published = nullptr) const;
    // lstat of whatever stands at the marker's name, through the held
    // directory: with Publish's `published`, tells whether the file
    // published is still there (same device, inode and owner).
    VResult Stat(VUA_MarkerType type, struct stat* info) const;

    // For the dialog: consumes a command marker written by root or the
    // trusted user. With `maxBytes`, the marker is first renamed to a
    // private name and then read (at most `maxBytes`, into the result's
    // content), so a marker the agent publishes meanwhile stays for the
    // next poll; without (0: a flag), it is removed.
    // A content marker that is no plain file is left in place, unread.
    // A marker of another user is left alone. One of root's that this
    // process may not remove (a sticky directory) is obeyed once, until it
    // changes. One that cannot be removed for any other reason (a
    // read-only file system) is carried out all the same, and again at
    // every poll while it stays.
    // One call per poll and marker: a missing marker costs one stat.
    VUATake Take(VUA_MarkerType type, size_t maxBytes = 0);
    // MESG with the APND the agent creates before it, in one call that
    // looks MESG up once: APND is taken first (an agent waits for MESG to
    // vanish before it creates the next APND, which must then survive until
    // its own MESG), and only when there is a MESG still to carry out (one
    // of root's obeyed in place is not, until the agent replaces it).
    // The message's content is at most kMaxMessageBytes.
    VUAMessageTake TakeMessage();

    VResult Delete(VUA_MarkerType type) const;
    void DeleteAll() const; // every kind but MARKER_DEBUG
    // The answer sweep before a dialog starts: removes every result marker
    // of the suffix (kAnswerMarkers), so that no earlier answer passes for
    // the next one. Returns those still there.
    std::vector<VUAStaleAnswer> DeleteAnswers() const;

    // Who may have written what this side believes (default: this process's
    // user; root always).
    void SetTrustedOwner(uid_t uid) { m_trusted = VOwners::RootOr(uid); }
    // Who owns what Publish and Write create (-1: the creating process).
    void SetMarkerOwner(uid_t uid, gid_t gid);

    // Empty when the dialog can use the directory; else an English sentence
    // that says why not (not there, not writable, names too long).
    std::string CheckUsable() const;

    const std::string& suffix() const { return m_suffix; }
    // The marker directory, opened again when it was replaced.
    const VSafeDir& dir() const;

private:
    struct Identity
    {
        dev_t dev = 0;
        ino_t ino = 0;
        long long mtimeNs = -1;
        bool operator==(const Identity& other) const
        {
            return dev == other.dev && ino == other.ino && mtimeNs == other.mtimeNs;
        }
    };
    static Identity IdentityOf(const struct stat& info);
    static bool IsValidType(VUA_MarkerType type);
    std::string Distrust(const struct stat& info) const;
    void ComposeFilePaths();
    VUATake Take(VUA_MarkerType type, size_t maxBytes, const std::function<bool(const struct stat&)>& ready);
    VUATake Refuse(VUA_MarkerType type, const struct stat& info, const std::string& why);
    VUATake Consumed(VUA_MarkerType type, VRead read, size_t maxBytes) const;
    VUATake Unremovable(VUA_MarkerType type, const struct stat& info, size_t maxBytes, int error);
    VUATake Unread(VUA_MarkerType type, const struct stat& info, int error);

    std::string m_directory;
    std::string m_paths[kMarkerTypeCount];     // directory and prefix
    std::string m_names[kMarkerTypeCount];     // prefix and suffix
    std::string m_filePaths[kMarkerTypeCount]; // directory, prefix and suffix
    std::string m_suffix;
    std::string m_givenSuffix; // before sanitizing, for log lines only
    mutable VSafeDir m_dir;
    VOwners m_trusted;
    uid_t m_markerOwner = static_cast<uid_t>(-1);
    gid_t m_markerGroup = static_cast<gid_t>(-1);
    Identity m_noted[kMarkerTypeCount];  // last file a note was given for
    Identity m_obeyed[kMarkerTypeCount]; // root's markers obeyed in place
};

// The word of a result marker (kAnswerMarkers); null for any other kind.
const char* AnswerWord(VUA_MarkerType type);
// Splits file content as line reads do: "a\nb\n" -> {"a", "b", ""}.
std::vector<std::string> SplitMarkerLines(const std::string& content);
// Joins the lines without separators, as the string Read does:
// "Line one\nLine two\n" -> "Line oneLine two".
std::string JoinMarkerLines(const std::string& content);
std::string JoinMarkerLines(const std::vector<std::string>& lines);
// Content as one line that a marker holds: a line feed added when it is
// not empty and lacks one ("yes" -> "yes\n").
std::string MarkerLine(const std::string& content);
