// VUserAlert as a process on real display servers of the test's own: an X
// server (Xvfb), a Wayland compositor (weston, headless), and both at once
// as on a Wayland desktop with XWayland. Keys come through xdotool, window
// properties through xprop, Wayland requests through WAYLAND_DEBUG.
#include "BuiltInImage.h"
#include "Contrast.h"
#include "FileHelpers.h"
#include "StopProcess.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "WaitUntil.h"
#include "WestonServer.h"
#include "XvfbServer.h"

#include <QDir>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const char kOpacityWarning[] = "does not support setting window opacity";

bool HaveTools(std::initializer_list<const char*> tools)
{
    for (const char* tool : tools) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            return false;
        }
    }
    return true;
}

// Which of the eight progress images the meter at `meter` (window
// coordinates of VUserAlertWindow.ui) shows, 0 to 7, found within a few
// pixels of where the style draws it; -1 for none of them.
int ProgressImageShown(const QImage& shot, const QRect& meter, const QList<QImage>& images)
{
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            for (int index = 0; index < images.size(); ++index) {
                const QImage& image = images[index];
                const QRect at = QRect(meter.topLeft() + QPoint(dx, dy), image.size());
                if (!shot.rect().contains(at)) {
                    continue;
                }
                bool same = true;
                for (int y = 0; y < image.height() && same; ++y) {
                    for (int x = 0; x < image.width() && same; ++x) {
                        same =
                            (shot.pixel(at.x() + x, at.y() + y) & 0xffffff) == (image.pixel(x, y) & 0xffffff);
                    }
                }
                if (same) {
                    return index;
                }
            }
        }
    }
    return -1;
}

class DesktopProcessTest : public ::testing::Test
{
protected:
    // The dialog on the given displays (empty: that one is not there).
    void start(const QStringList& options, const QString& x11, const WestonServer* wayland,
               const QString& qtPlatform = QString(), const QStringList& extraEnvironment = {})
    {
        root.writeConfig("companyname=Acme\n");
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VORA_AGENT_ROOT", QString::fromStdString(root.root()));
        environment.remove("VEJBINSTANCE");
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
            environment.remove(name);
        }
        if (!qtPlatform.isEmpty()) {
            environment.insert("QT_QPA_PLATFORM", qtPlatform);
        }
        if (!x11.isEmpty()) {
            environment.insert("DISPLAY", x11);
        }
        if (wayland != nullptr) {
            environment.insert("XDG_RUNTIME_DIR", wayland->runtimeDir());
            environment.insert("WAYLAND_DISPLAY", wayland->socket());
            environment.insert("WAYLAND_DEBUG", "client");
        }
        for (const QString& variable : extraEnvironment) {
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        }
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VUSERALERT_PATH), options + QStringList{"-suffix=desktop"});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Runs an X tool against the dialog's display; its standard output.
    QByteArray rawTool(const QString& program, const QStringList& arguments)
    {
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(program, arguments);
        run.waitForFinished(30000);
        return run.readAllStandardOutput();
    }
    QString tool(const QString& program, const QStringList& arguments)
    {
        return QString::fromLocal8Bit(rawTool(program, arguments)).trimmed();
    }

    // The dialog's X window, once mapped.
    QString windowId(const QString& title)
    {
        return tool("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"})
            .section('\n', 0, 0);
    }

    // Output so far; the process keeps running.
    QString output()
    {
        m_output += QString::fromLocal8Bit(process.readAll());
        return m_output;
    }

    void expectCleanExit()
    {
        ASSERT_TRUE(WaitForEnd(process, 30000)) << output().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }

    // A marker command taken by the dialog proves it ran its loop after
    // whatever came before.
    bool roundTrip()
    {
        agent.Write(MARKER_SHOWOK);
        return WaitUntil([&] { return !agent.Exists(MARKER_SHOWOK); }, 30000);
    }

    void TearDown() override { StopProcess(process); }

    TempAgentRoot root;
    VUAMarkerMgr agent{std::string("desktop")};
    QProcessEnvironment environment;
    QProcess process;

