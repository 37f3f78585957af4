#include "DialogRunner.h"

#include "AnswerReader.h"
#include "DialogSteering.h"
#include "VUAConfig.h"
#include "strutil.h"

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

DialogRunner::DialogRunner(QString program, std::optional<QString> user)
    : m_program(std::move(program)), m_userGiven(std::move(user))
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
    if (m_user) {
        markers.SetMarkerOwner(m_user->uid, m_user->gid);
        markers.SetTrustedOwner(m_user->uid);
    }
    return markers;
}

QJsonObject DialogRunner::run(const QStringList& options, QIODevice* script, QString* error)
{
    if (m_userGiven) {
        // Refused before anything of the user's is touched.
        std::string why;
        const std::string given = m_userGiven->toStdString();
        m_user = vora::launch::Account::resolve(given, &why);
        if (!m_user || !m_user->mayStartAs(given, &why)) {
            *error = QString::fromStdString(why);
            return QJsonObject();
        }
    }
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
    vora::launch::Error startError;
    const std::unique_ptr<vora::launch::DialogLaunch> dialog =
        vora::launch::DialogLaunch::start(requestFor(options), &startError);
    if (!dialog) {
        *error = QString::fromStdString(startError.message);
        return QJsonObject();
    }
    if (script != nullptr && !suffix.empty()) {
        DialogSteering steering(suffix);
        if (m_user) {
            steering.setDialogUser(m_user->uid, m_user->gid);
        }
        if (!steering.runScript(*script, error, [&] { return dialog->running(); })) {
            dialog->stop();
            return QJsonObject();
        }
    }
    const std::chrono::seconds limit = waitLimitFor(options);
    const vora::launch::Ending ending = dialog->wait(limit);
    if (ending.endedByAgent) {
        std::fprintf(stderr,
                     "vora-agent: the dialog (%s) did not end within its wait limit of %lld s (it was %s): "
                     "ended with SIG%s\n",
                     dialog->describe().c_str(), static_cast<long long>(limit.count()),
                     ending.wasStopped ? "stopped" : "running", sigabbrev_np(ending.endSignal));
    }
    return reportFor(suffix, ending, limit);
}

QJsonObject DialogRunner::reportFor(const std::string& suffix, const vora::launch::Ending& ending,
                                    std::chrono::seconds limit) const
{
    // Options that start no dialog leave no answer to look for.
    QJsonObject report = suffix.empty() ? QJsonObject{{"result", QJsonValue::Null},
                                                      {"words", QJsonArray()},
                                                      {"snoozeChoices", QJsonArray()}}
                                        : AnswerReader(markersFor(suffix)).read();
    report["suffix"] = QString::fromStdString(suffix);
    report["crashed"] = !ending.exited;
    report["exitStatus"] = ending.exited ? QJsonValue(ending.exitCode) : QJsonValue::Null;
    report["waitLimitSeconds"] = static_cast<qint64>(limit.count());
    report["endedByAgent"] = describeEnding(ending);
    return report;
}

// The caller's environment, of which the launch passes to another user
// only what it allows.
vora::launch::Request DialogRunner::requestFor(const QStringList& options) const
{
    vora::launch::Request request;
    if (m_user) {
        request.user = m_user->hasAccount ? m_user->name : std::to_string(m_user->uid);
    }
    request.program = QFile::encodeName(m_program).toStdString();
    for (const QString& option : options) {
        request.arguments.push_back(QFile::encodeName(option).toStdString());
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        request.callerEnvironment.emplace_back(*entry);
    }
    request.log = [](const std::string& line) {
        std::fprintf(stderr, "vora-agent: %s\n", line.c_str());
        std::fflush(stderr);
    };
    return request;
}

QJsonValue DialogRunner::describeEnding(const vora::launch::Ending& ending)
{
    if (!ending.endedByAgent) {
        return QJsonValue::Null;
    }
    return QJsonObject{
        {"state", ending.wasStopped ? "stopped" : "running"},
        {"signal", QStringLiteral("SIG") + QString::fromLatin1(sigabbrev_np(ending.endSignal))}};
}
