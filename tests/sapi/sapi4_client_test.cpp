// The SAPI 4 client against recording objects: the exact calls, their order
// and arguments, and the counters the notification sinks keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "recording.h"
#include "sapi/sapi4.h"

namespace {

using namespace sapi;
using sapitest::Log;
using sapitest::Recorded;
using sapitest::RecordingEnvironment;
using Calls = std::vector<std::string>;

struct FakeAttributes : Recorded<TtsAttributesA> {
    using Recorded::Recorded;
    HResult PitchGet(uint16_t*) override { return e_fail; }
    HResult PitchSet(uint16_t p) override {
        log.add("Attributes.PitchSet " + std::to_string(p));
        return e_fail;  // ignored by the client
    }
    HResult RealTimeGet(uint32_t*) override { return e_fail; }
    HResult RealTimeSet(uint32_t) override { return e_fail; }
    HResult SpeedGet(uint32_t*) override { return e_fail; }
    HResult SpeedSet(uint32_t s) override {
        log.add("Attributes.SpeedSet " + std::to_string(int32_t(s)));
        return e_fail;
    }
    HResult VolumeGet(uint32_t*) override { return e_fail; }
    HResult VolumeSet(uint32_t) override { return e_fail; }
};

struct FakeCentral : Recorded<TtsCentralA> {
    FakeCentral(Log& log, FakeAttributes& attributes)
        : Recorded(log, "Central"), attributes(attributes) {}
    FakeAttributes& attributes;
    HResult text_result = s_ok;
    TtsNotifySinkA* notify = nullptr;
    TtsBufNotifySink* buf_sink = nullptr;
    std::string last_text;
    uint32_t last_size = 0;

    HResult QueryInterface(const Guid& iid, void** out) override {
        log.add("Central.QueryInterface " +
                std::string(iid == iid_itts_attributes_a ? "attributes" : "?"));
        if (iid != iid_itts_attributes_a) return e_nointerface;
        ++attributes.refs;
        *out = static_cast<TtsAttributesA*>(&attributes);
        return s_ok;
    }
    HResult Inject(const char*) override { return e_fail; }
    HResult ModeGet(TtsModeInfoA*) override { return e_fail; }
    HResult Phoneme(uint32_t, uint32_t, SData, SData*) override { return e_fail; }
    HResult PosnGet(QWord*) override { return e_fail; }
    HResult TextData(uint32_t charset, uint32_t flags, SData text, void* sink, Guid iid) override {
        last_text = static_cast<const char*>(text.data);
        last_size = text.size;
        buf_sink = static_cast<TtsBufNotifySink*>(sink);
        log.add("Central.TextData " + std::to_string(charset) + " " + std::to_string(flags) +
                " \"" + last_text + "\" " + std::to_string(text.size) +
                (iid == iid_itts_buf_notify_sink && sink ? " bufsink" : " ?"));
        return text_result;
    }
    HResult ToFileTime(QWord*, uint64_t*) override { return e_fail; }
    HResult AudioPause() override { return e_fail; }
    HResult AudioResume() override { return e_fail; }
    HResult AudioReset() override {
        log.add("Central.AudioReset");
        return e_fail;  // ignored by the client
    }
    HResult Register(void* sink, Guid iid, uint32_t* key) override {
        log.add(std::string("Central.Register ") +
                (iid == iid_itts_notify_sink_a ? "notifysink" : "?"));
        notify = static_cast<TtsNotifySinkA*>(sink);
        *key = 77;
        return s_ok;
    }
    HResult UnRegister(uint32_t key) override {
        log.add("Central.UnRegister " + std::to_string(key));
        return s_ok;
    }
};

struct FakeEnum : Recorded<TtsEnumA> {
    FakeEnum(Log& log, FakeCentral& central) : Recorded(log, "Enum"), central(central) {
        log_add_ref = true;
    }
    FakeCentral& central;
    int modes = 2;
    int position = 0;
    int fail_next_at = 0;  // the call number of Next that fails (1-based), 0 none
    int next_calls = 0;
    HResult select_result = s_ok;

