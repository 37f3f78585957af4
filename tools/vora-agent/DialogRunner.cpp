#include "DialogRunner.h"

#include "AnswerReader.h"
#include "DialogSteering.h"
#include "VUAConfig.h"
#include "strutil.h"
#include "vora/alert.h"

#include <QFile>
#include <QJsonArray>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const QStringList kEncodedOptions = {QStringLiteral("-name"), QStringLiteral("-message"),
                                     QStringLiteral("-title"), QStringLiteral("-multimessage"),
                                     QStringLiteral("-multisnoozemessage")};

// The options as the dialog parses them; nullopt when they start no dialog.
std::optional<VUAConfig> Parse(const QStringList& options)
{
    std::vector<std::string> args{"VUserAlert"};
    for (const QString& option : options) {
        args.push_back(option.toStdString());
    }
    if (args.size() == 2 && args[1] == "-vcrash") {
        return std::nullopt;
    }
    VUAConfig config;
    if (ParseCommandLineArgs(args, &config) != 0) {
        return std::nullopt;
    }
    return config;
}

} // namespace

DialogRunner::DialogRunner(QString program, std::optional<UserLaunch> launch)
    : m_program(std::move(program)), m_launch(std::move(launch))
{
}

std::string DialogRunner::suffixFor(const QStringList& options)
{
    const std::optional<VUAConfig> config = Parse(options);
    return config ? sanitizeFilename(config->suffix) : std::string();
}

std::chrono::seconds DialogRunner::waitLimitFor(const QStringList& options)
{
    const std::optional<VUAConfig> config = Parse(options);
    const bool pages = config && (config->multiMessageMode || config->multiSnoozeMessageMode);
    const bool timed = config && !pages && config->timeout >= 1;
    return (timed ? std::chrono::seconds(config->timeout) : kLongestDialog) + kGrace;
}

QString DialogRunner::encode(const QString& value)
{
    return QStringLiteral("!ENC!") + QString::fromLatin1(value.toUtf8().toBase64()) + QStringLiteral("!ENC!");
}

// "-message=Hello" -> "-message=!ENC!SGVsbG8=!ENC!"
QStringList DialogRunner::encodeValues(const QStringList& options)
{
    QStringList encoded;
    for (const QString& option : options) {
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        QString name = option.left(equals).toLower();
        if (name.startsWith(QLatin1Char('/'))) {
            name[0] = QLatin1Char('-');
        }
        if (equals > 0 && kEncodedOptions.contains(name)) {
            encoded.append(option.left(equals + 1) + encode(option.mid(equals + 1)));
        } else {
            encoded.append(option);
        }
    }
    return encoded;
}

// The agent's side of one dialog's markers: what it creates belongs to the
// dialog's user (who must be able to remove it), and answers are believed
// from that user or root only.
VUAMarkerMgr DialogRunner::markersFor(const std::string& suffix) const
{
    VUAMarkerMgr markers(suffix);
    if (m_launch) {
        markers.SetMarkerOwner(m_launch->user().uid(), m_launch->user().gid());
        markers.SetTrustedOwner(m_launch->user().uid());
    }
    return markers;
}

QJsonObject DialogRunner::run(const QStringList& options, QIODevice* script, QString* error)
{
    const std::string suffix = suffixFor(options);
    if (!suffix.empty()) {
        // An earlier answer of this suffix, maybe another user's that the
        // dialog may not remove, must not pass for this dialog's.
        const VUAMarkerMgr markers = markersFor(suffix);
        for (const VUAStaleAnswer& stale : markers.DeleteAnswers()) {
            std::fprintf(stderr, "vora-agent: cannot clear the earlier answer %s: %s\n",
                         markers.GetFilePath(stale.type).c_str(), std::strerror(stale.error));
        }
    }
    std::string startError;
    const std::unique_ptr<ChildProcess> dialog = ChildProcess::start(planFor(options), &startError);
    if (!dialog) {
        *error = QString::fromStdString(startError);
        return QJsonObject();
    }
    if (script != nullptr && !suffix.empty()) {
        DialogSteering steering(suffix);
        if (m_launch && !steering.setDialogUser(m_launch->user().uid(), error)) {
            dialog->stop();
            return QJsonObject();
        }
        if (!steering.runScript(*script, error, [&] { return dialog->running(); })) {
            dialog->stop();
            return QJsonObject();
        }
    }
    const std::chrono::seconds limit = waitLimitFor(options);
    const ChildProcess::Ending ending = dialog->wait(limit);
    if (ending.endedByAgent) {
        std::fprintf(
            stderr,
            "vora-agent: the dialog (pid %d) did not end within its wait limit of %lld s (it was %s): "
            "ended with SIG%s\n",
            static_cast<int>(dialog->pid()), static_cast<long long>(limit.count()),
            ending.wasStopped ? "stopped" : "running", sigabbrev_np(ending.endSignal));
    }
    return reportFor(suffix, ending, limit);
}

QJsonObject DialogRunner::reportFor(const std::string& suffix, const ChildProcess::Ending& ending,
                                    std::chrono::seconds limit) const
{
    // Options that start no dialog leave no answer to look for.
    QJsonObject report = suffix.empty() ? QJsonObject{{"result", QJsonValue::Null},
                                                      {"words", QJsonArray()},
                                                      {"snoozeChoices", QJsonArray()}}
                                        : answerFor(suffix);
    report["suffix"] = QString::fromStdString(suffix);
    report["crashed"] = !ending.exited;
    report["exitStatus"] = ending.exited ? QJsonValue(ending.exitCode) : QJsonValue::Null;
    report["waitLimitSeconds"] = static_cast<qint64>(limit.count());
    report["endedByAgent"] = describeEnding(ending);
    return report;
}

// Read through the library, believed from the dialog's user or root.
QJsonObject DialogRunner::answerFor(const std::string& suffix) const
{
    const std::string user = m_launch ? std::to_string(m_launch->user().uid()) : std::string();
    vora_alert* alert = nullptr;
    if (vora_alert_open(suffix.c_str(), user.empty() ? nullptr : user.c_str(), &alert) != 0) {
        std::fprintf(stderr, "vora-agent: cannot read the answer: %s\n", vora_alert_last_error());
        return QJsonObject{
            {"result", QJsonValue::Null}, {"words", QJsonArray()}, {"snoozeChoices", QJsonArray()}};
    }
    const QJsonObject answer = AnswerReader(alert).read();
    vora_alert_free(alert);
    return answer;
}

// The caller's environment and working directory, or the user's (UserLaunch).
ChildProcess::Plan DialogRunner::planFor(const QStringList& options) const
{
    ChildProcess::Plan plan;
    plan.program = QFile::encodeName(m_program).toStdString();
    for (const QString& option : options) {
        plan.arguments.push_back(QFile::encodeName(option).toStdString());
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        plan.environment.emplace_back(*entry);
    }
    if (m_launch) {
        m_launch->apply(&plan);
    }
    return plan;
}

QJsonValue DialogRunner::describeEnding(const ChildProcess::Ending& ending)
{
    if (!ending.endedByAgent) {
        return QJsonValue::Null;
    }
    return QJsonObject{
        {"state", ending.wasStopped ? "stopped" : "running"},
        {"signal", QStringLiteral("SIG") + QString::fromLatin1(sigabbrev_np(ending.endSignal))}};
}
