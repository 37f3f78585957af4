#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

// Asks the system's polkit authority whether a caller on the bus may carry
// out an action: org.freedesktop.PolicyKit1.Authority.CheckAuthorization
// with the subject ("system-bus-name", {"name": caller's unique name}),
// AllowUserInteraction, and a bounded time-out. Anything but a clear yes is
// a refusal, with the reason for the log:
//   authority answers (true, false, {})  -> allowed
//   authority answers (false, true, {})  -> refused, "needs authentication ..."
//   no authority on the bus              -> refused, not checked, "no polkit authority answered (...)"
class PolkitAuthorization final : public QObject
{
    Q_OBJECT

public:
    struct Verdict
    {
        bool allowed = false;
        QString reason;
        // False when no authority gave an answer at all (none on the bus,
        // an error, the time-out, an answer of another shape).
        bool checked = true;
    };
    using Answer = std::function<void(const Verdict& verdict)>;

    explicit PolkitAuthorization(QDBusConnection bus, QObject* parent = nullptr);

    // Asks without blocking; `answer` runs once, on the event loop, unless
    // this object goes first.
    void check(const QString& actionId, const QString& caller, Answer answer);

    // Long enough for someone to type a password into the authentication
    // agent's dialog.
    static constexpr int kTimeoutMs = 60000;

private:
    static Verdict verdictOf(const QDBusMessage& reply);

    QDBusConnection m_bus;
};
