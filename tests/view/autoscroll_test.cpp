// Automatic scrolling against a fake view whose timers run on a fake clock:
// the arithmetic of steps and turns, the countdown, and when it stands still.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "view/autoscroller.h"

namespace {

class FakeView : public AutoScrollHost {
public:
    AutoScrollSettings settings;
    bool complete = true;
    bool active = true;
    bool holds = false;
    bool hasDocument = true;
    int top = 0;
    int clientHeight = 610;
    std::string pane = "unset";
    std::vector<int> moves;  // every ScrollDown, in pixels
    std::vector<bool> glides;
    std::vector<std::string> panes;  // every countdown text shown
    CAutoScroller* scroller = nullptr;

    // The fake clock: timers fire in the order they fall due.
    long now = 0;
    std::map<int, std::pair<int, long>> timers;  // id -> period, next due

    AutoScrollSettings Settings() override { return settings; }
    void StartTimer(int id, int periodMs) override { timers[id] = {periodMs, now + periodMs}; }
    void KillTimer(int id) override { timers.erase(id); }
    bool IsComplete() override { return complete; }
    bool FrameActive() override { return active; }
    bool UserHolds() override { return holds; }
    std::optional<int> ScrollTop() override { return hasDocument ? std::optional<int>(top) : std::nullopt; }
    void ScrollDown(int pixels, bool glide) override {
        moves.push_back(pixels);
        glides.push_back(glide);
        top += pixels;
    }
    int ClientHeight() override { return clientHeight; }
    void ShowCountdown(const std::string& text) override {
        pane = text;
        panes.push_back(text);
    }

    void Advance(long ms) {
        const long end = now + ms;
        for (;;) {
            int next = 0;
            long due = end + 1;
            for (auto& [id, t] : timers)
                if (t.second < due) {
                    due = t.second;
                    next = id;
                }
            if (!next) break;
            now = due;
            timers[next].second += timers[next].first;
            scroller->OnTimer(next);
        }
        now = end;
    }
    int Moved() const {
        int sum = 0;
        for (int m : moves) sum += m;
        return sum;
    }
};

class AutoScroll : public ::testing::Test {
protected:
    AutoScroll() { view.scroller = &scroller; }
    void PageMode(int period, int pageSpeed) {
        view.settings.type = 1;
        view.settings.period = period;
        view.settings.pageSpeed = pageSpeed;
    }
    FakeView view;
    CAutoScroller scroller{view};
};

TEST_F(AutoScroll, ContinuousSpeedThreeMovesThirtyPixelsASecondOnlyWhileActiveAndComplete) {
    view.settings.smoothSpeed = 3;
    scroller.StartAutoScroll();
    EXPECT_TRUE(scroller.IsAutoScrolling());
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 1u);
    EXPECT_EQ(view.timers.count(CAutoScroller::kPageTimer), 0u);
    view.Advance(1000);
    EXPECT_EQ(view.Moved(), 30);
    EXPECT_EQ(view.moves.size(), 10u);
    EXPECT_TRUE(view.glides.front());

    view.active = false;  // another application in front
    view.Advance(1000);
    EXPECT_EQ(view.Moved(), 30);
    view.active = true;
    view.complete = false;  // a new page loading
    view.Advance(1000);
    EXPECT_EQ(view.Moved(), 30);
    // Paused, it is still on: the check mark stays.
    EXPECT_TRUE(scroller.IsAutoScrolling());
    view.complete = true;
    // The speed is read at every tick.
    view.settings.smoothSpeed = 5;
    view.Advance(200);
    EXPECT_EQ(view.Moved(), 40);
}

TEST_F(AutoScroll, CountdownRunsFromPeriodLessOneToZeroAndStartsAgainAfterTheTurn) {
    PageMode(5, 0);
    scroller.StartAutoScroll();
    EXPECT_EQ(view.timers.count(CAutoScroller::kPageTimer), 1u);
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 0u);
    view.panes.clear();
    view.Advance(4000);
    EXPECT_EQ(view.panes, (std::vector<std::string>{"4", "3", "2", "1"}));
    EXPECT_TRUE(view.moves.empty());
    view.Advance(1000);
    EXPECT_EQ(view.pane, "0");
    EXPECT_EQ(view.moves, std::vector<int>{600});
    view.Advance(1000);
    EXPECT_EQ(view.pane, "4");
    view.Advance(4000);
    EXPECT_EQ(view.moves, (std::vector<int>{600, 600}));

    // Without "show time" the pane is empty rather than stuck at a number.
    view.settings.showTime = 0;
    view.Advance(1000);
    EXPECT_EQ(view.pane, "");
}

