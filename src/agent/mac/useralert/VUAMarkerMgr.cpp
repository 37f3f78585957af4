#include "VUAMarkerMgr.h"

#include "strutil.h"
#include "util.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kPrefixes[kMarkerTypeCount] = {
    "",         kMESG_FILE,   kAPND_FILE, kSHOWOK_FILE, kPROGON_FILE,   kPROGOFF_FILE, kTIMEOUT_FILE,
    kEXIT_FILE, kSNOOZE_FILE, kYES_FILE,  kCANCEL_FILE, kCONTINUE_FILE, kFINISH_FILE,  kWORKCELL_DEBUG_FILE,
};

// Larger than any message the agent sends (a message of 10 MB must still
// arrive); a file beyond it is not read whole.
constexpr size_t kMaxMarkerBytes = 16 * 1024 * 1024;
constexpr mode_t kMarkerMode = 0644;

bool IsPermissionError(int error)
{
    return error == EPERM || error == EACCES;
}

std::string OwnerText(const struct stat& info)
{
    return "uid " + std::to_string(static_cast<unsigned long>(info.st_uid));
}

} // namespace

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

// By path, not through the held directory: a marker directory removed and
// made again while the dialog runs is seen at once, and the poll's seven
// tests cost one lstat each.
bool VUAMarkerMgr::Exists(VUA_MarkerType type) const
{
    struct stat info;
    return IsValidType(type) && ::lstat(m_filePaths[type].c_str(), &info) == 0;
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
    return Read(type, lines, kMaxMarkerBytes, nullptr);
}

bool VUAMarkerMgr::Read(VUA_MarkerType type, std::vector<std::string>& lines, size_t maxBytes,
                        VFileStatus* status) const
{
    lines.clear();
    VFileStatus result = VFileStatus::Missing;
    std::string content;
    if (IsValidType(type)) {
        result = dir().ReadFile(m_names[type], m_trusted, maxBytes, &content);
    }
    if (status != nullptr) {
        *status = result;
    }
    if (result != VFileStatus::Ok) {
        return false;
    }
    lines = SplitMarkerLines(content);
    return true;
}

bool VUAMarkerMgr::Read(VUA_MarkerType type, std::string& text) const
{
    std::vector<std::string> lines;
    if (!Read(type, lines)) {
        return false;
    }
    for (const std::string& line : lines) {
        text += line;
    }
    return true;
}

VResult VUAMarkerMgr::Write(VUA_MarkerType type, const std::string& content) const
{
    if (!IsValidType(type)) {
        return VResult::Failed(EINVAL);
    }
    VFileStatus status = VFileStatus::Failed;
    ScopedFd file = dir().OpenAppend(m_names[type], kMarkerMode, VOwners::RootOr(::geteuid()), &status);
    if (!file.valid()) {
        const bool refused = status == VFileStatus::NotRegular || status == VFileStatus::ForeignOwner;
        return VResult::Failed(refused ? EPERM : file.error());
    }
    std::string line = content;
    if (!line.empty() && line.back() != '\n') {
        line += '\n';
    }
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
    VFileStatus status = VFileStatus::Failed;
    ScopedFd file = dir().OpenAppend(m_names[type], kMarkerMode, VOwners::RootOr(::geteuid()), &status);
    if (!file.valid() || ::ftruncate(file.get(), 0) != 0) {
        return false;
    }
    const VResult written = WriteAll(file.get(), content.data(), content.size());
    return file.close() && written;
}

bool VUAMarkerMgr::Publish(VUA_MarkerType type, const std::string& content) const
{
    if (!IsValidType(type)) {
        return false;
    }
    std::string text = content;
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return static_cast<bool>(dir().Publish(m_names[type], text, kMarkerMode, m_markerOwner, m_markerGroup));
}

VUATake VUAMarkerMgr::Refuse(VUA_MarkerType type, const struct stat& info, const std::string& why)
{
    VUATake refused;
    const Identity identity = IdentityOf(info);
    if (!(m_noted[type] == identity)) {
        m_noted[type] = identity;
        refused.note = "ignoring marker " + m_names[type] + ": it " + why;
    }
    return refused;
}