private:
    QString m_output;
};

} // namespace

TEST_F(DesktopProcessTest, OnX11TheWindowIsAFixedDialogWithTheAppId)
{
    XvfbServer x11;
    if (!x11.isRunning() || !HaveTools({"xdotool", "xprop"})) {
        GTEST_SKIP() << "needs Xvfb, xdotool and xprop";
    }
    start({"-name=Deploy Editor", "-ok"}, x11.display(), nullptr);
    const QString window = windowId("Deploy Editor");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();

    EXPECT_TRUE(tool("xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"}).contains("_NET_WM_WINDOW_TYPE_DIALOG"));
    EXPECT_TRUE(tool("xprop", {"-id", window, "_NET_WM_STATE"}).contains("_NET_WM_STATE_ABOVE"));
    // _MOTIF_WM_HINTS = flags, functions, decorations, ...: neither the
    // maximise function (0x10) nor its button (0x40).
    const QStringList motif =
        tool("xprop", {"-id", window, "_MOTIF_WM_HINTS"}).section('=', 1).split(',', Qt::SkipEmptyParts);
    ASSERT_GE(motif.size(), 3) << motif.join(',').toStdString();
    EXPECT_EQ(motif[1].trimmed().toUInt(nullptr, 16) & 0x10u, 0u);
    EXPECT_EQ(motif[2].trimmed().toUInt(nullptr, 16) & 0x40u, 0u);
    const QString sizes = tool("xprop", {"-id", window, "WM_NORMAL_HINTS"});
    EXPECT_TRUE(sizes.contains("program specified minimum size: 500 by 340")) << sizes.toStdString();
    EXPECT_TRUE(sizes.contains("program specified maximum size: 500 by 340")) << sizes.toStdString();
    // X11 docks match the window's class with the desktop entry.
    EXPECT_TRUE(tool("xprop", {"-id", window, "WM_CLASS"}).contains("\"VUserAlert\""));

    agent.Write(MARKER_EXIT);
    expectCleanExit();
}

// After PROGON the meter shows no image until the first tick, 0.2 s on,
// brings the second ("prog2.bmp"); the first comes at the end of a cycle.
// The dialog is stopped just after it took PROGON, so what it drew then
// stays on the screen however slow the screenshot is.
TEST_F(DesktopProcessTest, ProgressNeverStartsWithItsFirstImage)
{
    XvfbServer x11;
    if (!x11.isRunning() || !HaveTools({"xdotool", "import"})) {
        GTEST_SKIP() << "needs Xvfb, xdotool and ImageMagick";
    }
    QList<QImage> images;
    for (int frame = 1; frame <= 8; ++frame) {
        images.append(LoadBuiltInImage(QStringLiteral(":/prog%1.bmp").arg(frame)).toImage());
    }
    start({"-name=Progress", "-ok"}, x11.display(), nullptr);
    const QString window = windowId("Progress");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();
    ASSERT_TRUE(roundTrip()); // drawn and polling
    const QRect meter(20, 130, 100, 20);
    const auto shown = [&] {
        return ProgressImageShown(QImage::fromData(rawTool("import", {"-window", window, "png:-"}), "PNG"),
                                  meter, images);
    };

    agent.Write(MARKER_PROGON);
    ASSERT_TRUE(WaitUntil([&] { return !agent.Exists(MARKER_PROGON); }, 30000));
    WaitUntil([] { return false; }, 50); // drawn, long before the first tick
    ::kill(static_cast<pid_t>(process.processId()), SIGSTOP);
    const int atOnce = shown();
    ::kill(static_cast<pid_t>(process.processId()), SIGCONT);
    int first = -1;
    for (int shot = 0; shot < 100 && first < 0; ++shot) {
        first = shown();
    }
    EXPECT_NE(atOnce, 0) << "prog1.bmp was shown at once";
    EXPECT_GE(first, 0) << "the animation shows none of its images";
    agent.Write(MARKER_EXIT);
    expectCleanExit();
}

