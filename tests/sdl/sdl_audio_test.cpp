// The desktop's sound on SDL's dummy driver, which takes samples at the
// real rate: sounds end when their samples do, and devices are reused.
#include "host/sdl/sdl_audio.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>

#include "host/common/posix_files.h"
#include "support.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Queue : host::MessageQueue {
    std::deque<host::Message> messages;
    bool peek_message(host::Message& out) override {
        if (messages.empty()) return false;
        out = messages.front();
        messages.pop_front();
        return true;
    }
    void wait_message() override {}
    void post_message(const host::Message& m) override { messages.push_back(m); }
    host::Modifiers key_state() const override { return {}; }
};

struct Lines : host::Trace {
    std::vector<std::string> lines;
    void event(std::string_view word, std::string_view args) override {
        lines.push_back(std::string(word) + (args.empty() ? "" : " ") + std::string(args));
    }
};

// Counts the devices opened and keeps the largest buffer asked for.
int devices_opened = 0;
int largest_buffer = 0;
SDL_AudioDeviceID counting_open(const char* name, int capture, const SDL_AudioSpec* want,
                                SDL_AudioSpec* have, int changes) {
    largest_buffer = std::max<int>(largest_buffer, want->samples);
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name, capture, want, have, changes);
    if (id != 0) ++devices_opened;
    return id;
}

std::vector<uint8_t> wav_8bit(size_t samples, uint32_t rate = 11025) {
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                              'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0};
    for (uint32_t v : {rate, rate})
        w.insert(w.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0});
    w.insert(w.end(), {1, 0, 8, 0, 'd', 'a', 't', 'a'});
    for (int i = 0; i < 4; ++i) w.push_back(uint8_t(samples >> (8 * i)));
    for (size_t i = 0; i < samples; ++i) w.push_back(uint8_t(128 + (i % 20 < 10 ? 40 : -40)));
    return w;
}

struct SdlAudioTest : ::testing::Test {
    void SetUp() override {
        // The hint yields to a driver the environment names.
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        if (std::string(SDL_GetHint(SDL_HINT_AUDIODRIVER)) != "dummy")
            GTEST_SKIP() << "needs SDL's dummy audio driver";
        api = host::sdl::linked_sdl_audio_api();
        api.open_device = &counting_open;
        devices_opened = 0;
        largest_buffer = 0;
        audio = std::make_unique<host::sdl::SdlAudio>(api, queue, trace, files);
        ASSERT_TRUE(audio->available());
        dir = testsupport::make_temp_dir("sdl-audio");
    }
    host::sdl::SdlAudioApi api;
    Queue queue;
    Lines trace;
    host::common::PosixFiles files;
    std::unique_ptr<host::sdl::SdlAudio> audio;
    std::string dir;
};

double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

TEST_F(SdlAudioTest, SynchronousSoundsEndWithTheirSamplesOnOneDevice) {
    // Three counts of a 0.14 s "toc" and a 0.5 s sound.
    const std::string toc = dir + "/toc.wav";
    const std::string longer = dir + "/longer.wav";
    testsupport::write_file(toc, wav_8bit(1544));
    testsupport::write_file(longer, wav_8bit(5512));
    for (const auto& [path, length_ms] :
         {std::pair{toc, 140.0}, {toc, 140.0}, {toc, 140.0}, {longer, 500.0}}) {
        const auto start = Clock::now();
        ASSERT_TRUE(audio->play_file_sync(path));
        const double took = ms_since(start);
        // Not before its samples have played, and well within a buffer or two
        // after (the bound is generous for a loaded machine).
        EXPECT_GE(took, length_ms - 5) << path;
        EXPECT_LT(took, length_ms + 150) << path;
    }
    EXPECT_EQ(devices_opened, 1);
    EXPECT_LE(largest_buffer, 1024);
    EXPECT_FALSE(audio->play_file_sync(dir + "/missing.wav"));
}

TEST_F(SdlAudioTest, WaveOutBlocksReuseTheDeviceAndFinishInOrder) {
    const std::vector<uint8_t> block(2756, 150);  // 0.25 s at 11025 Hz
    for (int sound = 0; sound < 3; ++sound) {
        ASSERT_EQ(audio->open(host::PcmFormat{11025, 8, 1}), host::mmsyserr_noerror);
        const auto start = Clock::now();
        for (uint32_t id = 1; id <= 2; ++id)
            ASSERT_EQ(audio->write(id, block.data(), block.size()), host::mmsyserr_noerror);
        std::vector<uint32_t> done;
        while (done.size() < 2 && ms_since(start) < 3000) {
            audio->poll();
            host::Message m;
            while (queue.peek_message(m)) done.push_back(m.block_id);
            SDL_Delay(1);
        }
        const double took = ms_since(start);
        EXPECT_EQ(done, (std::vector<uint32_t>{1, 2}));
        EXPECT_GE(took, 495);
        EXPECT_LT(took, 500 + 150);
        audio->close();
    }
    // A stop reports every queued block at once.
    ASSERT_EQ(audio->open(host::PcmFormat{11025, 8, 1}), host::mmsyserr_noerror);
    for (uint32_t id = 1; id <= 3; ++id) audio->write(id, block.data(), block.size());
    audio->reset();
    EXPECT_EQ(queue.messages.size(), 3u);
    EXPECT_FALSE(audio->blocks_pending());
    audio->close();
    EXPECT_EQ(devices_opened, 1);
    EXPECT_EQ(trace.lines.back(), "wave-close");
    // Another format gets its own device; a format SDL cannot take is refused.
    EXPECT_EQ(audio->open(host::PcmFormat{16000, 16, 1}), host::mmsyserr_noerror);
    audio->close();
    EXPECT_EQ(devices_opened, 2);
    EXPECT_EQ(audio->open(host::PcmFormat{11025, 12, 1}), host::waverr_badformat);
}

TEST(DeviceBuffer, AtMost1024FramesAndAboutAFortiethOfASecond) {
    EXPECT_EQ(host::sdl::device_buffer_frames(11025), 256);
    EXPECT_EQ(host::sdl::device_buffer_frames(16000), 256);
    EXPECT_EQ(host::sdl::device_buffer_frames(22050), 512);
    EXPECT_EQ(host::sdl::device_buffer_frames(44100), 1024);
    EXPECT_EQ(host::sdl::device_buffer_frames(192000), 1024);
    EXPECT_EQ(host::sdl::device_buffer_frames(4000), 128);
}

}  // namespace
