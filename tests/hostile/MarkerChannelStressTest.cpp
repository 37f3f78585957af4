// The message channel under an agent that works as fast as it can, against
// the real facade polling without pause. Two agent patterns, 20 000 rounds
// each, bounded in time:
//   rule-following: wait until MESG is gone, then APND (for an append) and
//     MESG; every message must arrive, each with its own append flag;
//   replacing: publish MESG after MESG without waiting; every message the
//     dialog took before the next one was published must arrive.
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "VuaAPI.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <map>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kRounds = 20000;
constexpr auto kBound = std::chrono::seconds(240);

struct Received
{
    int number;
    bool append;
    bool markedAppend;
};

// "17a" -> {17, true}; "18r" -> {18, false}.
Received Parse(const QString& text, bool append)
{
    const QString body = text.trimmed();
    return Received{body.chopped(1).toInt(), append, body.endsWith(QLatin1Char('a'))};
}

class ChannelStress : public ::testing::Test
{
protected:
    void SetUp() override
    {
        api.setTeardownWait(std::chrono::milliseconds(0));
        ASSERT_EQ(api.setup(QStringList{"VUserAlert", "-suffix=stress", "-ok", "-timeout=300"}), 0);
    }

    // Polls the facade until the agent is done and nothing is left.
    std::vector<Received> poll(const std::atomic<bool>& agentDone)
    {
        std::vector<Received> received;
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        const VUAMarkerMgr probe(std::string("stress"));
        while (std::chrono::steady_clock::now() < deadline) {
            const bool done = agentDone.load();
            if (const std::optional<MessageState> message = api.checkMessage()) {
                received.push_back(Parse(message->message(), message->isAppend()));
            } else if (done && !probe.Exists(MARKER_MESG)) {
                break;
            }
        }
        return received;
    }

    TempAgentRoot root;
    VuaAPI api;
};

bool WaitGone(const VUAMarkerMgr& markers, VUA_MarkerType type,
              std::chrono::steady_clock::time_point deadline)
{
    while (markers.Exists(type)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

} // namespace

TEST_F(ChannelStress, RuleFollowingAgentLosesAndMisappliesNothing)
{
    std::atomic<bool> done{false};
    std::thread agent([&] {
        const VUAMarkerMgr markers(std::string("stress"));
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        for (int n = 0; n < kRounds && WaitGone(markers, MARKER_MESG, deadline); ++n) {
            const bool append = n % 2 == 0;
            if (append) {
                markers.Write(MARKER_APND);
            }
            markers.Publish(MARKER_MESG, std::to_string(n) + (append ? "a" : "r"));
        }
        done = true;
    });
    const std::vector<Received> received = poll(done);
    agent.join();

    int misapplied = 0;
    int outOfOrder = 0;
    for (size_t i = 0; i < received.size(); ++i) {
        misapplied += received[i].append != received[i].markedAppend ? 1 : 0;
        outOfOrder += received[i].number != static_cast<int>(i) ? 1 : 0;
    }
    const int lost = kRounds - static_cast<int>(received.size());
    std::cout << "rule-following: " << kRounds << " sent, " << lost << " lost, " << misapplied
              << " misapplied\n";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(misapplied, 0);
    EXPECT_EQ(outOfOrder, 0);
}

TEST_F(ChannelStress, ReplacingAgentLosesNoMessageTheDialogTook)
{
    std::vector<char> takenBeforeNext(kRounds, 0);
    std::atomic<bool> done{false};
    std::thread agent([&] {
        const VUAMarkerMgr markers(std::string("stress"));
        std::mt19937 random(7);
        for (int n = 0; n < kRounds; ++n) {
            if (n > 0) {
                takenBeforeNext[n - 1] = markers.Exists(MARKER_MESG) ? 0 : 1;
            }
            markers.Publish(MARKER_MESG, std::to_string(n) + "r");
            for (unsigned spin = random() % 64; spin > 0; --spin) {
                std::this_thread::yield();
            }
        }
        // Past the bound the poll has stopped: the last one was not taken.
        takenBeforeNext[kRounds - 1] =
            WaitGone(markers, MARKER_MESG, std::chrono::steady_clock::now() + kBound) ? 1 : 0;
        done = true;
    });
    const std::vector<Received> received = poll(done);
    agent.join();

    std::vector<char> seen(kRounds, 0);
    int misapplied = 0;
    int previous = -1;
    for (const Received& message : received) {
        const bool valid = message.number >= 0 && message.number < kRounds && message.number > previous &&
                           !message.append && !message.markedAppend;
        misapplied += valid ? 0 : 1;
        if (valid) {
            seen[message.number] = 1;
            previous = message.number;
        }
    }
    int lost = 0;
    int taken = 0;
    for (int n = 0; n < kRounds; ++n) {
        taken += takenBeforeNext[n];
        lost += takenBeforeNext[n] && !seen[n] ? 1 : 0;
    }
    std::cout << "replacing: " << kRounds << " sent, " << taken << " taken before the next, " << lost
              << " of them lost, " << misapplied << " misapplied\n";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(misapplied, 0);
    EXPECT_GT(taken, 0);
}
