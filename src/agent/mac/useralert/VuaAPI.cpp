#include "VuaAPI.h"

#include "VUAOptions.h"
#include "VuaAPIOpaque.h"

#include "util.h"

#include <QCoreApplication>

#include <sstream>
#include <thread>

namespace {

constexpr uint32_t kAllCategories = LOG_CATEGORIES;

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

// Invalid UTF-8 becomes U+FFFD, so the valid part of a text still shows.
QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Stream extraction of a 32-bit integer: leading blanks skipped, sign and
// digits read, the rest ignored; out of range gives the nearest limit.
//   "45\n" -> 45; "abc" -> 0; "" or "  " -> -1; "99999999999" -> 2147483647
int ParseTimeout(const std::string& text)
{
    if (text.find_first_not_of(" \t\n\v\f\r") == std::string::npos) {
        return -1;
    }
    std::istringstream in(text);
    int32_t seconds = 0;
    in >> seconds;
    return seconds;
}

} // namespace

VuaAPI::VuaAPI()
{
    setupDefaultState();
    m_cpp = std::make_unique<VuaAPIOpaque>();
}

VuaAPI::~VuaAPI()
{
    LogMsgEx(&m_cpp->log, LOG_DETAIL, 0, "-[VuaAPI dealloc]", "VUserAlert END");
}

void VuaAPI::setupDefaultState()
{
    m_cpp.reset();
    m_defaultButton = 0;
    m_multiMessages.clear();
    m_name.clear();
    m_message.clear();
    m_title.clear();
    m_okBtn = false;
    m_yesNoBtn = false;
    m_cancelBtn = false;
    m_snoozeBtn = false;
    m_noButtons = false;
    m_fade = false;
    m_multiMessageMode = false;
    m_multiIsPreinstall = false;
    m_multiSnoozeMessageMode = false;
    m_timeout = 0;
    m_debugLevel = 0;
    m_appPath.clear();
    m_snoozePath.clear();
}

int VuaAPI::setup()
{
    return setup(QCoreApplication::arguments());
}

int VuaAPI::setup(const QStringList& arguments)
{
    static const char* const kFunction = "-[VuaAPI setup]";
    setupLogging(arguments);
    setupConfig();

    const int result = parseCommandLine(arguments);
    switch (result) {
    case kParseSuccess:
        break;
    case kParseInvalidCombination:
        LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, kFunction,
                 "VUserAlert:  Invalid combination of parameters.");
        return result;
    case kParseUnknownParameter: {
        const QString usage = buildUsageString(qtTrId("ERROR_UNKNOWNPARAMETER"));
        LogMsgEx(&m_cpp->log, LOG_DEBUG, 0, kFunction, "VUserAlert:  %s", Utf8(usage).c_str());
        return result;
    }
    case kParseUsageRequested:
    case kParseMissingParameters:
        return result;
    default:
        LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, kFunction, "VUserAlert:  Unknown error.");
        return result;
    }

    VUAMarkerMgr& markers = m_cpp->markerMgr;
    // Tested before the suffix is set: the file is plain "WORKCELL_DEBUG".
    if (m_debugLevel == 0 && markers.Exists(MARKER_DEBUG)) {
        m_debugLevel = 1;
    }
    const VUAConfig& config = m_cpp->config;
    if (!config.suffix.empty()) {
        markers.SetSuffix(config.suffix);
        LogMsgEx(&m_cpp->log, LOG_DEBUG | LOG_FILE, 0, kFunction, "VUserAlert, suffix provided, set as %s",
                 config.suffix.c_str());
    } else {
        markers.SetSuffix(config.name);
        LogMsgEx(&m_cpp->log, LOG_DEBUG | LOG_FILE, 0, kFunction, "VUserAlert, no suffix, set with name %s",
                 config.name.c_str());
    }

    const UniqueCString dataPath(GetAppDataPath());
    m_appPath = FromUtf8(dataPath ? dataPath.get() : "");
    m_snoozePath = FromUtf8(markers.GetFilePath(MARKER_SNOOZE));
    for (const VUA_MarkerType stale : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
        markers.Delete(stale);
    }
    return kParseSuccess;
}

void VuaAPI::setupLogging(const QStringList& arguments)
{
    static const char* const kFunction = "-[VuaAPI setupLogging:]";
    std::string called;
    for (const QString& argument : arguments) {
        called += Utf8(argument);
        called += ' ';
    }
    LogInitEx(&m_cpp->log, nullptr, "VUserAlert", true, kAllCategories);
    LogMsgEx(&m_cpp->log, LOG_DEBUG, 0, kFunction, "VUserAlert ------------------------ START");
    LogMsgEx(&m_cpp->log, LOG_DEBUG, 0, kFunction, "VUserAlert     called: %s", called.c_str());
}

void VuaAPI::setupConfig()
{
    AgentConfig& agentConfig = m_cpp->agentConfig;
    if (!agentConfig.Load()) {
        LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, "-[VuaAPI setupConfig]",
                 "VCopy - Main:  Failed to load Agent configuration files");
    }
    if (agentConfig.debug && agentConfig.debugFlags == kAllCategories) {
        return;
    }
    LogInitEx(&m_cpp->log, nullptr, "VUserAlert", agentConfig.debug, agentConfig.debugFlags);
}