TEST_F(AutoScroll, JumpTurnsByOneScreenLessTenPixelsAtTheCurrentZoom) {
    struct Row {
        const char* name;
        int height, zoom, expected;
    };
    for (const Row& row : {Row{"zoom 100", 610, 100, 600}, Row{"zoom 200", 610, 200, 295},
                           Row{"zoom 50", 610, 50, 1210}, Row{"zoom 300", 400, 300, 123}}) {
        FakeView v;
        CAutoScroller s(v);
        v.scroller = &s;
        v.settings.type = 1;
        v.settings.period = 1;
        v.settings.pageSpeed = 0;
        v.settings.zoom = row.zoom;
        v.clientHeight = row.height;
        s.StartAutoScroll();
        v.Advance(1000);
        EXPECT_EQ(v.moves, std::vector<int>{row.expected}) << row.name;
        EXPECT_FALSE(v.glides.front()) << row.name;
    }
}

TEST_F(AutoScroll, AnimatedTurnSlidesFiftyNineStepsOfTenPixelsAndTheCountWaitsForIt) {
    PageMode(2, 5);
    scroller.StartAutoScroll();
    view.Advance(2000);  // the count reaches 2: the turn starts
    EXPECT_EQ(scroller.TurnRemaining(), 600);
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 1u);
    view.panes.clear();
    view.Advance(5800);  // 58 steps; the page timer does nothing meanwhile
    EXPECT_TRUE(view.panes.empty());
    EXPECT_EQ(view.moves.size(), 58u);
    EXPECT_EQ(scroller.TurnRemaining(), 20);
    view.Advance(100);  // the 59th step ends the turn
    EXPECT_EQ(view.moves.size(), 59u);
    EXPECT_EQ(view.Moved(), 590);
    EXPECT_EQ(scroller.TurnRemaining(), 0);
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 0u);
    for (size_t i = 0; i < view.moves.size(); ++i) ASSERT_EQ(view.moves[i], 10) << i;
    // Back to waiting: the count starts again from the full period.
    view.Advance(1000);
    EXPECT_EQ(view.pane, "1");
    EXPECT_TRUE(scroller.IsAutoScrolling());

    // The page speed is read at every step: speed 1 slides 2 pixels a step.
    view.moves.clear();
    view.settings.pageSpeed = 1;
    view.Advance(100);  // the next turn starts
    view.Advance(300);
    EXPECT_EQ(view.moves, (std::vector<int>{2, 2, 2}));
}

TEST_F(AutoScroll, ManualScrollRestartsTheCountAndAnotherWindowHoldsIt) {
    PageMode(5, 0);
    scroller.StartAutoScroll();
    view.Advance(3000);
    EXPECT_EQ(scroller.ElapsedSeconds(), 3);
    view.top = 250;  // the reader scrolls by hand
    view.Advance(1000);
    EXPECT_EQ(scroller.ElapsedSeconds(), 1);
    view.Advance(3000);
    EXPECT_TRUE(view.moves.empty()) << "five seconds since the hand scroll have not passed";
    view.Advance(1000);
    EXPECT_EQ(view.moves, std::vector<int>{600});

    // Inactive: the pane still shows, the count does not move on.
    view.Advance(2000);
    view.active = false;
    view.panes.clear();
    view.Advance(3000);
    EXPECT_EQ(view.panes, (std::vector<std::string>{"2", "2", "2"}));
    EXPECT_EQ(scroller.ElapsedSeconds(), 2);
    // A loading page neither counts nor touches the pane.
    view.active = true;
    view.complete = false;
    view.panes.clear();
    view.Advance(3000);
    EXPECT_TRUE(view.panes.empty());
    EXPECT_EQ(scroller.ElapsedSeconds(), 2);
    EXPECT_EQ(view.moves.size(), 1u);
}