    HResult Next(uint32_t count, TtsModeInfoA* out, uint32_t* fetched) override {
        log.add("Enum.Next " + std::to_string(count) + (fetched ? " fetched" : " null"));
        if (++next_calls == fail_next_at) return e_fail;
        if (position >= modes) return s_false;
        ++position;
        *out = TtsModeInfoA{};
        out->mode_id.data1 = uint32_t(position);
        return s_ok;
    }
    HResult Skip(uint32_t) override { return e_fail; }
    HResult Reset() override {
        log.add("Enum.Reset");
        position = 0;
        return s_ok;
    }
    HResult Clone(TtsEnumA**) override { return e_fail; }
    HResult Select(Guid mode, TtsCentralA** out, Unknown* audio) override {
        log.add("Enum.Select mode " + std::to_string(mode.data1) + (audio ? " audio" : " none"));
        if (failed(select_result)) return select_result;
        ++central.refs;
        *out = &central;
        return s_ok;
    }
};

struct FakeMultimedia : Recorded<AudioMultiMediaDevice> {
    using Recorded::Recorded;
    HResult CustomMessage(uint32_t, SData) override { return e_fail; }
    HResult DeviceNumGet(uint32_t*) override { return e_fail; }
    HResult DeviceNumSet(uint32_t) override { return e_fail; }
};

struct FakeAudioFile : Recorded<AudioFile> {
    using Recorded::Recorded;
    HResult set_result = s_ok;
    HResult Register(Unknown*) override { return e_fail; }
    HResult Set(const char16_t* name, uint32_t flags) override {
        log.add("AudioFile.Set " + narrow(name) + " " + std::to_string(flags));
        return set_result;
    }
    HResult Add(const char16_t*, uint32_t) override { return e_fail; }
    HResult Flush() override {
        log.add("AudioFile.Flush");
        return s_ok;
    }
    HResult RealTimeSet(uint16_t) override { return e_fail; }
    HResult RealTimeGet(uint16_t*) override { return e_fail; }
};

struct Sapi4 : testing::Test {
    Log log;
    RecordingEnvironment environment{log};
    FakeAttributes attributes{log, "Attributes"};
    FakeCentral central{log, attributes};
    FakeEnum enumerator{log, central};
    FakeMultimedia multimedia{log, "MMAudioDest"};
    FakeAudioFile audio_file{log, "AudioFile"};
    Factory factory;
    Sapi4Client client{factory, environment};

