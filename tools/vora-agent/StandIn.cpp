#include "StandIn.h"

#include "Account.h"
#include "AnswerReader.h"
#include "DialogRunner.h"
#include "DialogSteering.h"
#include "HelperConsole.h"
#include "HelperService.h"
#include "JsonText.h"
#include "LayoutPreparer.h"
#include "NotifyCenter.h"
#include "TerminationSignals.h"
#include "VoraDBusNames.h"
#include "VoraLayout.h"
#include "util.h"
#include "vora/alert.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

void Print(const QString& text, FILE* stream = stdout)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(text));
    std::fflush(stream);
}

int Fail(const QString& message)
{
    Print(QStringLiteral("vora-agent: ") + message, stderr);
    return 2;
}

// "--script FILE" (or "-" for standard input) anywhere before "--".
bool TakeOption(QStringList& options, const QString& name, QString* value)
{
    const qsizetype at = options.indexOf(name);
    if (at < 0 || at + 1 >= options.size()) {
        return false;
    }
    *value = options.at(at + 1);
    options.remove(at, 2);
    return true;
}

bool TakeFlag(QStringList& options, const QString& name)
{
    return options.removeAll(name) > 0;
}

QStringList AfterSeparator(QStringList& options)
{
    const qsizetype separator = options.indexOf(QStringLiteral("--"));
    if (separator < 0) {
        return {};
    }
    QStringList rest = options.mid(separator + 1);
    options = options.mid(0, separator);
    return rest;
}

