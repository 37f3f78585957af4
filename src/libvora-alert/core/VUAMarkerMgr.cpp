#include "VUAMarkerMgr.h"

#include "strutil.h"
#include "util.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kPrefixes[kMarkerTypeCount] = {
    "",         kMESG_FILE,   kAPND_FILE, kSHOWOK_FILE, kPROGON_FILE,   kPROGOFF_FILE, kTIMEOUT_FILE,
    kEXIT_FILE, kSNOOZE_FILE, kYES_FILE,  kCANCEL_FILE, kCONTINUE_FILE, kFINISH_FILE,  kWORKCELL_DEBUG_FILE,
};

bool IsPermissionError(int error)
{
    return error == EPERM || error == EACCES;
}

std::string OwnerText(const struct stat& info)
{
    return "uid " + std::to_string(static_cast<unsigned long>(info.st_uid));
}

std::string ModeText(const struct stat& info)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return text;
}

// A file of an earlier version (0644) that is written again gets the
// marker mode too.
void NarrowMode(int file, const struct stat& info)
{
    if ((info.st_mode & 07777) != kMarkerMode) {
        ::fchmod(file, kMarkerMode);
    }
}

} // namespace

const char* AnswerWord(VUA_MarkerType type)
{
    for (const VUAAnswerMarker& answer : kAnswerMarkers) {
        if (answer.type == type) {
            return answer.word;
        }
    }
    return nullptr;
}

std::vector<std::string> SplitMarkerLines(const std::string& content)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (;;) {
        const size_t end = content.find('\n', begin);
        if (end == std::string::npos) {
            lines.push_back(content.substr(begin));
            return lines;
        }
        lines.push_back(content.substr(begin, end - begin));
        begin = end + 1;
    }
}

std::string JoinMarkerLines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
    }
    return joined;
}

std::string JoinMarkerLines(const std::string& content)
{
    return JoinMarkerLines(SplitMarkerLines(content));
}

std::string MarkerLine(const std::string& content)
{
    if (content.empty() || content.back() == '\n') {
        return content;
    }
    return content + '\n';
}

VUAMarkerMgr::VUAMarkerMgr() : m_trusted(VOwners::RootOr(::geteuid()))
{
    SetupMarkerPaths();
}

VUAMarkerMgr::VUAMarkerMgr(const char* suffix) : m_trusted(VOwners::RootOr(::geteuid()))
{
    if (suffix != nullptr) {
        SetSuffix(suffix);
    }
    SetupMarkerPaths();
}

VUAMarkerMgr::VUAMarkerMgr(const std::string& suffix) : m_trusted(VOwners::RootOr(::geteuid()))
{
    if (!suffix.empty()) {
        SetSuffix(suffix);
    }
    SetupMarkerPaths();
}

VUAMarkerMgr::~VUAMarkerMgr() = default;

void VUAMarkerMgr::SetupMarkerPaths()
{
    const UniqueCString directory(GetUserDataPath());
    m_directory = directory ? directory.get() : "";
    for (int type = MARKER_MESG; type < kMarkerTypeCount; ++type) {
        m_paths[type] = m_directory + kPrefixes[type];
    }
    m_dir = VSafeDir(m_directory);
    ComposeFilePaths();
}

void VUAMarkerMgr::SetSuffix(const std::string& suffix)
{
    if (!suffix.empty()) {
        m_suffix = sanitizeFilename(suffix);
        m_givenSuffix = suffix;
        ComposeFilePaths();
    }
}

void VUAMarkerMgr::SetMarkerOwner(uid_t uid, gid_t gid)
{
    m_markerOwner = uid;
    m_markerGroup = gid;
}

// The dialog tests seven markers every 50 ms: their names are put together
// once, not on every test.
void VUAMarkerMgr::ComposeFilePaths()
{
    for (int type = MARKER_MESG; type < kMarkerTypeCount; ++type) {
        m_names[type] = std::string(kPrefixes[type]) + m_suffix;
        m_filePaths[type] = m_paths[type] + m_suffix;
    }
}

bool VUAMarkerMgr::IsValidType(VUA_MarkerType type)
{
    return type > MARKER_NONE && type < kMarkerTypeCount;
}

