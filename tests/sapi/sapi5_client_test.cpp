// The SAPI 5 client against recording objects: calls, order and arguments,
// for both libraries, each with its own state.
#include <gtest/gtest.h>

#include <deque>

#include "recording.h"
#include "sapi/sapi5.h"

namespace {

using namespace sapi;
using sapitest::Log;
using sapitest::Recorded;
using sapitest::RecordingEnvironment;
using Calls = std::vector<std::string>;

struct FakeToken : Recorded<SpeechObjectToken> {
    FakeToken(Log& log, int index) : Recorded(log, "Token" + std::to_string(index)), index(index) {}
    int index;
    HResult get_Id(std::u16string*) override { return e_fail; }
    HResult GetDescription(int32_t, std::u16string*) override { return e_fail; }
};

struct FakeTokens : Recorded<SpeechObjectTokens> {
    using Recorded::Recorded;
    std::deque<FakeToken> tokens;
    HResult get_Count(int32_t* count) override {
        log.add("Tokens.Count");
        *count = int32_t(tokens.size());
        return s_ok;
    }
    HResult Item(int32_t i, SpeechObjectToken** out) override {
        log.add("Tokens.Item " + std::to_string(i));
        if (i < 0 || size_t(i) >= tokens.size()) return e_invalidarg;
        ++tokens[size_t(i)].refs;
        *out = &tokens[size_t(i)];
        return s_ok;
    }
};

struct FakeFileStream : Recorded<SpeechFileStream> {
    using Recorded::Recorded;
    HResult open_result = s_ok;
    HResult Open(const char16_t* name, int32_t mode, VariantBool events) override {
        log.add(this->name + ".Open " + narrow(name) + " " + std::to_string(mode) + " " +
                std::to_string(events));
        return open_result;
    }
    HResult Close() override {
        log.add(name + ".Close");
        return s_ok;
    }
};

// A waitable event that answers "busy" a given number of times.
struct FakeEvent : Waitable {
    explicit FakeEvent(Log& log) : log(log) {}
    Log& log;
    int busy_waits = 0;
    uint32_t wait(uint32_t timeout_ms) override {
        log.add("wait " + std::to_string(timeout_ms));
        if (busy_waits <= 0) return wait_object_0;
        --busy_waits;
        return wait_timeout;
    }
};

struct FakeVoice : Recorded<SpeechVoice> {
    FakeVoice(Log& log, std::string name, FakeTokens& tokens, intptr_t handle)
        : Recorded(log, std::move(name)), tokens(tokens), handle(handle) {}
    FakeTokens& tokens;
    intptr_t handle;
    HResult speak_result = s_ok;
    HResult rate_result = s_ok;

    HResult putref_Voice(SpeechObjectToken* token) override {
        log.add(name + ".putref_Voice " + static_cast<FakeToken*>(token)->name);
        return s_ok;
    }
    HResult putref_AudioOutputStream(SpeechBaseStream* stream) override {
        log.add(name + ".putref_AudioOutputStream " +
                (stream ? static_cast<FakeFileStream*>(stream)->name : "none"));
        return s_ok;
    }
    HResult put_Rate(int32_t rate) override {
        log.add(name + ".put_Rate " + std::to_string(rate));
        return rate_result;
    }
    HResult put_EventInterests(int32_t events) override {
        log.add(name + ".put_EventInterests " + std::to_string(events));
        return s_ok;
    }
    HResult Speak(const char16_t* text, int32_t flags, int32_t* stream) override {
        log.add(name + ".Speak \"" + narrow(text) + "\" " + std::to_string(flags) +
                (stream ? "" : " null"));
        return speak_result;
    }
    HResult GetVoices(const char16_t* required, const char16_t* optional,
                      SpeechObjectTokens** out) override {
        log.add(name + ".GetVoices \"" + narrow(required) + "\" \"" + narrow(optional) + "\"");
        ++tokens.refs;
        *out = &tokens;
        return s_ok;
    }
    HResult SpeakCompleteEvent(intptr_t* h) override {
        log.add(name + ".SpeakCompleteEvent");
        *h = handle;
        return s_ok;
    }
};

struct Sapi5 : testing::Test {
    Log log;
    RecordingEnvironment environment{log};
    Factory factory;
    FakeEvent event{log};
    FakeEvent event54{log};
    FakeTokens tokens{log, "Tokens"};
    FakeVoice voice{log, "Voice", tokens, factory.add_handle(event)};
    FakeVoice voice54{log, "Voice54", tokens, factory.add_handle(event54)};
    FakeFileStream stream{log, "Stream"};
    FakeFileStream stream54{log, "Stream54"};
    bool markup = false;
    Sapi5Client client{factory, environment, sapi5_library, markup};
    Sapi5Client client54{factory, environment, sapi54_library, markup};