bool OpenScript(const QString& path, QFile& file)
{
    if (path == QLatin1String("-")) {
        return file.open(stdin, QIODevice::ReadOnly);
    }
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace

StandIn::StandIn(QStringList arguments) : m_arguments(std::move(arguments)) {}

QString StandIn::usage()
{
    return QStringLiteral(
               "usage: vora-agent COMMAND ...\n"
               "\n"
               "  dialog [--encode] [--script FILE|-] [--program PATH] [--user NAME|UID]\n"
               "         -- VUSERALERT-OPTIONS...\n"
               "      start a dialog, steer it with the script while it runs, wait for its end\n"
               "      and print the answer as JSON; its output goes to standard error, nothing\n"
               "      else of ours is open in it; one still there 15 s after its -timeout (no\n"
               "      -timeout, or pages: after a day), counted from the start or the script's\n"
               "      end, is ended (SIGTERM, SIGKILL) and \"endedByAgent\" says so\n"
               "      --user: run it as that user (root only, unless it is the caller): as root,\n"
               "      a unit of the user's own service manager with its environment (the output\n"
               "      then goes to the user's journal); where the user has no running manager\n"
               "      (standard error says so), the agent starts it itself in a scope of the\n"
               "      user's slice, with its groups (a UID without an account: gid 65534), umask\n"
               "      022, directory /, HOME, USER, LOGNAME, PATH=/usr/local/bin:/usr/bin:/bin\n"
               "      and the display of its graphical session from logind; either way, of the\n"
               "      caller's environment only LANG, LANGUAGE, LC_*, VORA_AGENT_ROOT,\n"
               "      VEJBINSTANCE and QT_QPA_PLATFORM\n"
               "  steer --suffix SUFFIX COMMAND [ARGUMENT]\n"
               "  steer --suffix SUFFIX --script FILE|-\n"
               "      steer a running dialog: message TEXT, append TEXT, showok, progon,\n"
               "      progoff, finish, timeout SECONDS, exit; in scripts also wait MS, await\n"
               "  steer --user NAME|UID ...\n"
               "      as root: create the markers for that user, so the dialog can remove them\n"
               "  answer --suffix SUFFIX [--user NAME|UID] [--wait SECONDS]\n"
               "      print as JSON the answer a dialog left, trusting the user's files (default:\n"
               "      the caller's); with --wait, wait that long for one: an agent that restarts\n"
               "      while its dialog is open reads the answer of it so\n"
               "  prepare                           create the agent data layout with its owners\n"
               "      and modes (as root; marker directory %1, VAgent.log %2)\n"
               "  suffix -- VUSERALERT-OPTIONS...   print the suffix the dialog will use\n"
               "  encode TEXT...                    print each text as an !ENC! value\n"
               "  helper [--connected] [--no-authorization]\n"
               "      run the helper service on the system bus; RestartAgent and RunInventory\n"
               "      need polkit's consent (refused: AccessDenied) unless --no-authorization\n"
               "      (test rigs only); standard input takes: connected true|false, delay MS,\n"
               "      post restart|inventory|NAME, crash, quit\n"
               "  post NAME|restart|inventory       post an agent notification (observers obey\n"
               "      only the helper's own postings: use the helper's \"post\" for those)\n"
               "  write-config KEY=VALUE...         write arn.conf into the agent data directory\n"
               "\n"
               "VORA_AGENT_ROOT and VEJBINSTANCE choose the agent directories, as for the programs.\n"
               "VUSERALERT names the dialog program (default: VUserAlert beside vora-agent).")
        .arg(kMarkerDirectoryMode, 4, 8, QLatin1Char('0'))
        .arg(kSharedLogMode, 4, 8, QLatin1Char('0'));
}

int StandIn::run()
{
    if (m_arguments.size() < 2 || m_arguments.contains(QStringLiteral("--help")) ||
        m_arguments.at(1) == QLatin1String("-h")) {
        Print(usage());
        return m_arguments.size() < 2 ? 2 : 0;
    }
    const QString command = m_arguments.at(1);
    QStringList rest = m_arguments.mid(2);
    if (command == QLatin1String("dialog")) {
        return dialog(rest);
    }
    if (command == QLatin1String("steer")) {
        return steer(rest);
    }
    if (command == QLatin1String("answer")) {
        return answer(rest);
    }
    if (command == QLatin1String("helper")) {
        return helper(rest);
    }
    if (command == QLatin1String("write-config")) {
        return writeConfig(rest);
    }
    if (command == QLatin1String("post")) {
        return post(rest);
    }
    if (command == QLatin1String("suffix")) {
        return suffix(rest);
    }
    if (command == QLatin1String("encode")) {
        return encode(rest);
    }
    if (command == QLatin1String("prepare")) {
        return prepare();
    }
    return Fail(QStringLiteral("unknown command ") + command + QStringLiteral(" (see --help)"));
}

QString StandIn::userAlertProgram() const
{
    const QByteArray configured = qgetenv("VUSERALERT");
    if (!configured.isEmpty()) {
        return QString::fromLocal8Bit(configured);
    }
    return QFileInfo(QCoreApplication::applicationFilePath()).dir().filePath(QStringLiteral("VUserAlert"));
}

int StandIn::dialog(QStringList options)
{
    QStringList dialogOptions = AfterSeparator(options);
    QString scriptPath;
    QString program = userAlertProgram();
    QString user;
    const bool hasScript = TakeOption(options, QStringLiteral("--script"), &scriptPath);
    TakeOption(options, QStringLiteral("--program"), &program);
    const bool asUser = TakeOption(options, QStringLiteral("--user"), &user);
    if (TakeFlag(options, QStringLiteral("--encode"))) {
        dialogOptions = DialogRunner::encodeValues(dialogOptions);
    }
    if (!options.isEmpty()) {
        return Fail(QStringLiteral("unknown dialog option ") + options.first());
    }
    QFile script;
    if (hasScript && !OpenScript(scriptPath, script)) {
        return Fail(QStringLiteral("cannot read script ") + scriptPath);
    }
    QString error;
    const QJsonObject report = DialogRunner(program, asUser ? std::optional<QString>(user) : std::nullopt)
                                   .run(dialogOptions, hasScript ? &script : nullptr, &error);
    if (!error.isEmpty()) {
        return Fail(error);
    }
    Print(QString::fromUtf8(JsonText(QJsonDocument(report))).trimmed());
    return 0;
}

int StandIn::steer(QStringList options)
{
    QString suffix;
    if (!TakeOption(options, QStringLiteral("--suffix"), &suffix)) {
        return Fail(QStringLiteral("steer needs --suffix"));
    }
    DialogSteering steering(suffix.toStdString());
    QString user;
    QString error;
    if (TakeOption(options, QStringLiteral("--user"), &user)) {
        std::string why;
        const std::optional<vora::launch::Account> target =
            vora::launch::Account::resolve(user.toStdString(), &why);
        if (!target) {
            return Fail(QString::fromStdString(why));
        }
        if (!steering.setDialogUser(target->uid, &error)) {
            return Fail(error);
        }
    }
    QString scriptPath;
    if (TakeOption(options, QStringLiteral("--script"), &scriptPath)) {
        QFile script;
        if (!OpenScript(scriptPath, script)) {
            return Fail(QStringLiteral("cannot read script ") + scriptPath);
        }
        return steering.runScript(script, &error) ? 0 : Fail(error);
    }
    if (options.isEmpty()) {
        return Fail(QStringLiteral("steer needs a command"));
    }
    return steering.run(options.join(QLatin1Char(' ')), &error) ? 0 : Fail(error);
}

int StandIn::answer(QStringList options)
{
    constexpr qint64 kDaySeconds = 86400;
    QString suffix;
    QString user;
    QString wait = QStringLiteral("0");
    if (!TakeOption(options, QStringLiteral("--suffix"), &suffix)) {
        return Fail(QStringLiteral("answer needs --suffix"));
    }
    const bool forUser = TakeOption(options, QStringLiteral("--user"), &user);
    TakeOption(options, QStringLiteral("--wait"), &wait);
    bool numeric = false;
    const qint64 waitSeconds = wait.toLongLong(&numeric);
    if (!options.isEmpty() || !numeric || waitSeconds < 0 || waitSeconds > kDaySeconds) {
        return Fail(
            QStringLiteral("usage: answer --suffix SUFFIX [--user NAME|UID] [--wait SECONDS (up to a day)]"));
    }
    vora_alert* opened = nullptr;
    const QByteArray userName = user.toUtf8();
    if (vora_alert_open(suffix.toUtf8().constData(), forUser ? userName.constData() : nullptr, &opened) !=
        0) {
        return Fail(QString::fromUtf8(vora_alert_last_error()));
    }
    const std::unique_ptr<vora_alert, void (*)(vora_alert*)> alert(opened, vora_alert_free);
    // Polled: the answer is a file the dialog renames into place, seen on
    // the next look. The time left is checked before each sleep.
    QDeadlineTimer deadline(waitSeconds * 1000);
    QJsonObject report = AnswerReader(alert.get()).read();
    while (report.value(QStringLiteral("result")).isNull() && deadline.remainingTime() > 0) {
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(100, deadline.remainingTime())));
        report = AnswerReader(alert.get()).read();
    }
    report[QStringLiteral("suffix")] = suffix;
    Print(QString::fromUtf8(JsonText(QJsonDocument(report))).trimmed());
    return 0;
}

