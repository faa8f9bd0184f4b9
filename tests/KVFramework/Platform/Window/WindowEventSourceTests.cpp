#include "Platform/Window/ScriptedWindowEventSource.h"

#include <gtest/gtest.h>

#include <vector>

using namespace KV;
using namespace KV::Platform;

namespace {

WindowEvent Event(WindowEventType type, uint32_t windowId = 0)
{
    WindowEvent event;
    event.type = type;
    event.windowId = windowId;
    return event;
}

class RecordingHandler : public WindowEventHandler
{
public:
    void OnWindowEvent(const WindowEvent& event) override { types.push_back(event.type); }
    std::vector<WindowEventType> types;
};

} // namespace

TEST(WindowEventSource, PaintsComeOncePerWindowAfterEveryWaitingEvent)
{
    ScriptedWindowEventSource source;
    source.Push(Event(WindowEventType::ButtonDown, 1));
    source.RequestPaint(1);
    source.RequestPaint(2);
    source.RequestPaint(1);
    source.Push(Event(WindowEventType::KeyDown, 2));

    std::vector<std::pair<WindowEventType, uint32_t>> got;
    WindowEvent event;
    while (source.WaitEvent(event, 0))
        got.emplace_back(event.type, event.windowId);
    const std::vector<std::pair<WindowEventType, uint32_t>> expected{{WindowEventType::ButtonDown, 1},
                                                                     {WindowEventType::KeyDown, 2},
                                                                     {WindowEventType::Paint, 1},
                                                                     {WindowEventType::Paint, 2}};
    EXPECT_EQ(expected, got);
}

TEST(WindowEventSource, TicksEndWaitsAtTheirIntervalAndDoNotPileUp)
{
    ScriptedWindowEventSource source;
    source.SetTickInterval(33);
    WindowEvent event;
    // A wait for ever ends with the tick after 33 ms.
    ASSERT_TRUE(source.WaitEvent(event, INFINITE_WAIT));
    EXPECT_EQ(WindowEventType::Tick, event.type);
    EXPECT_EQ(33u, source.GetNow());
    // A shorter wait ends first, without a tick.
    EXPECT_FALSE(source.WaitEvent(event, 10));
    EXPECT_EQ(43u, source.GetNow());
    // A loop busy for ten intervals gets one tick, then waits a whole interval again.
    source.Advance(330);
    ASSERT_TRUE(source.WaitEvent(event, 0));
    EXPECT_EQ(WindowEventType::Tick, event.type);
    EXPECT_FALSE(source.WaitEvent(event, 0));
    ASSERT_TRUE(source.WaitEvent(event, INFINITE_WAIT));
    EXPECT_EQ(WindowEventType::Tick, event.type);
    EXPECT_EQ(373u + 33u, source.GetNow());
    // Without ticks a wait for ever on an empty script returns.
    source.SetTickInterval(0);
    EXPECT_FALSE(source.WaitEvent(event, INFINITE_WAIT));
}

TEST(WindowEventSource, DispatchReachesTheWindowRegisteredForTheId)
{
    ScriptedWindowEventSource source;
    RecordingHandler first, second;
    source.AddHandler(1, &first);
    source.AddHandler(2, &second);
    EXPECT_TRUE(source.Dispatch(Event(WindowEventType::FocusGained, 2)));
    EXPECT_FALSE(source.Dispatch(Event(WindowEventType::Tick)));
    // A window that is gone gets neither events nor the paint it asked for.
    source.RequestPaint(1);
    source.RemoveHandler(1);
    EXPECT_FALSE(source.Dispatch(Event(WindowEventType::CloseRequest, 1)));
    WindowEvent event;
    EXPECT_FALSE(source.WaitEvent(event, 0));
    EXPECT_TRUE(first.types.empty());
    EXPECT_EQ(std::vector<WindowEventType>{WindowEventType::FocusGained}, second.types);
}

TEST(WindowEventSource, EveryWindowHearsOnceThatTheSystemWokeFromSleep)
{
    ScriptedWindowEventSource source;
    RecordingHandler first, second;
    source.AddHandler(1, &first);
    source.AddHandler(2, &second);
    source.Sleep(60000); // slept before the first wait: nothing to tell
    WindowEvent event;
    EXPECT_FALSE(source.WaitEvent(event, 0));

    source.Push(Event(WindowEventType::KeyDown, 1));
    source.Sleep(5000);
    std::vector<std::pair<WindowEventType, uint32_t>> got;
    while (source.WaitEvent(event, 0))
        got.emplace_back(event.type, event.windowId);
    const std::vector<std::pair<WindowEventType, uint32_t>> expected{
        {WindowEventType::Resumed, 1}, {WindowEventType::Resumed, 2}, {WindowEventType::KeyDown, 1}};
    EXPECT_EQ(expected, got);

    // The clocks' wobble is no sleep.
    source.Sleep(999);
    EXPECT_FALSE(source.WaitEvent(event, 0));
}
