#include "VUAMarkerMgr.h"

#include "strutil.h"
#include "util.h"

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kPrefixes[kMarkerTypeCount] = {
    "",         kMESG_FILE,   kAPND_FILE, kSHOWOK_FILE, kPROGON_FILE,   kPROGOFF_FILE, kTIMEOUT_FILE,
    kEXIT_FILE, kSNOOZE_FILE, kYES_FILE,  kCANCEL_FILE, kCONTINUE_FILE, kFINISH_FILE,  kWORKCELL_DEBUG_FILE,
};

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

VUAMarkerMgr::VUAMarkerMgr()
{
    SetupMarkerPaths();
}

VUAMarkerMgr::VUAMarkerMgr(const char* suffix)
{
    if (suffix != nullptr) {
        SetSuffix(suffix);
    }
    SetupMarkerPaths();
}

VUAMarkerMgr::VUAMarkerMgr(const std::string& suffix)
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
    const std::string base = directory ? directory.get() : "";
    for (int type = MARKER_MESG; type < kMarkerTypeCount; ++type) {
        m_paths[type] = base + kPrefixes[type];
    }
    ComposeFilePaths();
}

void VUAMarkerMgr::SetSuffix(const std::string& suffix)
{
    if (!suffix.empty()) {
        m_suffix = sanitizeFilename(suffix);
        ComposeFilePaths();
    }
}

// The dialog tests seven markers every 50 ms: their names are put together
// once, not on every test.
void VUAMarkerMgr::ComposeFilePaths()
{
    for (int type = MARKER_MESG; type < kMarkerTypeCount; ++type) {
        m_filePaths[type] = m_paths[type] + m_suffix;
    }
}

bool VUAMarkerMgr::IsValidType(VUA_MarkerType type)
{
    return type > MARKER_NONE && type < kMarkerTypeCount;
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

bool VUAMarkerMgr::Exists(VUA_MarkerType type) const
{
    return IsValidType(type) && FileExists(m_filePaths[type].c_str());
}

bool VUAMarkerMgr::Read(VUA_MarkerType type, std::vector<std::string>& lines) const
{
    lines.clear();
    const std::string path = GetPathFromType(type);
    if (path.empty() || IsDirectory(path)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return false;
    }
    std::string line;
    do {
        std::getline(in, line);
        lines.push_back(line);
    } while (in.good());
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

bool VUAMarkerMgr::Write(VUA_MarkerType type, const std::string& content) const
{
    const std::string path = GetPathFromType(type);
    if (path.empty()) {
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out.is_open()) {
        return false;
    }
    if (!content.empty()) {
        out << content;
        if (content.back() != '\n') {
            out << '\n';
        }
    }
    // The answer is only useful if it reached the file: a full disk must not
    // look like a written answer.
    out.close();
    return !out.fail();
}

bool VUAMarkerMgr::Write(VUA_MarkerType type) const
{
    const std::string path = GetPathFromType(type);
    if (!path.empty() && !FileExists(path.c_str())) {
        std::ofstream create(path, std::ios::binary | std::ios::app);
    }
    return true;
}

bool VUAMarkerMgr::Publish(VUA_MarkerType type, const std::string& content) const
{
    const std::string path = GetPathFromType(type);
    if (path.empty()) {
        return false;
    }
    // ".VUSERALERT_MESG.<suffix>.tmp<pid>" matches no marker name.
    const size_t slash = path.find_last_of('/');
    const std::string temporary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".tmp" +
                                  std::to_string(static_cast<long>(::getpid()));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            return false;
        }
        out << content;
        if (content.empty() || content.back() != '\n') {
            out << '\n';
        }
        out.close();
        if (out.fail()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void VUAMarkerMgr::Delete(VUA_MarkerType type) const
{
    const std::string path = GetPathFromType(type);
    if (!path.empty() && FileExists(path.c_str())) {
        std::remove(path.c_str());
    }
}

void VUAMarkerMgr::DeleteAll() const
{
    for (int type = MARKER_MESG; type <= MARKER_FINISH; ++type) {
        Delete(static_cast<VUA_MarkerType>(type));
    }
}