int StandIn::helper(const QStringList& options)
{
    HelperService service;
    service.setConnected(options.contains(QStringLiteral("--connected")));
    if (options.contains(QStringLiteral("--no-authorization"))) {
        service.setAuthorizationRequired(false);
        Print(QStringLiteral("authorization off (--no-authorization): every caller may restart the agent "
                             "and run the inventory"));
    }
    if (!QDBusConnection::systemBus().isConnected()) {
        return Fail(QStringLiteral("no system bus"));
    }
    if (!service.publish()) {
        return Fail(QStringLiteral("cannot own ") + QString::fromLatin1(kHelperService));
    }
    HelperConsole console(service);
    // Stopped like a service: SIGTERM ends the loop and the process goes
    // through its normal exit (leak checks included).
    const TerminationSignals stop([](const char* signalName) {
        Print(QStringLiteral("stopping on ") + QString::fromLatin1(signalName), stderr);
        QCoreApplication::quit();
    });
    Print(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

int StandIn::post(const QStringList& names)
{
    if (names.isEmpty()) {
        return Fail(QStringLiteral("post needs a name"));
    }
    for (const QString& name : names) {
        const QString full = name == QLatin1String("restart")     ? QString::fromLatin1(kAgentWasRestarted)
                             : name == QLatin1String("inventory") ? QString::fromLatin1(kAgentInventoryWasRun)
                                                                  : name;
        NotifyCenter::darwinNotifyCenter()->postNotification(full, nullptr, nullptr, true);
    }
    // Signals are sent when the connection is flushed.
    QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    return 0;
}

int StandIn::writeConfig(const QStringList& entries)
{
    const UniqueCString dataDir(GetAppDataPath());
    const QString path = QString::fromUtf8(dataDir.get()) + QStringLiteral("arn.conf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return Fail(QStringLiteral("cannot write ") + path);
    }
    for (const QString& entry : entries) {
        if (!entry.contains(QLatin1Char('='))) {
            return Fail(QStringLiteral("not KEY=VALUE: ") + entry);
        }
        file.write(entry.toUtf8() + '\n');
    }
    Print(path);
    return 0;
}

int StandIn::suffix(QStringList options)
{
    const std::string suffix = DialogRunner::suffixFor(AfterSeparator(options));
    if (suffix.empty()) {
        return Fail(QStringLiteral("these options start no dialog"));
    }
    Print(QString::fromStdString(suffix));
    return 0;
}

int StandIn::prepare()
{
    std::vector<std::string> problems;
    const bool ready = LayoutPreparer().run(&problems);
    for (const std::string& problem : problems) {
        Print(QStringLiteral("vora-agent: ") + QString::fromStdString(problem), stderr);
    }
    return ready ? 0 : 1;
}

int StandIn::encode(const QStringList& values)
{
    for (const QString& value : values) {
        Print(DialogRunner::encode(value));
    }
    return 0;
}