TEST_F(DesktopProcessTest, KeysTypedAsTheDialogAppearsAnswerNothingTabAndReturnDo)
{
    XvfbServer x11;
    if (!x11.isRunning() || !HaveTools({"xdotool"})) {
        GTEST_SKIP() << "needs Xvfb and xdotool";
    }
    start({"-name=Reboot now", "-yesno", "-default=yes", "-timeout=300"}, x11.display(), nullptr);
    const QString window = windowId("Reboot now");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();
    tool("xdotool", {"windowfocus", "--sync", window});

    // The focus is on the message: Return, Enter and Space do nothing.
    tool("xdotool", {"key", "--window", window, "Return", "KP_Enter", "space"});
    ASSERT_TRUE(roundTrip());
    EXPECT_EQ(process.state(), QProcess::Running);
    EXPECT_FALSE(agent.Exists(MARKER_YES));

    // Tab to Yes (the centred OK button that SHOWOK added comes later in
    // the chain), Return presses it.
    tool("xdotool", {"key", "--window", window, "Tab", "Return"});
    expectCleanExit();
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_YES)), "yes\n");
}

TEST_F(DesktopProcessTest, EscapeClosesWithoutAnswer)
{
    XvfbServer x11;
    if (!x11.isRunning() || !HaveTools({"xdotool"})) {
        GTEST_SKIP() << "needs Xvfb and xdotool";
    }
    start({"-name=Reboot later", "-yesno", "-default=yes", "-timeout=300"}, x11.display(), nullptr);
    const QString window = windowId("Reboot later");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();
    tool("xdotool", {"windowfocus", "--sync", window});
    tool("xdotool", {"key", "--window", window, "Escape"});
    expectCleanExit();
    for (const VUA_MarkerType answer : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
        EXPECT_FALSE(agent.Exists(answer)) << answer;
    }
}

TEST_F(DesktopProcessTest, WithBothDisplaysItRunsOnX11AndFades)
{
    XvfbServer x11;
    WestonServer wayland;
    if (!x11.isRunning() || !wayland.isRunning() || !HaveTools({"xdotool", "xprop"})) {
        GTEST_SKIP() << "needs Xvfb, weston (headless), xdotool and xprop";
    }
    start({"-name=Both displays", "-ok", "-fade"}, x11.display(), &wayland);
    const QString window = windowId("Both displays");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();
    // Faded in to 240/255, as the X property says: 0xf0f0f0f0.
    EXPECT_TRUE(WaitUntil([&] {
        return tool("xprop", {"-id", window, "_NET_WM_WINDOW_OPACITY"}).endsWith("= 4042322160");
    }));
    agent.Write(MARKER_EXIT);
    expectCleanExit();
    EXPECT_TRUE(output().contains("running on X11 (XWayland)")) << output().toStdString();
    EXPECT_FALSE(output().contains("xdg_toplevel")) << "no Wayland window was made";
    EXPECT_FALSE(output().contains(kOpacityWarning));
    EXPECT_FALSE(output().contains("left to the compositor"));
}

TEST_F(DesktopProcessTest, QtPlatformVariableStillChoosesWayland)
{
    XvfbServer x11;
    WestonServer wayland;
    if (!x11.isRunning() || !wayland.isRunning()) {
        GTEST_SKIP() << "needs Xvfb and weston (headless)";
    }
    start({"-name=Told", "-ok", "-timeout=1"}, x11.display(), &wayland, "wayland");
    expectCleanExit();
    EXPECT_TRUE(output().contains("xdg_toplevel")) << output().toStdString();
    EXPECT_FALSE(output().contains("running on X11"));
}

