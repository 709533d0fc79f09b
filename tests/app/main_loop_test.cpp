#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "app/frame_pacing.h"
#include "app/main_loop.h"
#include "render/input_watch.h"

namespace {

// A keyboard and cursor that only change when the test says so.
class StillInput : public InputSource {
public:
    void ReadKeyboard(uint8_t keys[256]) override
    {
        for (int code = 0; code < 256; ++code) {
            keys[code] = 0;
        }
        keys[0x41] = keyA;
    }
    void ReadCursor(int32_t& x, int32_t& y) override
    {
        x = cursorX;
        y = 0;
    }
    uint8_t keyA = 0;
    int32_t cursorX = 0;
};

// A scripted platform: a queue of messages, a clock that waiting and drawing
// advance, a message that may arrive during a wait, a log of what the loop did,
// and a quit that arrives as the next message.
class FakeHost : public MainLoopHost {
public:
    MessagePass PumpOneMessage(int& exitCode) override
    {
        if (pending.empty()) {
            if (++idlePasses > idlePassLimit) {
                exitCode = -1;  // stops a loop that would run on for ever
                return MessagePass::Quit;
            }
            return MessagePass::QueueEmpty;
        }
        const char kind = pending.front();
        pending.pop_front();
        clock += millisecondsPerMessage;
        if (kind == 'k') {
            keyboard->keyA = 0x80;  // the thread's key state follows the removed messages
        }
        if (kind == 'Q') {
            exitCode = 0;
            log += 'Q';
            return MessagePass::Quit;
        }
        if (kind == 't') {
            log += 't';
            return MessagePass::Touched;  // the key state shows nothing of it
        }
        log += 'm';
        return MessagePass::Dispatched;
    }
    uint32_t Milliseconds() override { return clock; }
    void WaitForMessageOrTimeout(uint32_t milliseconds) override
    {
        waits.push_back(milliseconds);
        log += 'w';
        if (arrival != 0 && arrivalDelay < milliseconds) {
            clock += arrivalDelay;
            pending.push_back(arrival);
            arrival = 0;
        } else {
            clock += milliseconds;
        }
    }
    void DrawFrame() override
    {
        frameStarts.push_back(clock);
        clock += drawMilliseconds;
        if (displayFrameMs != 0) {
            clock += displayFrameMs - clock % displayFrameMs;
        }
        log += 'F';
        if (onFrame) {
            onFrame(*this);
        }
    }
    void WaitForMessage() override { WaitForMessageOrTimeout(displayFrameMs); }
    bool OutputIsFullScreen() override { return fullScreen; }
    bool OutputIsVisible() override { return true; }
    void RequestQuit() override { pending.push_back('Q'); }

    std::deque<char> pending;
    uint32_t clock = 0;
    uint32_t millisecondsPerMessage = 0;
    uint32_t drawMilliseconds = 0;
    uint32_t displayFrameMs = 0;  // drawing waits until the display's next frame
    char arrival = 0;  // arrives arrivalDelay into the next wait
    uint32_t arrivalDelay = 0;
    StillInput* keyboard = nullptr;
    std::vector<uint32_t> waits;
    bool fullScreen = false;
    int idlePasses = 0;
    int idlePassLimit = 1000;
    std::string log;
    std::vector<uint32_t> frameStarts;
    void (*onFrame)(FakeHost&) = nullptr;
};

TEST(FrameIsDueTest, UsesTheUnsignedDifference)
{
    struct Case {
        uint32_t now;
        uint32_t last;
        bool due;
    } cases[] = {
        {0, 0, false},        {15, 0, false},       {16, 0, true},        {17, 0, true},
        {1000, 985, false},   {1000, 984, true},    {5, 0xFFFFFFF6u, false},  // 15 ms across the wrap
        {6, 0xFFFFFFF6u, true},  // 16 ms across the wrap
        {0xFFFFFFFFu, 0xFFFFFFF0u, false}, {0, 0xFFFFFFF0u, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameIsDue(c.now, c.last), c.due) << c.now << " after " << c.last;
    }
}

TEST(FrameIsDueTest, WaitEndsWhenTheNextFrameIsDue)
{
    struct Case {
        uint32_t now;
        uint32_t last;
        uint32_t wait;
    } cases[] = {
        {0, 0, 16}, {5, 0, 11}, {15, 0, 1}, {16, 0, 0}, {1000, 0, 0},
        {5, 0xFFFFFFF6u, 1}, {0, 0xFFFFFFFFu, 15}, {3, 0xFFFFFFFEu, 11},  // across the wrap
        {0xFFFFFFF0u, 0, 0},  // long overdue
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MillisecondsUntilNextFrame(c.now, c.last), c.wait) << c.now << " after " << c.last;
    }
}