    Sapi4() {
        sapitest::register_object(factory, log, clsid_tts_enumerator, iid_itts_enum_a, enumerator,
                                  "TTSEnumerator");
        sapitest::register_object(factory, log, clsid_mm_audio_dest, iid_iaudio_multimedia_device,
                                  multimedia, "MMAudioDest");
        sapitest::register_object(factory, log, clsid_audio_dest_file, iid_iaudio_file, audio_file,
                                  "AudioDestFile");
    }
    void started(int voice = 1, int rate = 0, int pitch = 0, std::string_view file = "") {
        ASSERT_TRUE(client.sapi4_start(voice, rate, pitch, file));
        log.calls.clear();
    }
};

TEST_F(Sapi4, StartCallsInOrderAndRestoresTheFolder) {
    environment.folder = "/start";
    ASSERT_TRUE(client.sapi4_start(2, 150, -3, ""));
    EXPECT_EQ(log.calls,
              (Calls{"create MMAudioDest", "create TTSEnumerator", "Enum.AddRef", "Enum.Reset",
                     "Enum.Next 1 null", "Enum.Next 1 null", "Enum.Select mode 2 audio",
                     "Central.Register notifysink", "Central.QueryInterface attributes",
                     "Attributes.SpeedSet 150", "Attributes.PitchSet 65533", "Attributes.Release",
                     "chdir /start"}));
    EXPECT_TRUE(client.running());
}

TEST_F(Sapi4, VoiceNumberChoosesTheMode) {
    struct Case {
        int voice;
        int modes;
        bool started;
        int next_calls;
        const char* select;  // the Select call, or "" for none
    };
    const Case cases[] = {
        {0, 2, true, 1, "Enum.Select mode 1 audio"},  // 0 counts as 1
        {1, 2, true, 1, "Enum.Select mode 1 audio"},
        {3, 2, true, 3, "Enum.Select mode 2 audio"},        // above the count: the last
        {1000000, 2, true, 3, "Enum.Select mode 2 audio"},  // stops once the list ended
        {-1, 2, false, 0, ""},                              // no Next at all: no mode
        {1, 0, false, 1, ""},                               // an enumerator without modes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        log.calls.clear();
        enumerator.modes = c.modes;
        enumerator.next_calls = 0;
        EXPECT_EQ(client.sapi4_start(c.voice, 0, 0, ""), c.started);
        EXPECT_EQ(enumerator.next_calls, c.next_calls);
        const bool selected =
            std::find(log.calls.begin(), log.calls.end(), std::string(c.select)) != log.calls.end();
        EXPECT_EQ(selected, *c.select != 0);
        client.sapi4_close();
    }
}

TEST_F(Sapi4, FailedStartsReleaseWhatWasMade) {
    // Select fails: the destination, both enumerator references, no central.
    enumerator.select_result = e_fail;
    EXPECT_FALSE(client.sapi4_start(1, 0, 0, ""));
    EXPECT_EQ(log.calls,
              (Calls{"create MMAudioDest", "create TTSEnumerator", "Enum.AddRef", "Enum.Reset",
                     "Enum.Next 1 null", "Enum.Select mode 1 audio", "MMAudioDest.Release",
                     "Enum.Release", "Enum.Release", "chdir /start"}));
    EXPECT_FALSE(client.running());

    // A failing Next: no Select.
    log.calls.clear();
    enumerator.select_result = s_ok;
    enumerator.next_calls = 0;
    enumerator.fail_next_at = 2;
    EXPECT_FALSE(client.sapi4_start(3, 0, 0, ""));
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "Enum.Next 1 null"), 2);
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "Enum.Select mode 1 audio"), 0);

    // The audio file cannot be set: nothing else is made.
    log.calls.clear();
    audio_file.set_result = 1;  // not 0, though not a failure code
    EXPECT_FALSE(client.sapi4_start(1, 0, 0, "out.wav"));
    EXPECT_EQ(log.calls, (Calls{"create AudioDestFile", "AudioFile.Set out.wav 1",
                                "AudioFile.Release", "chdir /start"}));

    // No runtime at all.
    Factory empty;
    Sapi4Client lonely(empty, environment);
    EXPECT_FALSE(lonely.sapi4_start(1, 0, 0, ""));
}

TEST_F(Sapi4, SpeakSendsTrimmedTextWithItsZero) {
    struct Case {
        const char* text;
        const char* sent;  // nullptr: nothing sent
    };
    const Case cases[] = {
        {"7", "7."},   {"  bom dia\t\r\n", "bom dia"}, {"77", "77"}, {" \x01 \t", nullptr},
        {"", nullptr},
    };
    started();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        log.calls.clear();
        client.sapi4_speak(c.text);
        if (!c.sent) {
            EXPECT_TRUE(log.calls.empty());
            continue;
        }
        ASSERT_EQ(log.calls.size(), 1u);
        EXPECT_EQ(log.calls[0], "Central.TextData 0 0 \"" + std::string(c.sent) + "\" " +
                                    std::to_string(std::strlen(c.sent) + 1) + " bufsink");
    }
}

