#include "DialogRunner.h"

#include "AnswerReader.h"
#include "DialogSteering.h"
#include "VUAConfig.h"
#include "strutil.h"

#include <QJsonArray>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const QStringList kEncodedOptions = {QStringLiteral("-name"), QStringLiteral("-message"),
                                     QStringLiteral("-title"), QStringLiteral("-multimessage"),
                                     QStringLiteral("-multisnoozemessage")};

} // namespace

DialogRunner::DialogRunner(QString program, std::optional<UserLaunch> launch)
    : m_program(std::move(program)), m_launch(std::move(launch))
{
}

std::string DialogRunner::suffixFor(const QStringList& options)
{
    std::vector<std::string> args{"VUserAlert"};
    for (const QString& option : options) {
        args.push_back(option.toStdString());
    }
    if (args.size() == 2 && args[1] == "-vcrash") {
        return std::string();
    }
    VUAConfig config;
    if (ParseCommandLineArgs(args, &config) != 0) {
        return std::string();
    }
    return sanitizeFilename(config.suffix);
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
        for (const VUA_MarkerType stale : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
            const VResult removed = markers.Delete(stale);
            if (!removed) {
                std::fprintf(stderr, "vora-agent: cannot clear the earlier answer %s: %s\n",
                             markers.GetFilePath(stale).c_str(), std::strerror(removed.error));
            }
        }
    }
    QProcess dialog;
    // The dialog's console lines go to our standard error, so standard
    // output carries nothing but the report. The descriptor is shared, not
    // opened anew: a dialog of another user may not open ours.
    dialog.setProcessChannelMode(QProcess::ForwardedChannels);
    std::function<void()> inChild;
    if (m_launch) {
        m_launch->apply(dialog);
        inChild = m_launch->inChild();
    }
    dialog.setChildProcessModifier([inChild] {
        // A session of its own: the dialog shares our standard error, and
        // without a controlling terminal another user's process cannot
        // push input into the terminal it may name (TIOCSTI).
        ::setsid();
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
        if (inChild) {
            inChild();
        }
    });
    dialog.start(m_program, options);
    if (!dialog.waitForStarted(30000)) {
        *error = QStringLiteral("cannot start ") + m_program + QStringLiteral(": ") + dialog.errorString();
        return QJsonObject();
    }
    if (script != nullptr && !suffix.empty()) {
        DialogSteering steering(suffix);
        if (m_launch) {
            steering.setDialogUser(m_launch->user().uid(), m_launch->user().gid());
        }
        if (!steering.runScript(*script, error, [&] { return dialog.state() == QProcess::Running; })) {
            dialog.kill();
            dialog.waitForFinished();
            return QJsonObject();
        }
    }
    dialog.waitForFinished(-1);

    // Options that start no dialog leave no answer to look for.
    QJsonObject report = suffix.empty() ? QJsonObject{{"result", QJsonValue::Null},
                                                      {"words", QJsonArray()},
                                                      {"snoozeChoices", QJsonArray()}}
                                        : AnswerReader(markersFor(suffix)).read();
    report["suffix"] = QString::fromStdString(suffix);
    report["crashed"] = dialog.exitStatus() == QProcess::CrashExit;
    report["exitStatus"] = dialog.exitStatus() == QProcess::CrashExit ? QJsonValue::Null : dialog.exitCode();
    return report;
}