TEST(MainLoopTest, WaitsUntilTheNextFrameAndHandlesAMessageArrivingMeanwhileFirst)
{
    for (const bool fullScreen : {false, true}) {
        FakeHost host;
        host.fullScreen = fullScreen;
        host.clock = 100;
        host.drawMilliseconds = 5;
        host.arrival = 'k';
        host.arrivalDelay = 3;
        host.idlePassLimit = 3;
        StillInput input;
        host.keyboard = &input;
        InputWatch watch(input);
        uint32_t lastFrameTime = 0;

        RunMainLoop(host, watch, lastFrameTime);
        if (fullScreen) {
            EXPECT_EQ(host.log, "FwmQ");  // the key is seen without waiting for the frame
        } else {
            EXPECT_EQ(host.log, "FwmwFw");
            EXPECT_EQ(host.waits, (std::vector<uint32_t>{11, 8, 11}));
            EXPECT_EQ(host.frameStarts, (std::vector<uint32_t>{100, 116}));
        }
    }
}

TEST(MainLoopTest, FirstIdlePassDrawsAtOnceThenFramesStartSixteenMillisecondsApart)
{
    FakeHost host;
    host.clock = 5000;
    host.idlePassLimit = 60;
    StillInput input;
    InputWatch watch(input);
    uint32_t lastFrameTime = 0;

    EXPECT_EQ(RunMainLoop(host, watch, lastFrameTime), -1);
    ASSERT_GE(host.frameStarts.size(), 3u);
    EXPECT_EQ(host.frameStarts[0], 5000u);
    for (size_t k = 1; k < host.frameStarts.size(); ++k) {
        EXPECT_EQ(host.frameStarts[k] - host.frameStarts[k - 1], frameInterval);
    }
    // Drawing takes no time here, so each frame is followed by one full wait.
    EXPECT_EQ(host.log.substr(0, 6), "FwFwFw");
    EXPECT_EQ(host.waits[0], frameInterval);
}

TEST(MainLoopTest, KeepsPacingWhenTheClockWrapsPastItsMaximum)
{
    FakeHost host;
    host.clock = 0xFFFFFFFFu - 20;
    host.idlePassLimit = 5;
    host.drawMilliseconds = 5;
    StillInput input;
    InputWatch watch(input);
    uint32_t lastFrameTime = host.clock - 16;

    RunMainLoop(host, watch, lastFrameTime);
    ASSERT_GE(host.frameStarts.size(), 4u);
    for (size_t k = 1; k < host.frameStarts.size(); ++k) {
        EXPECT_EQ(static_cast<uint32_t>(host.frameStarts[k] - host.frameStarts[k - 1]), frameInterval);
    }
    EXPECT_LT(host.frameStarts.back(), 100u);  // the clock did wrap
    for (const uint32_t wait : host.waits) {
        EXPECT_EQ(wait, frameInterval - 5);  // never negative or huge across the wrap
    }
}

TEST(MainLoopTest, MessagesArrivingContinuouslyDrawNoFrame)
{
    FakeHost host;
    host.clock = 1000;
    host.millisecondsPerMessage = 5;  // far longer than a frame interval in all
    host.pending.assign(40, 'm');
    host.pending.push_back('Q');
    StillInput input;
    InputWatch watch(input);
    uint32_t lastFrameTime = 0;

    EXPECT_EQ(RunMainLoop(host, watch, lastFrameTime), 0);
    EXPECT_EQ(host.log, std::string(40, 'm') + "Q");
    EXPECT_EQ(lastFrameTime, 0u);
}

TEST(MainLoopTest, FirstIdlePassAfterTheQueueEmptiesDrawsWhenDue)
{
    FakeHost host;
    host.clock = 1000;
    host.millisecondsPerMessage = 10;
    host.idlePassLimit = 1;
    host.pending.assign(3, 'm');
    StillInput input;
    InputWatch watch(input);
    uint32_t lastFrameTime = 1000;

    RunMainLoop(host, watch, lastFrameTime);
    EXPECT_EQ(host.log, "mmmFw");
    EXPECT_EQ(lastFrameTime, 1030u);
}

