#pragma once

#include <cstdint>
#include <map>
#include <string>

struct LogStruct;

// Typed settings of the agent's "arn.conf", a file of name=value lines:
//
//   # comment (first byte ";" or "#")
//   host=server.example.net
//   splashtext=first line
//   second line              <- no "=": continues the value ("first line\r\nsecond line")
//
// Lines are read in pieces of at most 1023 bytes; names are exact and
// case-sensitive, at most 63 characters (a longer name is logged and its
// entry dropped); the first occurrence of a name wins. Entries are applied in
// ascending byte order of their names, so "d" comes before "debug".
class AgentConfig
{
public:
    AgentConfig();
    virtual ~AgentConfig();

    bool Load();
    bool LoadFile(const std::string& path, std::map<std::string, std::string>& values);
    bool OverrideNameValue(const std::string& name, const std::string& value);
    void Reset();

    static bool IsNumber(const std::string& text);
    static bool ConvertToBool(const std::string& text);

    std::string host;
    uint32_t tolvaPort;
    std::string webUrl;
    uint16_t webPort;
    bool sslRequired;
    bool verifySsl;
    std::string serverVersion;
    std::string companyName;
    std::string splashText;
    bool serverCompress;
    uint32_t processTimeout;
    std::string fileTimeout;
    uint32_t maxDownloadSpeed;
    bool debug;
    uint32_t debugFlags;
    bool launchMenu;
    bool webPortIs443;
    std::string caCertPath;
    std::string proxy;
    uint16_t proxyPort;
    bool disableBootupSplash;
    bool disableLoginSplash;
    bool disableWaitForBootupTasks;
    bool disableWaitForLoginTasks;
    std::string splashBitmap;
    std::string dataPath;
    std::string userDataPath;
    std::string installPath;
    std::string systemFilePath;
    std::string vuidFilePath;
    LogStruct* log = nullptr;

private:
    void ApplyDebugValue(const std::string& value);
    bool ApplyString(const std::string& name, const std::string& value);
    bool ApplyBool(const std::string& name, const std::string& value);
    bool ApplyNumber(const std::string& name, const std::string& value);
};

inline constexpr const char* kDefaultServerHost = "vora.orvel.net";
inline constexpr size_t kMaxConfigNameLength = 63;
inline constexpr uint32_t kDefaultProcessTimeout = 3600000;
inline constexpr uint32_t kMinProcessTimeout = 900000;
inline constexpr uint32_t kMaxProcessTimeout = 86400000;