    Sapi5() {
        for (int i = 0; i < 3; ++i) tokens.tokens.emplace_back(log, i);
        sapitest::register_object(factory, log, sapi5_library.voice, iid_ispeech_voice, voice,
                                  "SpVoice");
        sapitest::register_object(factory, log, sapi54_library.voice, iid_ispeech_voice, voice54,
                                  "SpVoice54");
        sapitest::register_object(factory, log, sapi5_library.file_stream, iid_ispeech_file_stream,
                                  stream, "SpFileStream");
        sapitest::register_object(factory, log, sapi54_library.file_stream, iid_ispeech_file_stream,
                                  stream54, "SpFileStream54");
    }
};

TEST_F(Sapi5, StartCallsInOrder) {
    ASSERT_TRUE(client.sapi5_start(2, 7, 99, ""));
    EXPECT_EQ(log.calls, (Calls{"create SpVoice", "Voice.put_EventInterests 33790",
                                "Voice.GetVoices \"\" \"\"", "Tokens.Count", "Tokens.Item 1",
                                "Voice.putref_Voice Token1", "Token1.Release", "Voice.put_Rate 7",
                                "Voice.SpeakCompleteEvent", "Tokens.Release"}));
}

TEST_F(Sapi5, VoiceOutOfRangeTakesTheFirstAtRateZero) {
    struct Case {
        int voice;
        int item;
        int rate;
    };
    const Case cases[] = {{0, 0, 0}, {-4, 0, 0}, {4, 0, 0}, {1, 0, 5}, {3, 2, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        log.calls.clear();
        ASSERT_TRUE(client.sapi5_start(c.voice, 5, 0, ""));
        EXPECT_EQ(log.calls[4], "Tokens.Item " + std::to_string(c.item));
        EXPECT_EQ(log.calls[7], "Voice.put_Rate " + std::to_string(c.rate));
        client.sapi5_close();
    }
}

TEST_F(Sapi5, StartFailures) {
    voice.rate_result = e_invalidarg;  // a refused rate does not matter
    EXPECT_TRUE(client.sapi5_start(1, 0, 0, ""));
    client.sapi5_close();

    tokens.tokens.clear();
    log.calls.clear();
    EXPECT_FALSE(client.sapi5_start(1, 0, 0, ""));
    EXPECT_EQ(log.calls, (Calls{"create SpVoice", "Voice.put_EventInterests 33790",
                                "Voice.GetVoices \"\" \"\"", "Tokens.Count", "Tokens.Release",
                                "Voice.Release"}));
    EXPECT_FALSE(client.running());

    Factory empty;
    Sapi5Client lonely(empty, environment, sapi5_library, markup);
    EXPECT_FALSE(lonely.sapi5_start(1, 0, 0, ""));
}

TEST_F(Sapi5, FileModeUsesTheLibrarysStream) {
    ASSERT_TRUE(client54.sapi5_start(1, 0, 0, "fala.wav"));
    const Calls tail(log.calls.end() - 5, log.calls.end());
    EXPECT_EQ(tail, (Calls{"Voice54.SpeakCompleteEvent", "create SpFileStream54",
                           "Stream54.Open fala.wav 3 -1",
                           "Voice54.putref_AudioOutputStream Stream54", "Tokens.Release"}));
    log.calls.clear();
    client54.sapi5_close();
    EXPECT_EQ(log.calls,
              (Calls{"wait 20", "Stream54.Close", "Stream54.Release", "Voice54.Release"}));

    // A file that cannot be made fails the start: speech never goes to the
    // speakers instead.
    stream.open_result = e_fail;
    log.calls.clear();
    EXPECT_FALSE(client.sapi5_start(1, 0, 0, "/nao/existe.wav"));
    EXPECT_EQ(log.calls.back(), "Voice.Release");
    EXPECT_FALSE(client.running());
}

TEST_F(Sapi5, TheTwoLibrariesKeepTheirOwnState) {
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    ASSERT_TRUE(client54.sapi5_start(1, 0, 0, ""));
    log.calls.clear();
    client54.sapi5_speak("oi");
    client.sapi5_speak("ola");
    EXPECT_EQ(log.calls, (Calls{"Voice54.Speak \"oi\" 17", "Voice.Speak \"ola\" 17"}));
    event54.busy_waits = 1;
    EXPECT_TRUE(client54.sapi5_busy());
    EXPECT_FALSE(client.sapi5_busy());
}

TEST_F(Sapi5, SpeakFlagsAndFailures) {
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    struct Case {
        const char* text;
        bool markup;
        HResult result;
        Calls calls;
    };
    const Case cases[] = {
        {"", false, s_ok, {"Voice.Speak \" \" 17"}},
        {"bom dia", false, s_ok, {"Voice.Speak \"bom dia\" 17"}},
        {"<x/>", true, s_ok, {"Voice.Speak \"<x/>\" 9"}},
        {"bom dia", false, e_fail, {"Voice.Speak \"bom dia\" 17", "beep 0"}},
    };
    for (const Case& c : cases) {
        log.calls.clear();
        markup = c.markup;
        voice.speak_result = c.result;
        client.sapi5_speak(c.text);
        EXPECT_EQ(log.calls, c.calls);
    }
    // Every start clears the switch.
    client.sapi5_close();
    markup = true;
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    EXPECT_FALSE(markup);
}

TEST_F(Sapi5, BusyPostsTheWakeUpOnlyWhileSpeaking) {
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    event.busy_waits = 2;
    log.calls.clear();
    EXPECT_TRUE(client.sapi5_busy());
    EXPECT_TRUE(client.sapi5_busy());
    EXPECT_FALSE(client.sapi5_busy());
    EXPECT_EQ(log.calls, (Calls{"wait 20", "post 2980", "wait 20", "post 2980", "wait 20"}));
}

TEST_F(Sapi5, StopPurgesAndCloseWaitsInSteps) {
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    log.calls.clear();
    voice.speak_result = e_fail;  // swallowed
    client.sapi5_stop();
    EXPECT_EQ(log.calls, (Calls{"Voice.Speak \" \" 2", "delay 50"}));

    event.busy_waits = 2;
    log.calls.clear();
    client.sapi5_close();
    EXPECT_EQ(log.calls, (Calls{"wait 20", "post 2980", "delay 300", "wait 20", "post 2980",
                                "delay 300", "wait 20", "Voice.Release"}));
    log.calls.clear();
    client.sapi5_speak("x");  // no voice: nothing
    EXPECT_FALSE(client.sapi5_busy());
    EXPECT_TRUE(log.calls.empty());
}

}  // namespace