int VuaAPI::parseCommandLine(const QStringList& arguments)
{
    std::vector<std::string> args;
    args.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments) {
        args.push_back(Utf8(argument));
    }
    const int result = ParseCommandLineArgs(args, &m_cpp->config);
    if (result != kParseSuccess) {
        return result;
    }
    publish();
    return kParseSuccess;
}

void VuaAPI::publish()
{
    const VUAConfig& config = m_cpp->config;
    for (const MultiMessageChunk& page : config.multiMessages) {
        m_multiMessages.append(MessageChunk(FromUtf8(page.packageName), FromUtf8(page.message), page.chunkId,
                                            static_cast<double>(page.timeOutSecs), page.timedOut));
    }
    m_name = FromUtf8(config.name);
    m_message = FromUtf8(config.message);
    m_title = FromUtf8(config.title);
    m_defaultButton = config.defaultButton;
    m_okBtn = config.okBtn;
    m_yesNoBtn = config.yesNoBtn;
    m_cancelBtn = config.cancelBtn;
    m_snoozeBtn = config.snoozeBtn;
    m_noButtons = config.noButtons;
    m_fade = config.fade;
    m_multiMessageMode = config.multiMessageMode;
    m_multiIsPreinstall = config.multiIsPreinstall;
    m_multiSnoozeMessageMode = config.multiSnoozeMessageMode;
    m_timeout = config.timeout;
    m_debugLevel = config.debugLevel;
}

QString VuaAPI::buildUsageString() const
{
    return buildUsageString(QString());
}

QString VuaAPI::buildUsageString(const QString& prefix) const
{
    return FromUtf8(BuildUsageString(Utf8(prefix)));
}

void VuaAPI::logMessage(const QString& text)
{
    LogMsgEx(&m_cpp->log, LOG_DEBUG, 0, "-[VuaAPI logMessage:]", "%s", Utf8(text).c_str());
}

bool VuaAPI::checkCommand(VUA_MarkerType type)
{
    VUAMarkerMgr& markers = m_cpp->markerMgr;
    if (!markers.Exists(type)) {
        return false;
    }
    markers.Delete(type);
    return true;
}

std::optional<MessageState> VuaAPI::checkMessage()
{
    VUAMarkerMgr& markers = m_cpp->markerMgr;
    if (!markers.Exists(MARKER_MESG)) {
        return std::nullopt;
    }
    const bool append = markers.Exists(MARKER_APND);
    std::string text;
    const bool read = markers.Read(MARKER_MESG, text);
    markers.Delete(MARKER_MESG);
    markers.Delete(MARKER_APND);
    if (!read) {
        return std::nullopt;
    }
    return MessageState(FromUtf8(text), append);
}

int VuaAPI::checkTimeoutCommand()
{
    VUAMarkerMgr& markers = m_cpp->markerMgr;
    if (!markers.Exists(MARKER_SETTIMEOUT)) {
        return -1;
    }
    std::string text;
    if (!markers.Read(MARKER_SETTIMEOUT, text)) {
        return -1; // left in place: tried again at the next poll
    }
    const int seconds = ParseTimeout(text);
    markers.Delete(MARKER_SETTIMEOUT);
    return seconds;
}

// Company "Acme": "VORA Agent" -> "Acme Agent"; a company name holding
// "VORA" is not replaced again.
QString VuaAPI::replaceCompanyName(const QString& text) const
{
    const std::string& company = m_cpp->agentConfig.companyName;
    if (company.empty()) {
        return text;
    }
    QString replaced(text);
    replaced.replace(QStringLiteral("VORA"), FromUtf8(company), Qt::CaseSensitive);
    return replaced;
}

void VuaAPI::teardown(const ExitState& exitState)
{
    // A second close path (say EXIT arriving while the fade-out runs) must
    // not add a second answer.
    if (m_tornDown) {
        return;
    }
    m_tornDown = true;
    writeAnswer(exitState);
    logMessage(QStringLiteral("VUserAlert:  closing, wait 1 sec and delete files"));
    std::this_thread::sleep_for(m_teardownWait);
    VUAMarkerMgr& markers = m_cpp->markerMgr;
    markers.Delete(MARKER_EXIT);
    markers.Delete(MARKER_MESG);
    markers.Delete(MARKER_APND);
}

// The first rule that holds decides; a time-out counts as the default
// button being pressed.
void VuaAPI::writeAnswer(const ExitState& exitState)
{
    const int defaultButton = m_cpp->config.defaultButton;
    const auto timedOutWith = [&](int button) { return exitState.isTimedOut() && defaultButton == button; };
    const VUAMarkerMgr& markers = m_cpp->markerMgr;

    if ((exitState.isYesBtnClicked() && !exitState.isContinueBtnClicked()) ||
        timedOutWith(kDefaultButtonYes)) {
        markers.Write(MARKER_YES, "yes");
    } else if (exitState.isCancelBtnClicked() || timedOutWith(kDefaultButtonCancel)) {
        markers.Write(MARKER_CANCEL, "cancel");
    } else if (exitState.isSnoozeBtnClicked() || timedOutWith(kDefaultButtonSnooze)) {
        markers.Write(MARKER_SNOOZE, "snooze");
    } else if (exitState.isContinueBtnClicked() || timedOutWith(kDefaultButtonContinue)) {
        markers.Write(MARKER_CONTINUE, "continue");
    }
}
