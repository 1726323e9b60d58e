// The wave-out device through waveOut*: finished blocks come back as
// wave_done messages, in order, once the thread pumps its window messages; a
// reset reports every queued block at once; a close drops what is left.
// Needs a wave-out device (under Wine: ALSA's null device will do, see
// tests/win32/asound-null.conf).
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "host/win32/win32_audio.h"
#include "host/win32/win32_files.h"

namespace {

class Queue : public host::MessageQueue {
public:
    bool peek_message(host::Message& out) override {
        if (messages.empty()) return false;
        out = messages.front();
        messages.pop_front();
        return true;
    }
    void wait_message() override {}
    void post_message(const host::Message& m) override { messages.push_back(m); }
    host::Modifiers key_state() const override { return {}; }
    std::deque<host::Message> messages;
};

class Lines : public host::Trace {
public:
    void event(std::string_view word, std::string_view) override { words.emplace_back(word); }
    std::vector<std::string> words;
};

// The blocks reported done so far, after pumping for up to `ms`.
std::vector<uint32_t> done_after(Queue& queue, DWORD ms, size_t wanted) {
    std::vector<uint32_t> done;
    const DWORD until = GetTickCount() + ms;
    while (done.size() < wanted && GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        host::Message m;
        while (queue.peek_message(m))
            if (m.kind == host::MessageKind::wave_done) done.push_back(m.block_id);
        Sleep(5);
    }
    return done;
}

class WaveOut : public ::testing::Test {
protected:
    void SetUp() override {
        if (!audio.available()) GTEST_SKIP() << "no wave-out device";
    }
    Queue queue;
    Lines trace;
    host::win32::Win32Files files;
    host::win32::Win32Audio audio{queue, trace, files};
    const std::vector<uint8_t> block = std::vector<uint8_t>(1103, 128);  // 0.1 s at 11025 Hz
};

TEST_F(WaveOut, BlocksComeBackInOrderAndAResetReportsTheRestAtOnce) {
    EXPECT_EQ(audio.write(1, block.data(), block.size()), host::mmsyserr_invalhandle);
    ASSERT_EQ(audio.open(host::PcmFormat{11025, 8, 1}), host::mmsyserr_noerror);
    for (uint32_t id : {1u, 2u, 3u}) ASSERT_EQ(audio.write(id, block.data(), block.size()), 0);
    EXPECT_EQ(done_after(queue, 3000, 3), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_FALSE(audio.blocks_pending());

    const std::vector<uint8_t> long_block(110250, 128);  // 10 s
    ASSERT_EQ(audio.write(4, long_block.data(), long_block.size()), 0);
    ASSERT_EQ(audio.write(5, long_block.data(), long_block.size()), 0);
    audio.reset();
    // Reported by the reset itself, before any pumping.
    std::vector<uint32_t> at_once;
    host::Message m;
    while (queue.peek_message(m)) at_once.push_back(m.block_id);
    EXPECT_EQ(at_once, (std::vector<uint32_t>{4, 5}));
    EXPECT_TRUE(done_after(queue, 300, 1).empty());  // and never twice

    ASSERT_EQ(audio.write(6, long_block.data(), long_block.size()), 0);
    audio.close();
    EXPECT_TRUE(done_after(queue, 300, 1).empty());  // a close drops it silently
    EXPECT_FALSE(audio.is_open());
    EXPECT_EQ(trace.words, (std::vector<std::string>{"wave-open", "wave-block", "wave-block",
                                                     "wave-block", "wave-block", "wave-block",
                                                     "wave-stop", "wave-block", "wave-close"}));
}

}  // namespace
