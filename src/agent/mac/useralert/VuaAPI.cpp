#include "VuaAPI.h"

#include "VUAOptions.h"
#include "VuaAPIOpaque.h"

#include "ProcessArguments.h"
#include "util.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

constexpr uint32_t kAllCategories = LOG_CATEGORIES;

std::vector<std::string> Utf8List(const QStringList& arguments)
{
    std::vector<std::string> list;
    list.reserve(static_cast<size_t>(arguments.size()));
    for (const QString& argument : arguments) {
        list.push_back(argument.toStdString());
    }
    return list;
}

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
    const std::vector<std::string>& raw = ProcessArguments();
    return raw.empty() ? setup(QCoreApplication::arguments()) : setupRaw(raw);
}

int VuaAPI::setup(const QStringList& arguments)
{
    return setupRaw(Utf8List(arguments));
}

int VuaAPI::setupRaw(const std::vector<std::string>& arguments)
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
        LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, kFunction, "VUserAlert:  %s",
                 m_cpp->config.clash.c_str());
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
    if (m_debugLevel == 0 && markers.IsTrustedFile(MARKER_DEBUG)) {
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
    for (const VUAStaleAnswer& stale : markers.DeleteAnswers()) {
        logError("VUserAlert:  cannot remove the earlier answer " + markers.LogPath(stale.type) + " (" +
                 std::strerror(stale.error) + "): the agent may read it as this dialog's answer");
    }
    const std::string unusable = markers.CheckUsable();
    if (!unusable.empty()) {
        logError("VUserAlert:  " + unusable);
    }
    return kParseSuccess;
}

void VuaAPI::setupLogging(const std::vector<std::string>& arguments)
{
    static const char* const kFunction = "-[VuaAPI setupLogging:]";
    std::string called;
    for (const std::string& argument : arguments) {
        called += argument;
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
    return parseCommandLine(Utf8List(arguments));
}

int VuaAPI::parseCommandLine(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
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

void VuaAPI::logError(const std::string& text)
{
    LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, "-[VuaAPI logMessage:]", "%s", text.c_str());
}

void VuaAPI::logTermination(const std::string& reason)
{
    if (!m_cpp->log.ready) {
        LogInitEx(&m_cpp->log, nullptr, "VUserAlert", true, kAllCategories);
    }
    LogMsgEx(&m_cpp->log, LOG_FILE | LOG_CONSOLE, 0, "-[VuaAPI dealloc]",
             "VUserAlert:  %s; the dialog ends with status 0 and leaves no answer", reason.c_str());
}

void VuaAPI::noteMarker(const std::string& note)
{
    if (!note.empty()) {
        logError("VUserAlert:  " + note);
    }
}

// The marker is consumed before the caller carries the command out.
bool VuaAPI::checkCommand(VUA_MarkerType type)
{
    const VUATake take = m_cpp->markerMgr.Take(type);
    noteMarker(take.note);
    return take.taken();
}

// MESG is taken by renaming it away first, so a MESG published after that
// moment stays for the next poll instead of being deleted unread; the APND
// that came before it is taken with it (VUAMarkerMgr::TakeMessage).
std::optional<MessageState> VuaAPI::checkMessage()
{
    VUAMarkerMgr& markers = m_cpp->markerMgr;
    const VUAMessageTake take = markers.TakeMessage();
    noteMarker(take.append.note);
    noteMarker(take.message.note);
    if (take.message.outcome == VUATakeOutcome::NotPlain) {
        markers.Delete(MARKER_MESG); // the update is lost, as with any unreadable message
    }
    if (!take.message.taken()) {
        return std::nullopt;
    }
    return MessageState(FromUtf8(JoinMarkerLines(take.message.content)), take.append.taken());
}

int VuaAPI::checkTimeoutCommand()
{
    const VUATake take = m_cpp->markerMgr.Take(MARKER_SETTIMEOUT, kMaxTimeoutBytes);
    noteMarker(take.note);
    if (!take.taken()) {
        return -1; // one that cannot be read stays: tried again at the next poll
    }
    return ParseTimeout(JoinMarkerLines(take.content));
}

bool VuaAPI::writeSnoozeChoices(const QByteArray& choices)
{
    const VUAMarkerMgr& markers = m_cpp->markerMgr;
    return markers.Replace(MARKER_SNOOZE,
                           std::string(choices.constData(), static_cast<size_t>(choices.size())));
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

    VUA_MarkerType type = MARKER_NONE;
    if ((exitState.isYesBtnClicked() && !exitState.isContinueBtnClicked()) ||
        timedOutWith(kDefaultButtonYes)) {
        type = MARKER_YES;
    } else if (exitState.isCancelBtnClicked() || timedOutWith(kDefaultButtonCancel)) {
        type = MARKER_CANCEL;
    } else if (exitState.isSnoozeBtnClicked() || timedOutWith(kDefaultButtonSnooze)) {
        type = MARKER_SNOOZE;
    } else if (exitState.isContinueBtnClicked() || timedOutWith(kDefaultButtonContinue)) {
        type = MARKER_CONTINUE;
    }
    const char* word = AnswerWord(type);
    if (word == nullptr) {
        return;
    }
    const VUAMarkerMgr& markers = m_cpp->markerMgr;
    const VResult written = markers.Write(type, word);
    if (!written) {
        const int error = written.error;
        const std::string lost = std::string("the answer \"") + word + "\" is lost: cannot write " +
                                 markers.LogPath(type) + " (" + std::strerror(error) + ")";
        logError("VUserAlert:  ERROR " + lost);
        std::fprintf(stderr, "%s", ScrubSMBPasswords("VUserAlert: " + lost + "\n").c_str());
    }
}
