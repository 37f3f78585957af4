// An agent writing markers as fast as it can while the dialog polls: no
// crash, the EXIT that follows is obeyed, and the message shown is one the
// agent wrote.
#include "AppController.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "VuaAPI.h"
#include "VuaAPIOpaque.h"
#include "WaitUntil.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(MarkerFlood, DialogKeepsUpAndObeysTheExitThatFollows)
{
    TempAgentRoot root;
    AppController controller({"/opt/vora/bin/VUserAlert", "-suffix=flood", "-ok", "-timeout=300"});
    controller.awakeFromNib();
    ASSERT_FALSE(controller.isTerminating());
    controller.vuaApi()->setTeardownWait(std::chrono::milliseconds(0));
    controller.mainWindow()->show();

    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::thread agent([&] {
        const VUAMarkerMgr markers(std::string("flood"));
        const VUA_MarkerType commands[] = {MARKER_SHOWOK, MARKER_PROGON, MARKER_PROGOFF, MARKER_FINISH};
        for (int i = 0; !stop; ++i) {
            if (i % 3 == 0) {
                markers.Write(MARKER_APND);
            }
            markers.Publish(MARKER_MESG, "flood " + std::to_string(i));
            markers.Write(commands[i % 4]);
            written = i + 1;
        }
    });
    WaitUntil([] { return false; }, 3000); // the dialog polls on its own timer meanwhile
    stop = true;
    agent.join();

    QElapsedTimer obey;
    obey.start();
    VUAMarkerMgr(std::string("flood")).Write(MARKER_EXIT);
    ASSERT_TRUE(WaitUntil([&] { return !controller.mainWindow()->isVisible(); }, 10000));
    const qint64 obeyedAfter = obey.elapsed();
    std::printf("%d marker rounds written in 3 s; EXIT obeyed after %lld ms\n", written.load(),
                static_cast<long long>(obeyedAfter));
    RecordProperty("exit_obeyed_ms", static_cast<int>(obeyedAfter));

    EXPECT_GT(written.load(), 100);
    EXPECT_EQ(controller.exitState()->exitVal(), kCloseExitMarker);
    const QString lastLine = controller.messageText().section(QLatin1Char('\n'), -1);
    const QRegularExpressionMatch match = QRegularExpression(R"(^ \* flood (\d+)$)").match(lastLine);
    ASSERT_TRUE(match.hasMatch()) << lastLine.toStdString();
    EXPECT_LT(match.captured(1).toInt(), written.load());
}
