// The stand-in helper's authorization: RestartAgent and RunInventory ask
// a polkit authority (a fake one on this test program's private system
// bus) and refuse with AccessDenied unless it says yes.
#include "FakeHelperProcess.h"
#include "PrivateSystemBus.h"
#include "ScopedEnv.h"
#include "ServiceProcess.h"
#include "TempAgentRoot.h"
#include "VoraDBusNames.h"
#include "WaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kAccessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");

class HelperAuthorizationTest : public ::testing::Test
{
protected:
    static QDBusMessage callHelper(const char* method)
    {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kHelperService), QString::fromLatin1(kHelperPath),
            QString::fromLatin1(kHelperInterface), QString::fromLatin1(method));
        return QDBusConnection::systemBus().call(call, QDBus::Block, 30000);
    }
    static QString self() { return QDBusConnection::systemBus().baseService(); }
    bool helperSaid(const QString& line)
    {
        return WaitUntil([&] { return helper.lines().contains(line); });
    }
    bool helperSaidSomethingLike(const QString& start)
    {
        return WaitUntil([&] {
            const QStringList lines = helper.lines();
            return std::any_of(lines.begin(), lines.end(),
                               [&](const QString& line) { return line.startsWith(start); });
        });
    }

    FakeHelperProcess helper{QStringLiteral(VORA_AGENT_PATH)};
};

} // namespace

TEST_F(HelperAuthorizationTest, AuthorizedCommandsRunAndTheAuthorityLearnsWhoAsked)
{
    ServiceProcess authority(QStringLiteral(FAKE_POLKIT_PATH), {"--verdict", "yes"});
    ASSERT_TRUE(authority.start());
    ASSERT_TRUE(helper.start(true));

    EXPECT_EQ(callHelper(kHelperRestartAgent).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(callHelper(kHelperRunInventory).type(), QDBusMessage::ReplyMessage);
    const QStringList expected{"check com.orvel.vora.restart-agent system-bus-name " + self() + " 1",
                               "check com.orvel.vora.run-inventory system-bus-name " + self() + " 1"};
    EXPECT_TRUE(WaitUntil([&] { return authority.linesStartingWith("check ") == expected; }))
        << authority.lines().join('\n').toStdString();
    EXPECT_TRUE(WaitUntil([&] { return helper.calls() == QStringList({"RestartAgent", "RunInventory"}); }));

    // The connected state is open to everyone: nobody is asked.
    const QDBusMessage status = callHelper(kHelperGetConnectedStatus);
    ASSERT_EQ(status.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(status.arguments().value(0), QVariant(true));
    EXPECT_EQ(authority.linesStartingWith("check ").size(), 2);
}

TEST_F(HelperAuthorizationTest, RefusedCommandsGetAccessDeniedAndDoNotRun)
{
    ServiceProcess authority(QStringLiteral(FAKE_POLKIT_PATH), {"--verdict", "no"});
    ASSERT_TRUE(authority.start());
    ASSERT_TRUE(helper.start(true));

    const QDBusMessage refused = callHelper(kHelperRestartAgent);
    ASSERT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), kAccessDenied);
    EXPECT_EQ(refused.errorMessage(), "Not allowed to restart the agent: an administrator must approve it");
    EXPECT_TRUE(helperSaid("refused RestartAgent from " + self() + ": polkit refused"));

    // An answer that asks for an authentication nobody gave is no yes.
    ASSERT_TRUE(authority.send("verdict challenge"));
    const QDBusMessage challenged = callHelper(kHelperRunInventory);
    EXPECT_EQ(challenged.errorName(), kAccessDenied);
    EXPECT_EQ(challenged.errorMessage(),
              "Not allowed to run the inventory: an administrator must approve it");
    EXPECT_TRUE(helperSaid("refused RunInventory from " + self() +
                           ": polkit needs an authentication nobody provided"));

    EXPECT_EQ(callHelper(kHelperGetConnectedStatus).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitUntil([&] { return helper.calls() == QStringList{"GetConnectedStatus"}; }))
        << helper.lines().join('\n').toStdString();
}