TEST_F(DesktopProcessTest, OnWaylandAloneItRunsNativelyAnswersAndFadesNothing)
{
    WestonServer wayland;
    if (!wayland.isRunning()) {
        GTEST_SKIP() << "needs weston (headless backend)";
    }
    start({"-name=Wayland only", "-message=Native", "-yesno", "-fade", "-default=yes", "-timeout=2"},
          QString(), &wayland);
    expectCleanExit();
    const QString said = output();
    EXPECT_TRUE(said.contains("running on Wayland")) << said.toStdString();
    EXPECT_TRUE(said.contains("set_app_id(\"com.orvel.vora.VUserAlert\")")) << "app id";
    EXPECT_TRUE(said.contains("set_title(\"Wayland only\")"));
    // Mapped: a buffer went to the surface after the compositor's configure.
    const qsizetype configured = said.indexOf("ack_configure");
    ASSERT_GE(configured, 0) << wayland.runtimeDir().toStdString();
    EXPECT_GT(said.indexOf(QRegularExpression("wl_surface@\\d+\\.attach\\(wl_buffer"), configured),
              configured);
    EXPECT_FALSE(said.contains(kOpacityWarning));
    EXPECT_EQ(ReadFile(agent.GetFilePath(MARKER_YES)), "yes\n");
    // Said once, before the dialog's log exists (its debug lines go to no
    // file).
    EXPECT_EQ(said.count("left to the compositor"), 1) << said.toStdString();
}

// The scheme of the report: GTK's Adwaita-dark through Qt's GTK theme. The
// dialog keeps its light look with dark text (measured on the X server's
// own screenshot of the window), while Qt's menus follow the scheme.
TEST_F(DesktopProcessTest, UnderGtkDarkSchemeTheDialogStaysReadable)
{
    XvfbServer x11;
    const QString theme = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platformthemes/libqgtk3.so";
    if (!x11.isRunning() || !HaveTools({"xdotool", "import"}) || !QFile::exists(theme)) {
        GTEST_SKIP() << "needs Xvfb, xdotool, ImageMagick and Qt's GTK theme (qt6-gtk-platformtheme)";
    }
    start({"-name=Dark scheme", "-title=Installing security updates",
           "-multisnoozemessage=PRE7^Editor 2.1^Update the editor^30^^8^Browser^Update the browser^30"},
          x11.display(), nullptr, QString(), {"QT_QPA_PLATFORMTHEME=gtk3", "GTK_THEME=Adwaita:dark"});
    const QString window = windowId("Dark scheme");
    ASSERT_FALSE(window.isEmpty()) << output().toStdString();

    const QImage shot = QImage::fromData(rawTool("import", {"-window", window, "png:-"}), "PNG");
    ASSERT_EQ(shot.size(), QSize(500, 340));
    // Regions of VUserAlertWindow.ui, inside frames and button edges.
    const std::pair<const char*, QRect> texts[] = {
        {"title", QRect(135, 18, 345, 26)},        {"date", QRect(135, 44, 345, 18)},
        {"message", QRect(139, 72, 337, 176)},     {"snooze label", QRect(20, 254, 108, 34)},
        {"snooze list", QRect(139, 262, 130, 18)}, {"page counter", QRect(380, 258, 100, 26)},
        {"Next button", QRect(260, 298, 90, 22)},
    };
    for (const auto& [name, region] : texts) {
        const DominantColours colours = FindDominantColours(shot, region);
        ASSERT_TRUE(colours.text.isValid()) << name;
        EXPECT_GE(ContrastRatio(colours.text, colours.background), 4.5)
            << name << ": " << colours.text.name().toStdString() << " on "
            << colours.background.name().toStdString();
        EXPECT_GT(RelativeLuminance(colours.background), 0.5) << name << ": the dialog's own light look";
    }

    // The scheme is in force: the message's context menu is dark.
    tool("xdotool", {"mousemove", "--window", window, "150", "150", "click", "3"});
    const QString origin = tool("xdotool", {"getwindowgeometry", window});
    ASSERT_TRUE(WaitUntil([&] {
        const QImage screen = QImage::fromData(rawTool("import", {"-window", "root", "png:-"}), "PNG");
        const QRegularExpression position("Position: (\\d+),(\\d+)");
        const QRegularExpressionMatch at = position.match(origin);
        const QRect menu(at.captured(1).toInt() + 160, at.captured(2).toInt() + 160, 80, 40);
        return !screen.isNull() && RelativeLuminance(FindDominantColours(screen, menu).background) < 0.1;
    }));
    agent.Write(MARKER_EXIT);
    expectCleanExit();
}