VUAMarkerMgr::Identity VUAMarkerMgr::IdentityOf(const struct stat& info)
{
    return Identity{info.st_dev, info.st_ino,
                    static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

std::string VUAMarkerMgr::GetPathFromType(VUA_MarkerType type) const
{
    if (!IsValidType(type)) {
        return std::string();
    }
    return m_filePaths[type];
}

std::string VUAMarkerMgr::GetFilePath(VUA_MarkerType type) const
{
    return GetPathFromType(type);
}

std::string VUAMarkerMgr::LogName(VUA_MarkerType type) const
{
    if (!IsValidType(type)) {
        return std::string();
    }
    return kPrefixes[type] + (type == MARKER_DEBUG ? std::string() : m_givenSuffix);
}

std::string VUAMarkerMgr::LogPath(VUA_MarkerType type) const
{
    return IsValidType(type) ? m_directory + LogName(type) : std::string();
}

// By path, not through the held directory: a marker directory removed and
// made again while the dialog runs is seen at once, and the poll's seven
// tests cost one stat each.
bool VUAMarkerMgr::Exists(VUA_MarkerType type) const
{
    struct stat info;
    return IsValidType(type) && ::stat(m_filePaths[type].c_str(), &info) == 0;
}

// The directory as it is now: the held descriptor is opened again when the
// directory it names was removed or replaced since.
const VSafeDir& VUAMarkerMgr::dir() const
{
    if (!m_dir.IsCurrent()) {
        m_dir = VSafeDir(m_directory);
    }
    return m_dir;
}

bool VUAMarkerMgr::Read(VUA_MarkerType type, std::vector<std::string>& lines) const
{
    return static_cast<bool>(Read(type, lines, kMaxMessageBytes));
}

VResult VUAMarkerMgr::Read(VUA_MarkerType type, std::vector<std::string>& lines, size_t maxBytes) const
{
    lines.clear();
    if (!IsValidType(type)) {
        return VResult::Failed(ENOENT, VResult::Kind::Missing);
    }
    const VRead read = dir().ReadFile(m_names[type], m_trusted, maxBytes);
    if (read.result) {
        lines = SplitMarkerLines(read.content);
    }
    return read.result;
}

bool VUAMarkerMgr::Read(VUA_MarkerType type, std::string& text) const
{
    std::vector<std::string> lines;
    if (!Read(type, lines)) {
        return false;
    }
    text += JoinMarkerLines(lines);
    return true;
}

VResult VUAMarkerMgr::Write(VUA_MarkerType type, const std::string& content) const
{
    if (!IsValidType(type)) {
        return VResult::Failed(EINVAL);
    }
    struct stat info;
    ScopedFd file = dir().OpenAppend(m_names[type], kMarkerMode, VOwners::RootOr(::geteuid()), &info);
    if (!file.valid()) {
        const VResult::Kind kind = file.result().kind;
        const bool refused = kind == VResult::Kind::NotRegular || kind == VResult::Kind::ForeignOwner;
        return refused ? VResult::Failed(EPERM, kind) : file.result();
    }
    NarrowMode(file.get(), info);
    const std::string line = MarkerLine(content);
    // The answer is only useful if it reached the file: a full disk must not
    // look like a written answer.
    const VResult written = WriteAll(file.get(), line.data(), line.size());
    const VResult closed = file.close();
    return written ? closed : written;
}

bool VUAMarkerMgr::Write(VUA_MarkerType type) const
{
    if (IsValidType(type)) {
        dir().CreateExclusive(m_names[type], kMarkerMode);
    }
    return true;
}

bool VUAMarkerMgr::Replace(VUA_MarkerType type, const std::string& content) const
{
    if (!IsValidType(type)) {
        return false;
    }
    struct stat info;
    ScopedFd file = dir().OpenAppend(m_names[type], kMarkerMode, VOwners::RootOr(::geteuid()), &info);
    if (!file.valid() || ::ftruncate(file.get(), 0) != 0) {
        return false;
    }
    NarrowMode(file.get(), info);
    const VResult written = WriteAll(file.get(), content.data(), content.size());
    return file.close() && written;
}

VResult VUAMarkerMgr::Publish(VUA_MarkerType type, const std::string& content, struct stat* published) const
{
    if (!IsValidType(type)) {
        return VResult::Failed(EINVAL);
    }
    return dir().Publish(m_names[type], MarkerLine(content), kMarkerMode, m_markerOwner, m_markerGroup,
                         published);
}

VResult VUAMarkerMgr::Stat(VUA_MarkerType type, struct stat* info) const
{
    if (!IsValidType(type)) {
        return VResult::Failed(EINVAL);
    }
    return dir().Stat(m_names[type], info);
}

VUATake VUAMarkerMgr::Refuse(VUA_MarkerType type, const struct stat& info, const std::string& why)
{
    VUATake refused;
    refused.outcome = VUATakeOutcome::Refused;
    const Identity identity = IdentityOf(info);
    if (!(m_noted[type] == identity)) {
        m_noted[type] = identity;
        refused.note = "ignoring marker " + LogName(type) + ": it " + why;
    }
    return refused;
}

VUATake VUAMarkerMgr::Unread(VUA_MarkerType type, const struct stat& info, int error)
{
    VUATake refused = Refuse(type, info,
                             "cannot be read by this user (" + OwnerText(info) + ", mode " + ModeText(info) +
                                 ": " + std::strerror(error) + ")");
    refused.error = error;
    return refused;
}

// The marker is gone from its name: a flag is taken; a content marker is
// taken when what was renamed away could be read, else dropped unread.
VUATake VUAMarkerMgr::Consumed(VUA_MarkerType type, VRead read, size_t maxBytes) const
{
    VUATake result;
    const VResult::Kind kind = read.result.kind;
    const bool taken = maxBytes == 0 || kind == VResult::Kind::Ok || kind == VResult::Kind::TooLarge;
    result.outcome = taken ? VUATakeOutcome::Taken : VUATakeOutcome::Refused;
    result.error = taken ? 0 : read.result.error;
    result.content = std::move(read.content);
    if (maxBytes != 0 && kind == VResult::Kind::TooLarge) {
        result.note = "marker " + LogName(type) + " is longer than " + std::to_string(maxBytes) +
                      " bytes: only its beginning was read";
    } else if (!taken) {
        result.note = "marker " + LogName(type) + " " + read.result.text() + ": dropped unread";
    }
    return result;
}

// A marker that cannot be removed. Root's, in a directory where this user
// may remove only its own files (a permission error): carried out once,
// then ignored until the agent replaces it. For another reason (a read-only
// or failing file system): carried out all the same, and again at the next
// poll that finds it, said once per file. A content marker is read where it
// stands, provided it is still the file found: one changed or gone
// meanwhile is the next poll's.
VUATake VUAMarkerMgr::Unremovable(VUA_MarkerType type, const struct stat& info, size_t maxBytes, int error)
{
    const bool inPlace = IsPermissionError(error);
    const Identity identity = IdentityOf(info);
    if (inPlace && m_obeyed[type] == identity) {
        return VUATake{};
    }
    VUATake taken;
    if (maxBytes != 0) {
        VRead read = m_dir.ReadFile(m_names[type], m_trusted, maxBytes);
        const bool opened = read.info.st_ino != 0;
        if (read.result.kind == VResult::Kind::Missing || (opened && !(IdentityOf(read.info) == identity))) {
            return VUATake{};
        }
        if (!read.result && read.result.kind != VResult::Kind::TooLarge) {
            return Unread(type, info, read.result.error);
        }
        taken.content = std::move(read.content);
    }
    if (inPlace) {
        m_obeyed[type] = identity;
        taken.outcome = VUATakeOutcome::ObeyedInPlace;
        taken.note = "marker " + LogName(type) + " of " + OwnerText(info) +
                     " cannot be removed by this user: carried out once and left in place";
        return taken;
    }
    taken.outcome = VUATakeOutcome::CarriedOut;
    taken.error = error;
    if (!(m_noted[type] == identity)) {
        m_noted[type] = identity;
        taken.note = "cannot remove marker " + LogName(type) + " (" + std::strerror(error) +
                     "): carried out, and again at every poll while it stays";
    }
    return taken;
}

// Why a marker found is not to be believed, or nothing: another owner, or
// a second name of someone's file (a hard link to a root-owned file has
// root as its owner).
std::string VUAMarkerMgr::Distrust(const struct stat& info) const
{
    if (!m_trusted.trusts(info.st_uid)) {
        return "belongs to " + OwnerText(info) + ", not to root or this dialog's user";
    }
    if (S_ISREG(info.st_mode) && info.st_nlink != 1) {
        return "is a second name of another file (a hard link)";
    }
    return std::string();
}

bool VUAMarkerMgr::IsTrustedFile(VUA_MarkerType type) const
{
    struct stat info;
    return IsValidType(type) && dir().Stat(m_names[type], &info) && S_ISREG(info.st_mode) &&
           Distrust(info).empty();
}

VUATake VUAMarkerMgr::Take(VUA_MarkerType type, size_t maxBytes)
{
    return Take(type, maxBytes, nullptr);
}

// MESG is looked up once, by the take that consumes it; APND is taken from
// inside it, once MESG is known to be one to carry out and before it is
// renamed away.
VUAMessageTake VUAMarkerMgr::TakeMessage()
{
    VUAMessageTake taken;
    taken.message = Take(MARKER_MESG, kMaxMessageBytes, [&](const struct stat& found) {
        if (m_obeyed[MARKER_MESG] == IdentityOf(found)) {
            return false;
        }
        taken.append = Take(MARKER_APND);
        return true;
    });
    return taken;
}

// By path first, as Exists: a marker directory removed and made again
// while the dialog runs is seen at once, and the poll's tests of missing
// markers cost one stat each. Then one take through the held directory,
// which finds the marker without following a link and consumes it.
VUATake VUAMarkerMgr::Take(VUA_MarkerType type, size_t maxBytes,
                           const std::function<bool(const struct stat&)>& ready)
{
    struct stat byPath;
    if (!IsValidType(type) || ::stat(m_filePaths[type].c_str(), &byPath) != 0) {
        return VUATake{};
    }
    VTake take = dir().Take(m_names[type], m_trusted, maxBytes, ready);
    const struct stat& found = take.read.info;
    if (take.removed) {
        return Consumed(type, std::move(take.read), maxBytes);
    }
    const VResult::Kind kind = take.read.result.kind;
    if (kind == VResult::Kind::ForeignOwner || kind == VResult::Kind::NotRegular) {
        if (const std::string why = Distrust(found); !why.empty()) {
            return Refuse(type, found, why);
        }
        VUATake refused = Refuse(type, found, take.read.result.text());
        refused.outcome = VUATakeOutcome::NotPlain;
        return refused;
    }
    if (!take.read.result || take.removed.error == ENOENT) {
        return VUATake{}; // missing, declined, or gone meanwhile
    }
    return Unremovable(type, found, maxBytes, take.removed.error);
}

VResult VUAMarkerMgr::Delete(VUA_MarkerType type) const
{
    return IsValidType(type) ? dir().Remove(m_names[type]) : VResult::Failed(EINVAL);
}

void VUAMarkerMgr::DeleteAll() const
{
    for (int type = MARKER_MESG; type <= MARKER_FINISH; ++type) {
        Delete(static_cast<VUA_MarkerType>(type));
    }
}

std::vector<VUAStaleAnswer> VUAMarkerMgr::DeleteAnswers() const
{
    std::vector<VUAStaleAnswer> stale;
    for (const VUAAnswerMarker& answer : kAnswerMarkers) {
        const VResult removed = dir().Remove(m_names[answer.type]);
        if (removed) {
            continue;
        }
        const int error = removed.error;
        struct stat info;
        if (m_dir.Stat(m_names[answer.type], &info)) {
            stale.push_back(VUAStaleAnswer{answer.type, error});
        }
    }
    return stale;
}

std::string VUAMarkerMgr::CheckUsable() const
{
    const VSafeDir& directory = dir();
    if (!directory.valid()) {
        return "the marker directory " + m_directory + " cannot be opened (" +
               std::strerror(directory.openError()) + "): the dialog can take no command and leave no answer";
    }
    if (!directory.CanWrite()) {
        return "the marker directory " + m_directory + " is not writable for uid " +
               std::to_string(static_cast<unsigned long>(::geteuid())) +
               ": the dialog can leave no answer (see the deployment guide for its owner and mode)";
    }
    const long nameMax = directory.MaxNameLength();
    const size_t longest = m_names[MARKER_SETTIMEOUT].size();
    if (nameMax > 0 && longest > static_cast<size_t>(nameMax)) {
        return "marker names for suffix " + m_givenSuffix + " are up to " + std::to_string(longest) +
               " bytes long, more than the file system allows (" + std::to_string(nameMax) +
               "): the dialog can take no command and leave no answer";
    }
    return std::string();
}
