// The window core every backend shares: its arithmetic, what it asks of the
// platform, and what it posts.
#include "host/common/window_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace {

using host::Rect;

struct Recorder : host::common::WindowPlatform, host::MessageQueue, host::Trace {
    std::vector<std::string> calls;
    std::vector<std::string> lines;
    std::deque<host::Message> posted;
    bool open_ok = true;

    bool open_window(std::string_view, int w, int h) override {
        calls.push_back("open " + std::to_string(w) + "x" + std::to_string(h));
        return open_ok;
    }
    void close_window() override { calls.push_back("close"); }
    void retitle_window(std::string_view t) override { calls.push_back("title " + std::string(t)); }
    void place_window(const Rect& c) override {
        calls.push_back("place " + std::to_string(c.left) + "," + std::to_string(c.top) + " " +
                        std::to_string(c.width()) + "x" + std::to_string(c.height()));
    }
    void show_window(bool maximized) override { calls.push_back(maximized ? "show max" : "show"); }
    void limit_window(int a, int b, int c, int d) override {
        calls.push_back("limit " + std::to_string(a) + "x" + std::to_string(b) + " " +
                        std::to_string(c) + "x" + std::to_string(d));
    }
    Rect work_area() const override { return Rect{0, 30, 800, 570}; }
    int screen_width() const override { return 800; }
    int screen_height() const override { return 600; }
    void beep() override { calls.push_back("beep"); }
    void show_message_box(std::string_view t) override { calls.push_back("box " + std::string(t)); }

    bool peek_message(host::Message& out) override {
        if (posted.empty()) return false;
        out = posted.front();
        posted.pop_front();
        return true;
    }
    void wait_message() override {}
    void post_message(const host::Message& m) override { posted.push_back(m); }
    host::Modifiers key_state() const override { return {}; }
    void event(std::string_view word, std::string_view args) override {
        lines.push_back(std::string(word) + (args.empty() ? "" : " ") + std::string(args));
    }
};

struct WindowCoreTest : ::testing::Test {
    Recorder r;
    host::common::WindowCore core{r, r, r};
};

TEST(WindowArithmetic, ClientAndOuterRectanglesAreInverseAndNeverNegative) {
    const host::FrameMetrics f = host::common::standard_frame;
    const Rect outer{10, 20, 670, 540};
    const Rect client = host::common::client_rect_for(outer, f);
    EXPECT_EQ(client.left, 14);
    EXPECT_EQ(client.top, 47);
    EXPECT_EQ(client.width(), 652);
    EXPECT_EQ(client.height(), 489);
    const Rect back = host::common::outer_rect_for(client, f);
    EXPECT_EQ(back.left, outer.left);
    EXPECT_EQ(back.top, outer.top);
    EXPECT_EQ(back.right, outer.right);
    EXPECT_EQ(back.bottom, outer.bottom);
    for (const int outer_size : {-5, 0, 7, 8, 30}) {
        EXPECT_GE(host::common::client_width_for(outer_size, f), 0) << outer_size;
        EXPECT_GE(host::common::client_height_for(outer_size, f), 0) << outer_size;
    }
    EXPECT_EQ(host::common::client_height_for(31, f), 0);
    EXPECT_EQ(host::common::client_height_for(32, f), 1);
}

TEST_F(WindowCoreTest, CallsBeforeTheWindowExistsReachNeitherPlatformNorTrace) {
    core.move_size(1, 2, 300, 200);
    core.show(true);
    core.set_size_limits(1, 1, 2, 2);
    core.destroy();
    EXPECT_TRUE(r.calls.empty());
    EXPECT_TRUE(r.lines.empty());
    EXPECT_TRUE(r.posted.empty());

    r.open_ok = false;
    EXPECT_FALSE(core.create("t", 300, 200));
    EXPECT_FALSE(core.exists());
    EXPECT_TRUE(r.lines.empty());
}

TEST_F(WindowCoreTest, MaximizingFillsTheWorkAreaAndRepaintsTheNewClient) {
    ASSERT_TRUE(core.create("t", 300, 200));
    core.set_size_limits(100, 80, 700, 560);
    core.show(true);
    const Rect outer = core.window_rect();
    EXPECT_EQ(outer.left, -4);
    EXPECT_EQ(outer.top, 26);
    EXPECT_EQ(outer.right, 804);
    EXPECT_EQ(outer.bottom, 574);
    EXPECT_EQ(core.client_width(), 800);
    EXPECT_EQ(core.client_height(), 540 - 23);
    EXPECT_EQ(core.canvas().width(), 800);
    ASSERT_EQ(r.posted.size(), 1u);
    EXPECT_EQ(r.posted.front().kind, host::MessageKind::paint);
    EXPECT_EQ(r.posted.front().rect.width(), 800);
    EXPECT_EQ(r.posted.front().rect.height(), 517);
    EXPECT_EQ(r.calls,
              (std::vector<std::string>{"open 292x169", "limit 92x49 692x529", "show max"}));
    EXPECT_EQ(r.lines,
              (std::vector<std::string>{"window-create 292 169", "title t", "show maximized"}));
}

TEST_F(WindowCoreTest, TheUsersMovesAndResizesKeepTheOtherCorner) {
    ASSERT_TRUE(core.create("t", 300, 200));
    core.move_size(100, 50, 300, 200);
    EXPECT_EQ(r.calls.back(), "place 104,77 292x169");
    core.note_moved(204, 177);  // the client dragged by 100,100
    EXPECT_EQ(core.window_rect().left, 200);
    EXPECT_EQ(core.window_rect().top, 150);
    EXPECT_EQ(core.window_rect().right, 500);
    core.note_resized(400, 300);
    EXPECT_EQ(core.window_rect().left, 200);
    EXPECT_EQ(core.window_rect().top, 150);
    EXPECT_EQ(core.window_rect().right, 608);
    EXPECT_EQ(core.window_rect().bottom, 481);
    EXPECT_EQ(core.client_width(), 400);
    ASSERT_FALSE(r.posted.empty());
    EXPECT_EQ(r.posted.back().rect.height(), 300);
    // Focus is the platform's to tell; a window not told stays inactive.
    EXPECT_FALSE(core.is_active());
    core.note_active(true);
    EXPECT_TRUE(core.is_active());
    core.destroy();
    EXPECT_FALSE(core.is_active());
}

TEST_F(WindowCoreTest, ASecondCreateReplacesTheFirstWindow) {
    ASSERT_TRUE(core.create("a", 300, 200));
    ASSERT_TRUE(core.create("b", 100, 100));
    core.destroy();
    core.destroy();
    EXPECT_EQ(r.calls, (std::vector<std::string>{"open 292x169", "close", "open 92x69", "close"}));
    EXPECT_EQ(r.lines.back(), "window-destroy");
    EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "window-destroy"), 1);
}

}  // namespace
