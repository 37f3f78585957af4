#pragma once

#include "ExitState.h"
#include "MessageChunk.h"
#include "MessageState.h"
#include "VUAMarkerTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct VuaAPIOpaque;

// The dialog's one way to everything that is not window work: launch
// options, the agent log and configuration, and the marker channel. Below
// it text is UTF-8 std::string; above it, QString.
class VuaAPI final
{
public:
    VuaAPI();
    ~VuaAPI();
    VuaAPI(const VuaAPI&) = delete;
    VuaAPI& operator=(const VuaAPI&) = delete;

    // Set-up from the process arguments (program path first); returns a
    // VUAParseResult. The arguments are taken as the bytes the agent passed:
    // the suffix digest of a name that is not UTF-8 is that of its bytes.
    int setup();
    int setupRaw(const std::vector<std::string>& arguments);
    int setup(const QStringList& arguments);
    // Writes at most one answer marker, waits, then deletes EXIT, MESG and
    // APND. Runs once; later calls do nothing.
    void teardown(const ExitState& exitState);

    QString buildUsageString() const;
    QString buildUsageString(const QString& prefix) const;
    int parseCommandLine(const QStringList& arguments);
    int parseCommandLine(const std::vector<std::string>& arguments);
    void logMessage(const QString& text);
    // A line for the administrator: to the log file and standard output.
    void logError(const std::string& text);
    // Ends the dialog without an answer (a signal, a lost display): one line
    // through the log, nothing written for the agent.
    void logTermination(const std::string& reason);
    bool checkCommand(VUA_MarkerType type);
    std::optional<MessageState> checkMessage();
    int checkTimeoutCommand();
    QString replaceCompanyName(const QString& text) const;
    void setupLogging(const std::vector<std::string>& arguments);
    // Replaces the snooze-choices file's content (a multi-page dialog).
    bool writeSnoozeChoices(const QByteArray& choices);
    void setupConfig();

    // How long teardown waits before it deletes the command markers.
    void setTeardownWait(std::chrono::milliseconds wait) { m_teardownWait = wait; }

    VuaAPIOpaque* cpp() const { return m_cpp.get(); }
    int defaultButton() const { return m_defaultButton; }
    QList<MessageChunk>& multiMessages() { return m_multiMessages; }
    const QList<MessageChunk>& multiMessages() const { return m_multiMessages; }
    const QString& name() const { return m_name; }
    const QString& message() const { return m_message; }
    const QString& title() const { return m_title; }
    bool isOkBtn() const { return m_okBtn; }
    bool isYesNoBtn() const { return m_yesNoBtn; }
    bool isCancelBtn() const { return m_cancelBtn; }
    bool isSnoozeBtn() const { return m_snoozeBtn; }
    bool isNoButtons() const { return m_noButtons; }
    bool isFade() const { return m_fade; }
    bool isMultiMessageMode() const { return m_multiMessageMode; }
    bool isMultiIsPreinstall() const { return m_multiIsPreinstall; }
    bool isMultiSnoozeMessageMode() const { return m_multiSnoozeMessageMode; }
    int timeout() const { return m_timeout; }
    int debugLevel() const { return m_debugLevel; }
    const QString& appPath() const { return m_appPath; }
    const QString& snoozePath() const { return m_snoozePath; }

private:
    void setupDefaultState();
    void publish();
    void writeAnswer(const ExitState& exitState);
    void noteMarker(const std::string& note);

    std::unique_ptr<VuaAPIOpaque> m_cpp;
    int m_defaultButton = 0;
    QList<MessageChunk> m_multiMessages;
    QString m_name;
    QString m_message;
    QString m_title;
    bool m_okBtn = false;
    bool m_yesNoBtn = false;
    bool m_cancelBtn = false;
    bool m_snoozeBtn = false;
    bool m_noButtons = false;
    bool m_fade = false;
    bool m_multiMessageMode = false;
    bool m_multiIsPreinstall = false;
    bool m_multiSnoozeMessageMode = false;
    int m_timeout = 0;
    int m_debugLevel = 0;
    QString m_appPath;
    QString m_snoozePath;
    bool m_tornDown = false;
    std::chrono::milliseconds m_teardownWait{1000};
};
