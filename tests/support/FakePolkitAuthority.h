#pragma once

#include <QDBusArgument>
#include <QDBusContext>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

// What CheckAuthorization takes and gives, as polkit declares them.
struct PolkitSubject // (sa{sv})
{
    QString kind;
    QVariantMap details;
};
struct PolkitResult // (bba{ss})
{
    bool authorized = false;
    bool challenge = false;
    QMap<QString, QString> details;
};
Q_DECLARE_METATYPE(PolkitSubject)
Q_DECLARE_METATYPE(PolkitResult)

QDBusArgument& operator<<(QDBusArgument& argument, const PolkitSubject& subject);
const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitSubject& subject);
QDBusArgument& operator<<(QDBusArgument& argument, const PolkitResult& result);
const QDBusArgument& operator>>(const QDBusArgument& argument, PolkitResult& result);

// A polkit authority for tests: org.freedesktop.PolicyKit1.Authority on
// /org/freedesktop/PolicyKit1/Authority, answering every CheckAuthorization
// with the verdict it was given ("yes", "no" or "challenge") and printing
//   check ACTION-ID SUBJECT-KIND SUBJECT-NAME FLAGS
// for each, so a test sees who asked for what. With a delay it answers
// that much later, as polkit does while an administrator types a password.
// A verdict for one user ("1234:never") applies to the subjects of that
// uid; "never" leaves the check unanswered, as a user's authentication
// agent that never answers does.
class FakePolkitAuthority final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PolicyKit1.Authority")

public:
    FakePolkitAuthority();

    // False for a verdict it does not know.
    bool setVerdict(const QByteArray& verdict);
    // "UID:VERDICT", VERDICT one of the above or "never"; false otherwise.
    bool setVerdictFor(const QByteArray& uidAndVerdict);
    // Milliseconds before each answer; false for a negative or no number.
    bool setDelay(const QByteArray& milliseconds);
    // Owns org.freedesktop.PolicyKit1 on the system bus.
    bool publish();

public Q_SLOTS:
    Q_SCRIPTABLE PolkitResult CheckAuthorization(const PolkitSubject& subject, const QString& actionId,
                                                 const QMap<QString, QString>& details, uint flags,
                                                 const QString& cancellationId);

private:
    QByteArray verdictFor(const QString& busName) const;

    QByteArray m_verdict = "yes";
    QMap<uint, QByteArray> m_verdictOfUid;
    int m_delayMs = 0;
};
