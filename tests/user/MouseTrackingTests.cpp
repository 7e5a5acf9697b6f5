// Mouse tracking: a leave request ends when the screen's cursor leaves the
// client area, a hover request after the hover time on the machine's clock.
#include "ControlTest.h"
#include "RecordingWindow.h"

#include "user/Input.h"
#include "user/MouseTracking.h"
#include "win32/Clock.h"

#include <gtest/gtest.h>

namespace {

class MouseTrackingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::now());
        win32::SetClock(clock);
        hwnd = RecordingClass::Get().Create(nullptr, WS_POPUP | WS_VISIBLE);
        PumpMessages();
        RecordingClass::Get().Take();
    }
    void TearDown() override
    {
        DestroyWindow(hwnd);
        win32::SetClock(nullptr);
    }

    BOOL Track(DWORD flags, DWORD hoverTime = HOVER_DEFAULT)
    {
        TRACKMOUSEEVENT request = {sizeof request, flags, hwnd, hoverTime};
        return TrackMouseEvent(&request);
    }
    int Count(UINT message)
    {
        PumpMessages();
        int n = 0;
        for (UINT m : RecordingClass::Get().Messages(hwnd))
            n += m == message;
        return n;
    }

    std::shared_ptr<win32::VirtualClock> clock;
    HWND hwnd = nullptr;
};

TEST_F(MouseTrackingTest, LeavingTheClientAreaPostsOneLeave)
{
    user::input::MouseMove({50, 60}); // the popup lies at (10, 20) to (310, 220)
    ASSERT_TRUE(Track(TME_LEAVE));
    user::input::MouseMove({60, 70});
    EXPECT_EQ(Count(WM_MOUSELEAVE), 0) << "still inside";
    user::input::MouseMove({400, 300});
    user::input::MouseMove({410, 300});
    EXPECT_EQ(Count(WM_MOUSELEAVE), 1) << "the request ends with its leave";

    // A request made while the cursor is elsewhere ends at once.
    ASSERT_TRUE(Track(TME_LEAVE));
    EXPECT_EQ(Count(WM_MOUSELEAVE), 1);
}

TEST_F(MouseTrackingTest, ACancelledRequestPostsNothing)
{
    user::input::MouseMove({50, 60});
    ASSERT_TRUE(Track(TME_LEAVE));
    TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, hwnd);
    EXPECT_EQ(query.dwFlags, TME_LEAVE);
    ASSERT_TRUE(Track(TME_CANCEL | TME_LEAVE));
    user::input::MouseMove({400, 300});
    EXPECT_EQ(Count(WM_MOUSELEAVE), 0);
}

TEST_F(MouseTrackingTest, HoverComesAfterTheHoverTimeWhileTheCursorStays)
{
    user::input::MouseMove({50, 60});
    ASSERT_TRUE(Track(TME_HOVER | TME_LEAVE, 100));
    clock->Advance(std::chrono::milliseconds(99));
    EXPECT_EQ(Count(WM_MOUSEHOVER), 0);
    clock->Advance(std::chrono::milliseconds(1));
    EXPECT_EQ(Count(WM_MOUSEHOVER), 1);
    clock->Advance(std::chrono::milliseconds(500));
    EXPECT_EQ(Count(WM_MOUSEHOVER), 0) << "a hover request ends with its hover";

    // The leave part of the request is still there.
    user::input::MouseMove({400, 300});
    EXPECT_EQ(Count(WM_MOUSELEAVE), 1);
}

TEST_F(MouseTrackingTest, NoHoverWhenTheCursorLeftBeforeTheTime)
{
    user::input::MouseMove({50, 60});
    ASSERT_TRUE(Track(TME_HOVER, 100));
    user::input::MouseMove({400, 300});
    clock->Advance(std::chrono::milliseconds(200));
    EXPECT_EQ(Count(WM_MOUSEHOVER), 0);
}

} // namespace