// Nobody could be asked: still a refusal, under its own error name, so the
// caller can tell the user that the permission could not be checked.
TEST_F(HelperAuthorizationTest, WithoutAnAuthorityCommandsAreRefused)
{
    ASSERT_TRUE(helper.start(true));
    const QDBusMessage refused = callHelper(kHelperRestartAgent);
    EXPECT_EQ(refused.errorName(), kHelperAuthorizationUnavailable);
    EXPECT_EQ(refused.errorMessage(), "Cannot restart the agent: the permission could not be checked");
    EXPECT_TRUE(helperSaidSomethingLike(
        "refused RestartAgent from " + self() +
        ": no polkit authority answered (org.freedesktop.DBus.Error.ServiceUnknown: "));
    EXPECT_EQ(callHelper(kHelperRunInventory).errorName(), kHelperAuthorizationUnavailable);
    EXPECT_FALSE(helper.calls().contains("RestartAgent"));
    EXPECT_FALSE(helper.calls().contains("RunInventory"));
}

TEST_F(HelperAuthorizationTest, NoAuthorizationOptionOpensTheCommandsAndSaysSo)
{
    ASSERT_TRUE(helper.start(true, {"--no-authorization"}));
    EXPECT_TRUE(
        helper.lines().contains("authorization off (--no-authorization): every caller may restart the "
                                "agent and run the inventory"));
    EXPECT_EQ(callHelper(kHelperRestartAgent).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(callHelper(kHelperRunInventory).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitUntil([&] { return helper.calls() == QStringList({"RestartAgent", "RunInventory"}); }));
}

namespace {

// A uid from `first` on with no account and no process.
uint FreeUid(uint first)
{
    for (uint uid = first;; ++uid) {
        if (getpwuid(uid) != nullptr) {
            continue;
        }
        const QStringList pids =
            QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
        const bool running = std::any_of(pids.begin(), pids.end(), [uid](const QString& pid) {
            return QFileInfo(QStringLiteral("/proc/") + pid).ownerId() == uid;
        });
        if (!running) {
            return uid;
        }
    }
}

// The helper's bus policy and polkit's (root owns the authority, everyone
// may ask it), in `directory`.
QString PolicyWithTheAuthority(const QString& directory)
{
    const QString path = directory + QStringLiteral("/helper-and-polkit.conf");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(
        QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <include>%1</include>\n"
                       "  <policy user=\"root\"><allow own=\"org.freedesktop.PolicyKit1\"/></policy>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"org.freedesktop.PolicyKit1\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
            .arg(QStringLiteral(VORA_HELPER_BUS_POLICY))
            .toUtf8());
    return path;
}

QStringList AsUser(uint uid, const QStringList& command)
{
    const QString id = QString::number(uid);
    return QStringList{"--reuid", id, "--regid", id, "--clear-groups"} + command;
}

} // namespace

// One user keeps the helper busy: her polkit agent never answers, and two
// of her processes send 128 RestartAgent calls each (the bus lets one
// connection wait for 128 answers). She waits for one authorization; her
// other calls are refused at once. Another user and root are asked as
// ever: polkit's no is AccessDenied, root's yes runs the command.
TEST(HelperFlood, OneUserWaitingForAnAuthorizationKeepsNobodyElseWaiting)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as other users";
    }
    const uint flooder = FreeUid(4600);
    const uint other = FreeUid(flooder + 1);
    TempAgentRoot scratch;
    PrivateSystemBus bus(PolicyWithTheAuthority(QString::fromStdString(scratch.root())), {flooder, other});
    ASSERT_TRUE(bus.isRunning());
    ScopedEnv onThatBus("DBUS_SYSTEM_BUS_ADDRESS", bus.address().toStdString());

    ServiceProcess authority(QStringLiteral(FAKE_POLKIT_PATH),
                             {"--verdict", "no", "--verdict-for", "0:yes", "--verdict-for",
                              QStringLiteral("%1:never").arg(flooder)});
    ASSERT_TRUE(authority.start());
    FakeHelperProcess helper{QStringLiteral(VORA_AGENT_PATH)};
    helper.mergeErrors();
    ASSERT_TRUE(helper.start(true));

    ServiceProcess floods[] = {
        {QStringLiteral("setpriv"), AsUser(flooder, {HELPER_FLOOD_PATH, kHelperRestartAgent, "128"})},
        {QStringLiteral("setpriv"), AsUser(flooder, {HELPER_FLOOD_PATH, kHelperRestartAgent, "128"})}};
    for (ServiceProcess& flood : floods) {
        ASSERT_TRUE(flood.start());
    }
    const auto answers = [&](const QString& answer) {
        return floods[0].lines().count(answer) + floods[1].lines().count(answer);
    };
    const QString pending = QStringLiteral("answered ") + kHelperAuthorizationPending;
    EXPECT_TRUE(WaitUntil([&] { return answers(pending) == 255; }, 30000))
        << floods[0].lines().join('\n').toStdString();

    QProcess otherUser;
    otherUser.setProcessChannelMode(QProcess::MergedChannels);
    otherUser.start("setpriv", AsUser(other, {"dbus-send", "--system", "--print-reply",
                                              "--dest=" + QString::fromLatin1(kHelperService), kHelperPath,
                                              QString::fromLatin1(kHelperInterface) + ".RestartAgent"}));
    ASSERT_TRUE(WaitForEnd(otherUser, 30000));
    EXPECT_TRUE(otherUser.readAll().contains(kAccessDenied.toUtf8()));

    QDBusConnection root = QDBusConnection::connectToBus(bus.address(), "flood-root");
    const QDBusMessage rootsCall = root.call(
        QDBusMessage::createMethodCall(kHelperService, kHelperPath, kHelperInterface, kHelperRestartAgent),
        QDBus::Block, 30000);
    EXPECT_EQ(rootsCall.type(), QDBusMessage::ReplyMessage) << rootsCall.errorName().toStdString();
    QDBusConnection::disconnectFromBus("flood-root");

    // Her one check still waits; each refusal said why. The helper stops
    // with it pending, as a service is stopped.
    EXPECT_EQ(answers(QStringLiteral("answered ok")), 0);
    ASSERT_TRUE(helper.send("quit"));
    EXPECT_TRUE(WaitUntil([&] { return !helper.isRunning(); }));
    const QString refusal = QStringLiteral("already waits for an authorization");
    const QStringList lines = helper.lines();
    EXPECT_EQ(lines.filter(QStringLiteral("uid %1 ").arg(flooder) + refusal).size(), 255)
        << lines.mid(0, 20).join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("Trying to construct")).isEmpty())
        << lines.join('\n').toStdString();
}