TEST_F(AutoScroll, ToggledOffItKillsItsTimersClearsThePaneAndIgnoresLateTicks) {
    PageMode(5, 5);
    scroller.StartAutoScroll();
    view.Advance(5000);
    EXPECT_NE(scroller.TurnRemaining(), 0);
    scroller.StopAutoScroll();
    EXPECT_FALSE(scroller.IsAutoScrolling());
    EXPECT_TRUE(view.timers.empty());
    EXPECT_EQ(view.pane, "");
    EXPECT_EQ(scroller.ElapsedSeconds(), 0);
    EXPECT_EQ(scroller.TurnRemaining(), 0);
    const size_t moved = view.moves.size();
    scroller.OnTimer(CAutoScroller::kStepTimer);  // already queued when killed
    scroller.OnTimer(CAutoScroller::kPageTimer);
    EXPECT_EQ(view.moves.size(), moved);
    EXPECT_EQ(view.pane, "");

    // Starting again takes the mode now set.
    view.settings.type = 0;
    scroller.StartAutoScroll();
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 1u);
    EXPECT_EQ(view.timers.count(CAutoScroller::kPageTimer), 0u);
}

TEST_F(AutoScroll, SettingsChangedMidRunNeverStallOrCountBelowZero) {
    // A period shortened below the seconds counted turns at the next tick.
    PageMode(60, 0);
    scroller.StartAutoScroll();
    view.Advance(10000);
    view.settings.period = 5;
    view.panes.clear();
    view.Advance(1000);
    EXPECT_EQ(view.panes, std::vector<std::string>{"0"});
    EXPECT_EQ(view.moves, std::vector<int>{600});
    view.Advance(1000);
    EXPECT_EQ(view.pane, "4");

    // A page speed set to 0 during a slide jumps the rest: the turn ends.
    view.moves.clear();
    view.settings.pageSpeed = 5;
    view.Advance(4000);  // the next turn starts
    view.Advance(300);   // three steps: 570 left
    view.settings.pageSpeed = 0;
    view.Advance(100);
    EXPECT_EQ(view.moves, (std::vector<int>{10, 10, 10, 570}));
    EXPECT_EQ(scroller.TurnRemaining(), 0);
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 0u);
    view.Advance(1000);
    EXPECT_EQ(view.pane, "4");  // counting again towards the next turn
}

TEST_F(AutoScroll, AViewTooLowToTurnNeverScrollsUp) {
    PageMode(1, 0);
    view.clientHeight = 8;
    scroller.StartAutoScroll();
    view.Advance(3000);
    EXPECT_TRUE(view.moves.empty());
    PageMode(1, 5);
    view.Advance(3000);
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(view.timers.count(CAutoScroller::kStepTimer), 0u);
}

TEST_F(AutoScroll, AHeldSelectionOrButtonStopsBothModesAndATurnWaitsForTheRelease) {
    view.settings.smoothSpeed = 2;
    scroller.StartAutoScroll();
    view.holds = true;
    view.Advance(1000);
    EXPECT_TRUE(view.moves.empty());
    view.holds = false;
    view.Advance(500);
    EXPECT_EQ(view.Moved(), 10);

    view.moves.clear();
    PageMode(3, 0);
    scroller.StartAutoScroll();
    view.holds = true;
    view.Advance(5000);
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(view.pane, "0");  // due, waiting
    view.holds = false;
    view.Advance(1000);
    EXPECT_EQ(view.moves, std::vector<int>{600});

    // A slide pauses where it is and goes on afterwards.
    view.moves.clear();
    view.settings.pageSpeed = 5;
    view.Advance(3000);
    view.Advance(200);
    view.holds = true;
    view.Advance(1000);
    EXPECT_EQ(view.moves.size(), 2u);
    view.holds = false;
    view.Advance(5700);
    EXPECT_EQ(view.Moved(), 590);
}

TEST_F(AutoScroll, WithoutADocumentAPageTickDoesNothing) {
    PageMode(1, 0);
    view.hasDocument = false;
    scroller.StartAutoScroll();
    view.Advance(3000);
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(scroller.ElapsedSeconds(), 0);
}

}  // namespace
