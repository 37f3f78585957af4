#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
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
//
// One check at a time per user (the caller's uid, as the bus knows it):
// while one waits (an authentication dialog open, or an agent that never
// answers), the same user's next checks are refused at once, polkit not
// asked; other users' checks go on as ever:
//   uid 1000 waits, uid 1000 asks again -> refused, waiting, "uid 1000 already waits for an authorization"
//   uid 1000 waits, uid 1001 asks       -> asked
// Else one user could fill the helper's bus connection with checks that
// never end (the bus lets a connection wait for 128 answers at most) and
// every other caller's check would fail.
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
        // True when refused because the caller's user already waits.
        bool waiting = false;
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
    void ask(const QString& actionId, const QString& caller, Answer answer);
    void askFor(uint uid, const QString& actionId, const QString& caller, const Answer& answer);
    static Verdict verdictOf(const QDBusMessage& reply);

    QDBusConnection m_bus;
    QSet<uint> m_waiting; // uids whose check polkit has not answered yet
};