TEST_F(Sapi4, SpeakWaitsForQueuedTextsAndHonoursTheKey) {
    started();
    central.buf_sink = nullptr;
    client.sapi4_speak("um");
    TtsBufNotifySink* sink = central.buf_sink;
    ASSERT_NE(sink, nullptr);
    sink->TextDataStarted(0);
    log.calls.clear();
    client.sapi4_speak("dois");
    EXPECT_EQ(log.calls, (Calls{"delay 20", "Central.TextData 0 0 \"dois\" 5 bufsink"}));

    // A waiting key drops the text only while keys stop playback.
    log.calls.clear();
    environment.key_waiting = true;
    client.sapi4_speak("tres");
    EXPECT_TRUE(log.calls.empty());
    environment.stop_on_key_option = false;
    client.sapi4_speak("tres");
    EXPECT_EQ(log.calls.size(), 2u);

    // Without a running engine nothing is sent.
    client.sapi4_close();
    log.calls.clear();
    client.sapi4_speak("quatro");
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(Sapi4, LongTextIsCutToTheBuffer) {
    started();
    client.sapi4_speak(std::string(70000, 'a'));
    EXPECT_EQ(central.last_size, sapi4_text_buffer_bytes);
    EXPECT_EQ(central.last_text.size(), sapi4_text_buffer_bytes - 1);
}

TEST_F(Sapi4, FailedTextDataStopsEverything) {
    started();
    client.sapi4_speak("um");
    central.notify->AudioStart(0);
    central.buf_sink->TextDataStarted(0);
    central.text_result = e_fail;
    log.calls.clear();
    client.sapi4_speak("dois");
    EXPECT_EQ(log.calls, (Calls{"delay 20", "Central.TextData 0 0 \"dois\" 5 bufsink", "delay 50",
                                "Central.AudioReset", "delay 150"}));
    EXPECT_FALSE(client.sapi4_busy(0));
}

TEST_F(Sapi4, BusyAndStopFollowTheSinks) {
    started();
    client.sapi4_speak("um");
    TtsBufNotifySink& texts = *central.buf_sink;
    TtsNotifySinkA& audio = *central.notify;
    struct Case {
        int pending;
        bool playing;
        bool busy1;
        bool busy0;
    };
    const Case cases[] = {{0, false, false, false},
                          {0, true, false, true},
                          {1, false, true, true},
                          {2, true, true, true}};
    for (const Case& c : cases) {
        client.sapi4_stop();
        for (int i = 0; i < c.pending; ++i) texts.TextDataStarted(0);
        if (c.playing) audio.AudioStart(0);
        EXPECT_EQ(client.sapi4_busy(1), c.busy1);
        EXPECT_EQ(client.sapi4_busy(0), c.busy0);
    }
    // Done more often than started stays at zero.
    client.sapi4_stop();
    texts.TextDataDone(0, 0);
    texts.TextDataStarted(0);
    EXPECT_TRUE(client.sapi4_busy(1));
    texts.TextDataDone(0, 0);
    EXPECT_FALSE(client.sapi4_busy(1));
    audio.AudioStart(0);
    audio.AudioStop(0);
    EXPECT_FALSE(client.sapi4_busy(0));

    // Stop without audio only clears the counters.
    texts.TextDataStarted(0);
    log.calls.clear();
    client.sapi4_stop();
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(client.sapi4_busy(1));
    // With audio: the waits around the reset.
    audio.AudioStart(0);
    client.sapi4_stop();
    EXPECT_EQ(log.calls, (Calls{"delay 50", "Central.AudioReset", "delay 150"}));
    EXPECT_FALSE(client.sapi4_busy(0));
}

TEST_F(Sapi4, CloseReleasesInOrder) {
    started(1, 0, 0, "fala.wav");
    client.sapi4_close();
    EXPECT_EQ(log.calls, (Calls{"AudioFile.Flush", "AudioFile.Release", "Enum.Release",
                                "Enum.Release", "Central.UnRegister 77", "Central.Release"}));
    EXPECT_FALSE(client.running());

    started();
    client.sapi4_close();
    EXPECT_EQ(log.calls, (Calls{"MMAudioDest.Release", "Enum.Release", "Enum.Release",
                                "Central.UnRegister 77", "Central.Release"}));
    log.calls.clear();
    client.sapi4_close();  // twice: nothing more
    EXPECT_TRUE(log.calls.empty());
}

}  // namespace
