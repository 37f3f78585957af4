#include "AgentConfig.h"

#include "strutil.h"
#include "util.h"
#include "vlog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kPieceBuffer = 1024;
constexpr const char* kValueBlanks = " \t\r\n";
constexpr const char* kContinuation = "\r\n";

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

std::string ToLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool Contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

uint16_t Low16(const std::string& value)
{
    return static_cast<uint16_t>(static_cast<uint32_t>(ParseLeadingInt(value)) & 0xffffu);
}

std::string PathOrEmpty(char* path)
{
    const UniqueCString owned(path);
    return owned ? std::string(owned.get()) : std::string();
}

// Turns the pieces of a configuration file into name/value entries. An entry
// collects its continuation lines and is stored when the next entry starts
// or the file ends, so the continuations of a dropped entry (empty or too
// long a name, or a repeated one) are dropped with it.
class ConfigLineParser final
{
public:
    ConfigLineParser(std::map<std::string, std::string>& values, LogStruct* log)
        : m_values(values), m_log(log)
    {
    }

    void feed(const char* piece)
    {
        size_t length = std::strlen(piece);
        if (length >= 2 && piece[length - 2] == '\r') {
            length -= 2;
        } else if (length >= 1 && piece[length - 1] == '\n') {
            length -= 1;
        }
        std::string line(piece, length);
        if (!line.empty() && (line[0] == ';' || line[0] == '#')) {
            return;
        }
        if (!m_seenContent) {
            m_seenContent = true;
            StripByteOrderMark(line);
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            if (m_inEntry) {
                m_value += kContinuation;
                m_value += line;
            }
            return;
        }
        finish();
        m_name = line.substr(0, equals);
        m_value = line.substr(equals + 1);
        m_inEntry = true;
    }

    void finish()
    {
        if (!m_inEntry) {
            return;
        }
        m_inEntry = false;
        if (m_name.empty()) {
            return;
        }
        if (m_name.size() > kMaxConfigNameLength) {
            LogMsgEx(m_log, LOG_FILE, 0, "LoadFile",
                     "AgentConfig::LoadFile - Name longer than %zu characters ignored: '%.63s...'",
                     kMaxConfigNameLength, m_name.c_str());
            return;
        }
        m_values.emplace(std::move(m_name), std::move(m_value));
    }

private:
    static void StripByteOrderMark(std::string& line)
    {
        if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3);
        } else if (line.compare(0, 2, "\xFF\xFE") == 0 || line.compare(0, 2, "\xFE\xFF") == 0) {
            line.erase(0, 2);
        }
    }

    std::map<std::string, std::string>& m_values;
    LogStruct* m_log;
    std::string m_name;
    std::string m_value;
    bool m_inEntry = false;
    bool m_seenContent = false;
};

} // namespace

AgentConfig::AgentConfig()
{
    Reset();
}

AgentConfig::~AgentConfig() = default;

void AgentConfig::Reset()
{
    host = kDefaultServerHost;
    tolvaPort = 443;
    webUrl.clear();
    webPort = 443;
    sslRequired = false;
    verifySsl = false;
    serverVersion.clear();
    companyName.clear();
    splashText.clear();
    serverCompress = true;
    processTimeout = kDefaultProcessTimeout;
    fileTimeout.clear();
    maxDownloadSpeed = 0;
    debug = true;
    debugFlags = 0;
    launchMenu = false;
    webPortIs443 = true;
    proxy.clear();
    proxyPort = 3128;
    disableBootupSplash = false;
    disableLoginSplash = false;
    disableWaitForBootupTasks = false;
    disableWaitForLoginTasks = false;
    splashBitmap.clear();
    dataPath = PathOrEmpty(GetAppDataPath());
    userDataPath = PathOrEmpty(GetUserDataPath());
    installPath = PathOrEmpty(GetInstalledPath(false));
    caCertPath = dataPath + "cacert.pem";
    systemFilePath = dataPath + "arn.conf";
    vuidFilePath = dataPath + "vuid.txt";
}

bool AgentConfig::Load()
{
    if (!FileExists(systemFilePath.c_str())) {
        const int error = errno;
        LogMsgEx(log, LOG_FILE | LOG_CONSOLE, 0, "Load",
                 "AgentConfig::LoadSystemFile - arn.conf file does not exist: '%s' (%d): %s",
                 systemFilePath.c_str(), error, std::strerror(error));
        return false;
    }
    std::map<std::string, std::string> values;
    if (!LoadFile(systemFilePath, values)) {
        LogMsgEx(log, LOG_FILE | LOG_CONSOLE, 0, "Load",
                 "AgentConfig::LoadSystemFile - Error loading conf file: '%s'", systemFilePath.c_str());
        return false;
    }
    for (const auto& entry : values) {
        OverrideNameValue(entry.first, entry.second);
    }
    return true;
}