TEST(MainLoopTest, QuitAlreadyQueuedEndsWithoutAnIdlePass)
{
    FakeHost host;
    host.pending = {'m', 'Q'};
    StillInput input;
    InputWatch watch(input);
    uint32_t lastFrameTime = 0;

    EXPECT_EQ(RunMainLoop(host, watch, lastFrameTime), 0);
    EXPECT_EQ(host.log, "mQ");
}

TEST(MainLoopTest, ActivityEndsOnlyTheFullScreenOutput)
{
    for (const bool fullScreen : {true, false}) {
        FakeHost host;
        host.fullScreen = fullScreen;
        host.clock = 100;
        host.idlePassLimit = 40;
        static StillInput input;
        input = StillInput();
        InputWatch watch(input);
        uint32_t lastFrameTime = 0;
        host.onFrame = [](FakeHost& h) {
            if (h.frameStarts.size() == 1) {
                input.cursorX += 1;
            }
        };

        const int exitCode = RunMainLoop(host, watch, lastFrameTime);
        if (fullScreen) {
            EXPECT_EQ(exitCode, 0);
            // A move without a message is seen after the fourth frame, in its idle pass.
            EXPECT_EQ(host.log, "FwFwFwFQ");
        } else {
            EXPECT_EQ(exitCode, -1);  // still running when the fake stopped it
        }
    }
}

TEST(FramePacingTest, RefreshesPerFrameKeepAtMost120FramesASecond)
{
    const int32_t cases[][2] = {{0, 1},   {1, 1},   {59, 1},  {60, 1},  {75, 1},  {120, 1},
                                {121, 2}, {144, 2}, {165, 2}, {240, 2}, {241, 3}, {360, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(RefreshesPerFrame(c[0]), c[1]) << c[0] << " Hz";
    }
}

// The loop with a display whose frames last the given time (drawing waits
// for its next frame when waits is set), after twelve frames of measuring.
TEST(FramePacingTest, FollowsTheDisplayOnlyWherePresentingWaits)
{
    struct {
        uint32_t displayFrameUs;
        bool presentingWaits;
        uint32_t drawMs;
        Pacing chosen;
        uint32_t frameSpacingMs;
    } const cases[] = {
        {16667, true, 2, Pacing::Display, 0},   // 60 Hz: every refresh
        {13889, true, 2, Pacing::Display, 0},   // 144 Hz, every second refresh
        {16667, false, 2, Pacing::Timer, 16},   // a swap interval the driver accepts but ignores
        {16667, false, 14, Pacing::Timer, 16},  // slow first frames look paced, later ones give it away
        {0, false, 2, Pacing::Timer, 16},       // no swap control
    };
    for (const auto& c : cases) {
        FakeHost host;
        host.clock = 1000;
        host.drawMilliseconds = c.drawMs;
        host.displayFrameMs = c.presentingWaits ? c.displayFrameUs / 1000 : 0;
        host.idlePassLimit = 120;
        StillInput input;
        InputWatch watch(input);
        uint32_t lastFrameTime = 0;
        FramePacing pacing(c.displayFrameUs);
        RunMainLoop(host, watch, lastFrameTime, &pacing);
        EXPECT_EQ(pacing.Current(), c.chosen) << c.displayFrameUs << " us, waits " << c.presentingWaits;
        const size_t n = host.frameStarts.size();
        ASSERT_GT(n, size_t{FramePacing::framesMeasured + 2});
        const uint32_t spacing = host.frameStarts[n - 1] - host.frameStarts[n - 2];
        if (c.frameSpacingMs != 0) {
            EXPECT_EQ(spacing, c.frameSpacingMs);
        } else {
            EXPECT_EQ(spacing, host.displayFrameMs) << "one frame per display frame";
            EXPECT_EQ(host.log.substr(host.log.size() - 6), "FFFFFF") << "no timer between frames";
        }
    }
}

// A tap or a wheel turn: only its message tells, and it ends the saver before
// the next frame however many messages come with it.
TEST(MainLoopTest, TouchMessageEndsOnlyTheFullScreenOutputAtOnce)
{
    for (const bool fullScreen : {true, false}) {
        FakeHost host;
        host.fullScreen = fullScreen;
        host.pending = {'m', 't', 'm'};
        host.idlePassLimit = 3;
        StillInput input;
        InputWatch watch(input);
        uint32_t lastFrameTime = 0;

        EXPECT_EQ(RunMainLoop(host, watch, lastFrameTime), fullScreen ? 0 : -1);
        EXPECT_TRUE(!fullScreen || host.log == "mtmQ") << host.log;
    }
}

}  // namespace