namespace {

// The helper's interface as introspection data gives it: its methods and
// their arguments, in order, for `interface` (empty when absent).
QStringList InterfaceShape(const QString& xmlText, const QString& interface)
{
    QXmlStreamReader xml(xmlText);
    QStringList shape;
    bool inside = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("interface")) {
            inside = false;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("interface")) {
            inside = attributes.value("name") == interface;
        } else if (inside) {
            shape.append(QStringList{xml.name().toString(), attributes.value("name").toString(),
                                     attributes.value("type").toString(),
                                     attributes.value("direction").toString()}
                             .join(QLatin1Char(' ')));
        }
    }
    return shape;
}

} // namespace

// What the stand-in serves on the bus is the interface installed under
// dbus/, no more and no less (its adaptor is generated from that file).
TEST_F(HelperAuthorizationTest, IntrospectedInterfaceIsTheInstalledOne)
{
    ASSERT_TRUE(helper.start(true));
    const QDBusMessage introspect = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        kHelperService, kHelperPath, "org.freedesktop.DBus.Introspectable", "Introspect"));
    ASSERT_EQ(introspect.type(), QDBusMessage::ReplyMessage) << introspect.errorMessage().toStdString();
    QFile installed(QFileInfo(QStringLiteral(VORA_HELPER_BUS_POLICY))
                        .dir()
                        .filePath(QStringLiteral("com.orvel.vora.AgentHelperProtocol.xml")));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    const QStringList expected = InterfaceShape(QString::fromUtf8(installed.readAll()), kHelperInterface);
    ASSERT_EQ(expected.size(), 4); // three methods, one argument
    EXPECT_EQ(InterfaceShape(introspect.arguments().value(0).toString(), kHelperInterface)
                  .join(QLatin1Char('\n'))
                  .toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());
}

// The action file polkitd reads must name the actions the helper asks for.
TEST(PolkitActionFile, DeclaresBothActionsWithTheirDefaults)
{
    QFile file(QStringLiteral(VORA_POLKIT_POLICY));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QMap<QString, QMap<QString, QString>> defaults; // action id -> allow_any/... -> value
    QString action;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("action")) {
            action = xml.attributes().value("id").toString();
        } else if (xml.name().startsWith(QLatin1String("allow_"))) {
            defaults[action][xml.name().toString()] = xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const QMap<QString, QString> expected{
        {"allow_any", "auth_admin"}, {"allow_inactive", "auth_admin"}, {"allow_active", "yes"}};
    EXPECT_EQ(defaults.keys(), QStringList({kRestartAgentAction, kRunInventoryAction}));
    EXPECT_EQ(defaults.value(kRestartAgentAction), expected);
    EXPECT_EQ(defaults.value(kRunInventoryAction), expected);
}
