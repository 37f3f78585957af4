// The platform's application main hands the program every argument exactly
// as it was passed and lets the toolkit take none of them.
#include "ApplicationMain.h"
#include "ProcessArguments.h"

#include <QApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the interface saw while the application object existed.
struct Seen
{
    std::vector<std::string> raw;
    QStringList qtArguments;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    QString styleSheet;
    QString applicationName;
};

class RecordingInterface final : public MainInterface
{
public:
    explicit RecordingInterface(Seen& seen) : m_seen(seen) {}
    bool launch() override
    {
        m_seen.raw = ProcessArguments();
        m_seen.qtArguments = QCoreApplication::arguments();
        m_seen.direction = QGuiApplication::layoutDirection();
        m_seen.styleSheet = qApp->styleSheet();
        return false; // end before the main loop
    }

private:
    Seen& m_seen;
};

Seen RunWith(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    Seen seen;
    ApplicationOptions options;
    options.programOwnsAllArguments = true;
    const int result = ApplicationMain(
        static_cast<int>(arguments.size()), argv.data(), "VUserAlert",
        [&] { return std::make_unique<RecordingInterface>(seen); }, options);
    EXPECT_EQ(result, 0);
    return seen;
}

} // namespace

// Every option Qt, its platform plugins or QApplication would take out of
// argv, with and without a value after "=".
TEST(ApplicationMain, QtTakesNoneOfItsOwnOptions)
{
    const char* const kQtOptions[] = {
        "-name",
        "-title",
        "-reverse",
        "-style",
        "-stylesheet",
        "-widgetcount",
        "-session",
        "-platform",
        "-display",
        "-geometry",
        "-qwindowgeometry",
        "-qwindowtitle",
        "-qwindowicon",
        "-icon",
        "-platformpluginpath",
        "-platformtheme",
        "-plugin",
        "-nograb",
        "-dograb",
        "-sync",
        "-visual",
        "-ncols",
        "-cmap",
        "-im",
        "-inputstyle",
        "-testability",
        "-qmljsdebugger",
        "-fontengine",
        "-qdevel",
        "-graphicssystem",
    };
    for (const char* option : kQtOptions) {
        for (const std::string& form : {std::string(option), std::string(option) + "=fusion"}) {
            const std::vector<std::string> arguments = {"VUserAlert", form, "offscreen", "-ok", "-yesno"};
            const Seen seen = RunWith(arguments);
            EXPECT_EQ(seen.raw, arguments) << form;
            EXPECT_EQ(seen.qtArguments, QStringList{QStringLiteral("VUserAlert")}) << form;
            EXPECT_EQ(seen.direction, Qt::LeftToRight) << form;
            EXPECT_TRUE(seen.styleSheet.isEmpty()) << form;
        }
    }
}

// Bytes that are not UTF-8 reach the program unchanged.
TEST(ApplicationMain, ArgumentsKeepTheirBytes)
{
    const std::vector<std::string> arguments = {"VUserAlert", "-name=Caf\xe9", "-message=\xff\xfe", "-ok"};
    EXPECT_EQ(RunWith(arguments).raw, arguments);
}