bool AgentConfig::LoadFile(const std::string& path, std::map<std::string, std::string>& values)
{
    values.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    bool opened = fd >= 0 && ::fstat(fd, &info) == 0;
    if (opened && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        opened = false;
    }
    std::unique_ptr<FILE, FileCloser> file(opened ? ::fdopen(fd, "rb") : nullptr);
    if (!file) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        LogMsgEx(log, LOG_FILE, 0, "LoadFile",
                 "AgentConfig::LoadFile - Error opening conf file: '%s' (%d): %s", path.c_str(), error,
                 std::strerror(error));
        return false;
    }

    ConfigLineParser parser(values, log);
    char piece[kPieceBuffer];
    while (std::fgets(piece, sizeof piece, file.get()) != nullptr) {
        parser.feed(piece);
    }
    parser.finish();
    return true;
}

bool AgentConfig::OverrideNameValue(const std::string& name, const std::string& rawValue)
{
    if (name.empty()) {
        LogMsgEx(log, LOG_FILE | LOG_CONSOLE, 0, "OverrideNameValue",
                 "AgentConfig::OverrideNameValue - Invalid empty name");
        return false;
    }
    const std::string value = trim_both(rawValue, kValueBlanks);
    if (name == "d" || name == "debug") {
        ApplyDebugValue(value);
        return true;
    }
    if (ApplyString(name, value) || ApplyBool(name, value) || ApplyNumber(name, value)) {
        return true;
    }
    LogMsgEx(log, LOG_FILE | LOG_CONSOLE, 0, "OverrideNameValue",
             "AgentConfig::OverrideNameValue - Invalid input name: %s", name.c_str());
    return false;
}

bool AgentConfig::ApplyString(const std::string& name, const std::string& value)
{
    const std::pair<const char*, std::string*> fields[] = {
        {"h", &host},
        {"host", &host},
        {"serverversion", &serverVersion},
        {"companyname", &companyName},
        {"splashtext", &splashText},
        {"filetimeout", &fileTimeout},
        {"weburl", &webUrl},
        {"proxy", &proxy},
        {"splashbitmap", &splashBitmap},
    };
    for (const auto& field : fields) {
        if (name == field.first) {
            *field.second = value;
            return true;
        }
    }
    return false;
}

bool AgentConfig::ApplyBool(const std::string& name, const std::string& value)
{
    const bool on = ConvertToBool(value);
    if (name == "sslrequired") {
        // Once verification is on, an "sslrequired" of false cannot undo it.
        if (on || !verifySsl) {
            sslRequired = on;
        }
        return true;
    }
    if (name == "verifyssl") {
        verifySsl = on;
        if (on) {
            sslRequired = true;
        }
        return true;
    }
    const std::pair<const char*, bool*> fields[] = {
        {"servercompress", &serverCompress},
        {"launchmenu", &launchMenu},
        {"disablebootupsplash", &disableBootupSplash},
        {"disableloginsplash", &disableLoginSplash},
        {"disablewaitforbootuptasks", &disableWaitForBootupTasks},
        {"disablewaitforlogintasks", &disableWaitForLoginTasks},
    };
    for (const auto& field : fields) {
        if (name == field.first) {
            *field.second = on;
            return true;
        }
    }
    return false;
}

bool AgentConfig::ApplyNumber(const std::string& name, const std::string& value)
{
    if (name == "processtimeout") {
        unsigned long long timeout = kDefaultProcessTimeout;
        if (IsNumber(value)) {
            timeout = std::strtoull(value.c_str(), nullptr, 10);
        }
        if (timeout < kMinProcessTimeout) {
            timeout = kMinProcessTimeout;
        } else if (timeout > kMaxProcessTimeout) {
            timeout = kMaxProcessTimeout;
        }
        processTimeout = static_cast<uint32_t>(timeout);
        return true;
    }
    if (name == "webport") {
        if (!value.empty()) {
            webPort = Low16(value);
        }
        webPortIs443 = webPort == 443;
        return true;
    }
    if (name == "tolvaport" || name == "proxy-port" || name == "maxDownloadSpeed") {
        if (value.empty()) {
            return true;
        }
        if (name == "tolvaport") {
            tolvaPort = Low16(value);
        } else if (name == "proxy-port") {
            proxyPort = Low16(value);
        } else {
            maxDownloadSpeed = static_cast<uint32_t>(ParseLeadingInt(value));
        }
        return true;
    }
    return false;
}

// "debug=events payload" -> debug on, flags 0x04 | 0x20 | 0x40 = 0x64.
// Values containing "no" or "false" (also "none") change nothing; bits are
// only ever added.
void AgentConfig::ApplyDebugValue(const std::string& value)
{
    const std::string lower = ToLower(value);
    if (lower.empty() || Contains(lower, "no") || Contains(lower, "false")) {
        return;
    }
    debug = true;
    debugFlags |= LOG_DEBUG;
    const std::pair<const char*, uint32_t> words[] = {
        {"detail", 0x14}, {"events", 0x20}, {"payload", 0x40}, {"all", 0x70}};
    for (const auto& word : words) {
        if (Contains(lower, word.first)) {
            debugFlags |= word.second;
        }
    }
}

bool AgentConfig::IsNumber(const std::string& text)
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool AgentConfig::ConvertToBool(const std::string& text)
{
    const std::string lower = ToLower(text);
    return lower == "yes" || lower == "true";
}