// Root's marker in a directory where this user may remove only its own
// files: carried out once, then ignored until the agent replaces it.
VUATake VUAMarkerMgr::TakeInPlace(VUA_MarkerType type, const struct stat& info, std::string* content,
                                  size_t maxBytes)
{
    const Identity identity = IdentityOf(info);
    if (m_obeyed[type] == identity) {
        return VUATake{};
    }
    if (content != nullptr) {
        struct stat opened;
        VFileStatus status = VFileStatus::Failed;
        const ScopedFd file = m_dir.OpenRegular(m_names[type], O_RDONLY, m_trusted, &opened, &status);
        if (!file.valid() || !(IdentityOf(opened) == identity) ||
            ReadAll(file.get(), maxBytes, content) == VFileStatus::Failed) {
            return VUATake{};
        }
    }
    m_obeyed[type] = identity;
    VUATake taken;
    taken.taken = true;
    taken.note = "marker " + m_names[type] + " of " + OwnerText(info) +
                 " cannot be removed by this user: carried out once and left in place";
    return taken;
}

VUATake VUAMarkerMgr::TakeByRename(VUA_MarkerType type, std::string* content, size_t maxBytes)
{
    const std::string taken = VSafeDir::RandomName(".vua-taken-");
    if (!m_dir.Rename(m_names[type], taken)) {
        return VUATake{};
    }
    struct stat info;
    VFileStatus status = VFileStatus::Failed;
    {
        const ScopedFd file = m_dir.OpenRegular(taken, O_RDONLY, m_trusted, &info, &status);
        if (file.valid()) {
            status = ReadAll(file.get(), maxBytes, content);
        }
    }
    m_dir.Remove(taken);
    VUATake result;
    result.taken = status == VFileStatus::Ok || status == VFileStatus::TooLarge;
    if (status == VFileStatus::TooLarge) {
        result.note = "marker " + m_names[type] + " is longer than " + std::to_string(maxBytes) +
                      " bytes: only its beginning was read";
    } else if (!result.taken) {
        result.note = "marker " + m_names[type] + " " + VFileStatusText(status) + ": dropped unread";
    }
    return result;
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

bool VUAMarkerMgr::IsTrusted(VUA_MarkerType type, std::string* note)
{
    struct stat info;
    if (!IsValidType(type) || !dir().Stat(m_names[type], &info)) {
        return false;
    }
    const std::string why = Distrust(info);
    if (!why.empty()) {
        *note = Refuse(type, info, why).note;
        return false;
    }
    return true;
}

VUATake VUAMarkerMgr::Take(VUA_MarkerType type, std::string* content, size_t maxBytes)
{
    // dir() checks that the held directory is still the marker directory;
    // the rest of this take uses it as it is.
    struct stat info;
    if (!IsValidType(type) || !dir().Stat(m_names[type], &info)) {
        return VUATake{};
    }
    const std::string why = Distrust(info);
    if (!why.empty()) {
        return Refuse(type, info, why);
    }
    if (content == nullptr) {
        const VResult removed = m_dir.Remove(m_names[type]);
        if (removed) {
            VUATake taken;
            taken.taken = true;
            return taken;
        }
        return IsPermissionError(removed.error) ? TakeInPlace(type, info, nullptr, 0) : VUATake{};
    }
    content->clear();
    if (!S_ISREG(info.st_mode)) {
        VUATake refused = Refuse(type, info, VFileStatusText(VFileStatus::NotRegular));
        refused.unreadable = true;
        return refused;
    }
    VUATake result = TakeByRename(type, content, maxBytes == 0 ? kMaxMarkerBytes : maxBytes);
    if (!result.taken && result.note.empty() && IsPermissionError(errno)) {
        return TakeInPlace(type, info, content, maxBytes == 0 ? kMaxMarkerBytes : maxBytes);
    }
    return result;
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
        return "marker names for suffix " + m_suffix + " are up to " + std::to_string(longest) +
               " bytes long, more than the file system allows (" + std::to_string(nameMax) +
               "): the dialog can take no command and leave no answer";
    }
    return std::string();
}
