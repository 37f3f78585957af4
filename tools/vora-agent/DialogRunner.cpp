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

#include <memory>
#include <vector>

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

namespace {

struct AlertFree
{
    void operator()(vora_alert* alert) const { vora_alert_free(alert); }
};

} // namespace

QJsonObject DialogRunner::run(const QStringList& options, QIODevice* script, QString* error)
{
    std::vector<std::string> arguments;
    for (const QString& option : options) {
        arguments.push_back(QFile::encodeName(option).toStdString());
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    const std::string program = QFile::encodeName(m_program).toStdString();
    const std::string user = m_userGiven ? m_userGiven->toStdString() : std::string();
    vora_alert* started = nullptr;
    // The caller's environment: the launch passes to another user only
    // what it allows.
    if (vora_alert_start(m_userGiven ? user.c_str() : nullptr, program.c_str(), argv.data(), nullptr, 2,
                         &started) != 0) {
        *error = QString::fromUtf8(vora_alert_last_error());
        return QJsonObject();
    }
    const std::unique_ptr<vora_alert, AlertFree> alert(started);
    if (script != nullptr && *vora_alert_get_suffix(alert.get()) != '\0') {
        DialogSteering steering(alert.get());
        if (!steering.runScript(*script, error, [&] { return vora_alert_running(alert.get()) == 1; })) {
            vora_alert_stop(alert.get(), nullptr);
            return QJsonObject();
        }
    }
    vora_alert_ending ending = {};
    if (vora_alert_wait(alert.get(), VORA_ALERT_DIALOG_LIMIT, &ending) != 0) {
        *error = QString::fromUtf8(vora_alert_last_error());
        return QJsonObject();
    }
    return reportFor(alert.get(), ending);
}

QJsonObject DialogRunner::reportFor(vora_alert* alert, const vora_alert_ending& ending) const
{
    const std::string suffix = vora_alert_get_suffix(alert);
    // Options that start no dialog leave no answer to look for.
    QJsonObject report = suffix.empty() ? QJsonObject{{"result", QJsonValue::Null},
                                                      {"words", QJsonArray()},
                                                      {"snoozeChoices", QJsonArray()}}
                                        : AnswerReader(alert).read();
    report["suffix"] = QString::fromStdString(suffix);
    report["crashed"] = ending.exited == 0;
    report["exitStatus"] = ending.exited != 0 ? QJsonValue(ending.exit_code) : QJsonValue::Null;
    report["waitLimitSeconds"] = static_cast<qint64>(vora_alert_get_wait_limit(alert));
    report["endedByAgent"] = describeEnding(ending);
    return report;
}

QJsonValue DialogRunner::describeEnding(const vora_alert_ending& ending)
{
    if (ending.ended_by_agent == 0) {
        return QJsonValue::Null;
    }
    return QJsonObject{
        {"state", ending.was_stopped != 0 ? "stopped" : "running"},
        {"signal", QStringLiteral("SIG") + QString::fromLatin1(sigabbrev_np(ending.end_signal))}};
}
