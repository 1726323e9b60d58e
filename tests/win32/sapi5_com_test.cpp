// The SAPI 5 client through real COM: a voice, its voice list and a file
// stream of the test's own, registered with the system's COM under the
// speech library's class identifiers, laid out as the automation interfaces
// are (IDispatch's four slots first). Only the slots the client calls do
// anything; the others answer E_NOTIMPL.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/win32/com_engines.h"
#include "sapi/sapi5.h"

namespace {

// What the fake library saw.
struct Seen {
    int live = 0;
    int rate = -99;
    int events = 0;
    void* chosen_voice = nullptr;
    std::vector<void*> tokens;
    void* stream = nullptr;
    void* output = nullptr;
    std::wstring opened;
    int mode = 0;
    bool closed = false;
    std::vector<std::wstring> texts;
    std::vector<int> flags;
    HANDLE done = nullptr;
};
Seen seen;

struct Fake;
using Slot = void*;
struct Fake {
    const Slot* vtable;
    LONG refs = 1;
};

HRESULT STDMETHODCALLTYPE query(Fake* self, REFIID, void** out) {
    ++self->refs;
    *out = self;
    return S_OK;
}
ULONG STDMETHODCALLTYPE add_ref(Fake* self) {
    return ++self->refs;
}
ULONG STDMETHODCALLTYPE release(Fake* self) {
    const LONG left = --self->refs;
    if (left == 0) {
        --seen.live;
        delete self;
    }
    return left;
}
// Never called by a client that uses the right slots; on i686 a call with
// arguments would unbalance the stack, which the test would then show.
HRESULT STDMETHODCALLTYPE not_implemented(Fake*) {
    return E_NOTIMPL;
}

Fake* make(const Slot* vtable) {
    ++seen.live;
    return new Fake{vtable};
}

// ISpeechObjectToken: only its identity matters here.
Slot token_slots[20];

// ISpeechObjectTokens: get_Count (7), Item (8).
HRESULT STDMETHODCALLTYPE tokens_count(Fake*, LONG* count) {
    *count = 2;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE tokens_item(Fake*, LONG index, Fake** token) {
    if (index < 0 || index > 1) return E_INVALIDARG;
    *token = make(token_slots);
    seen.tokens.push_back(*token);
    return S_OK;
}
Slot tokens_slots[10];

// ISpeechFileStream: Open (12), Close (13).
HRESULT STDMETHODCALLTYPE stream_open(Fake*, BSTR name, LONG mode, VARIANT_BOOL) {
    seen.opened.assign(name, SysStringLen(name));
    seen.mode = mode;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE stream_close(Fake*) {
    seen.closed = true;
    return S_OK;
}
Slot stream_slots[14];

// ISpeechVoice.
HRESULT STDMETHODCALLTYPE voice_putref_voice(Fake*, Fake* token) {
    seen.chosen_voice = token;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_putref_output(Fake*, Fake* stream) {
    seen.output = stream;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_put_rate(Fake*, LONG rate) {
    seen.rate = rate;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_put_events(Fake*, LONG events) {
    seen.events = events;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_speak(Fake*, BSTR text, LONG flags, LONG* number) {
    seen.texts.emplace_back(text, SysStringLen(text));
    seen.flags.push_back(flags);
    *number = LONG(seen.texts.size());
    ResetEvent(seen.done);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_get_voices(Fake*, BSTR, BSTR, Fake** tokens) {
    *tokens = make(tokens_slots);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE voice_complete_event(Fake*, LONG* handle) {
    *handle = LONG(reinterpret_cast<LONG_PTR>(seen.done));
    return S_OK;
}
Slot voice_slots[39];

void fill(Slot* slots, size_t count) {
    for (size_t i = 0; i < count; ++i) slots[i] = reinterpret_cast<Slot>(&not_implemented);
    slots[0] = reinterpret_cast<Slot>(&query);
    slots[1] = reinterpret_cast<Slot>(&add_ref);
    slots[2] = reinterpret_cast<Slot>(&release);
}

void build_vtables() {
    fill(token_slots, std::size(token_slots));
    fill(tokens_slots, std::size(tokens_slots));
    tokens_slots[7] = reinterpret_cast<Slot>(&tokens_count);
    tokens_slots[8] = reinterpret_cast<Slot>(&tokens_item);
    fill(stream_slots, std::size(stream_slots));
    stream_slots[12] = reinterpret_cast<Slot>(&stream_open);
    stream_slots[13] = reinterpret_cast<Slot>(&stream_close);
    fill(voice_slots, std::size(voice_slots));
    voice_slots[9] = reinterpret_cast<Slot>(&voice_putref_voice);
    voice_slots[13] = reinterpret_cast<Slot>(&voice_putref_output);
    voice_slots[15] = reinterpret_cast<Slot>(&voice_put_rate);
    voice_slots[21] = reinterpret_cast<Slot>(&voice_put_events);
    voice_slots[28] = reinterpret_cast<Slot>(&voice_speak);
    voice_slots[33] = reinterpret_cast<Slot>(&voice_get_voices);
    voice_slots[36] = reinterpret_cast<Slot>(&voice_complete_event);
}

class ClassObject : public IClassFactory {
public:
    explicit ClassObject(const Slot* vtable) : vtable_(vtable) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory))
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        Fake* object = make(vtable_);
        if (vtable_ == stream_slots) seen.stream = object;
        *out = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const Slot* vtable_;
};

GUID to_guid(const sapi::Guid& g) {
    GUID out{};
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (int i = 0; i < 8; ++i) out.Data4[i] = g.data4[i];
    return out;
}

class Environment : public sapi::Environment {
public:
    void delay_ms(uint32_t) override {}
    bool key_pressed() override { return false; }
    bool stop_on_key() override { return false; }
    void post_wake_message() override {}
    void message_beep(uint32_t) override {}
    std::string current_directory() override { return "."; }
    bool set_current_directory(std::string_view) override { return true; }
};

TEST(Sapi5Com, TheClientSpeaksThroughTheAutomationInterfaces) {
    host::win32::ComEngines engines;
    ASSERT_TRUE(engines.com_ready());
    build_vtables();
    seen = Seen{};
    seen.done = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ClassObject voices(voice_slots), streams(stream_slots);
    DWORD cookies[2] = {};
    ASSERT_EQ(CoRegisterClassObject(to_guid(sapi::sapi54_library.voice), &voices,
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies[0]),
              S_OK);
    ASSERT_EQ(CoRegisterClassObject(to_guid(sapi::sapi54_library.file_stream), &streams,
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies[1]),
              S_OK);
    sapi::Factory factory;
    ASSERT_TRUE(engines.register_classes(factory));
    Environment environment;
    bool markup = true;
    {
        sapi::Sapi5Client client(factory, environment, sapi::sapi54_library, markup);
        ASSERT_TRUE(client.sapi5_start(2, 3, 0, "fala.wav"));
        ASSERT_EQ(seen.tokens.size(), 1u);
        EXPECT_EQ(seen.chosen_voice, seen.tokens[0]);  // the second voice, as asked
        EXPECT_EQ(seen.rate, 3);
        EXPECT_EQ(seen.events, sapi::svei_all_events);
        EXPECT_EQ(seen.opened, L"fala.wav");
        EXPECT_EQ(seen.mode, sapi::ssfm_create_for_write);
        EXPECT_NE(seen.stream, nullptr);
        EXPECT_EQ(seen.output, seen.stream);

        client.sapi5_speak("Ol\xE1, S\xE3o Paulo");
        ASSERT_EQ(seen.texts.size(), 1u);
        EXPECT_EQ(seen.texts[0], L"Ol\u00E1, S\u00E3o Paulo");
        EXPECT_EQ(seen.flags[0], sapi::svsf_async | sapi::svsf_is_not_xml);
        // Busy until the voice's completion event is set.
        EXPECT_TRUE(client.sapi5_busy());
        SetEvent(seen.done);
        EXPECT_FALSE(client.sapi5_busy());
        client.sapi5_close();
        EXPECT_TRUE(seen.closed);
    }
    EXPECT_EQ(seen.live, 0);  // voice, list, tokens and stream all let go
    for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    CloseHandle(seen.done);
}

}  // namespace
