// The engine clients through real COM: a SAPI 4 engine of the test's own,
// registered with the system's COM as a class object, is created with
// CoCreateInstance and called across the real interface layout (including
// the notifications it sends back), and the failure paths when a class is
// missing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/win32/com_engines.h"
#include "host/win32/com_interfaces.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"

namespace {

namespace abi = host::win32::sapi4abi;

GUID to_guid(const sapi::Guid& g) {
    GUID out{};
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (int i = 0; i < 8; ++i) out.Data4[i] = g.data4[i];
    return out;
}

bool is(REFIID iid, const sapi::Guid& g) {
    return IsEqualGUID(iid, to_guid(g)) != FALSE;
}

// What the fake engine saw, and how many of its objects are alive.
struct Record {
    int live = 0;
    std::vector<std::string> texts;
    DWORD speed = 0;
    WORD pitch = 0;
    IUnknown* selected_audio = nullptr;
    IUnknown* made_audio = nullptr;
    abi::ITTSNotifySinkA* sink = nullptr;
    std::vector<abi::ITTSBufNotifySink*> buffers;
    bool unregistered = false;
};
Record record;

template <class Interface>
class Counted : public Interface {
public:
    Counted() { ++record.live; }
    virtual ~Counted() { --record.live; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualGUID(iid, IID_IUnknown) || is(iid, own_)) {
            AddRef();
            *out = this;
            return S_OK;
        }
        return E_NOINTERFACE;
    }

protected:
    sapi::Guid own_;
    ULONG refs_ = 1;
};

class FakeAttributes : public Counted<abi::ITTSAttributesA> {
public:
    FakeAttributes() { own_ = sapi::iid_itts_attributes_a; }
    HRESULT STDMETHODCALLTYPE PitchGet(WORD* p) override { return *p = record.pitch, S_OK; }
    HRESULT STDMETHODCALLTYPE PitchSet(WORD p) override { return record.pitch = p, S_OK; }
    HRESULT STDMETHODCALLTYPE RealTimeGet(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RealTimeSet(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpeedGet(DWORD* s) override { return *s = record.speed, S_OK; }
    HRESULT STDMETHODCALLTYPE SpeedSet(DWORD s) override { return record.speed = s, S_OK; }
    HRESULT STDMETHODCALLTYPE VolumeGet(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeSet(DWORD) override { return E_NOTIMPL; }
};

class FakeCentral : public Counted<abi::ITTSCentralA> {
public:
    FakeCentral() { own_ = sapi::iid_itts_central_a; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (is(iid, sapi::iid_itts_attributes_a)) {
            *out = static_cast<abi::ITTSAttributesA*>(new FakeAttributes);
            return S_OK;
        }
        return Counted::QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE Inject(LPCSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ModeGet(abi::TTSMODEINFOA*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Phoneme(DWORD, DWORD, abi::SDATA, abi::SDATA*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PosnGet(abi::QWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TextData(DWORD charset, DWORD, abi::SDATA text, PVOID notify,
                                       IID iid) override {
        if (charset != 0 || !notify || !is(iid, sapi::iid_itts_buf_notify_sink))
            return E_INVALIDARG;
        record.texts.emplace_back(static_cast<const char*>(text.data));
        auto* buffer = static_cast<abi::ITTSBufNotifySink*>(notify);
        buffer->AddRef();
        record.buffers.push_back(buffer);
        // The engine starts at once: text taken, audio playing.
        buffer->TextDataStarted(1);
        if (record.sink) record.sink->AudioStart(2);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ToFileTime(abi::QWORD*, FILETIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AudioPause() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AudioResume() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AudioReset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Register(PVOID notify, IID iid, DWORD* key) override {
        if (!is(iid, sapi::iid_itts_notify_sink_a)) return E_NOINTERFACE;
        record.sink = static_cast<abi::ITTSNotifySinkA*>(notify);
        record.sink->AddRef();
        *key = 42;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnRegister(DWORD key) override {
        if (key != 42 || !record.sink) return E_INVALIDARG;
        record.sink->Release();
        record.sink = nullptr;
        record.unregistered = true;
        return S_OK;
    }
};

class FakeEnum : public Counted<abi::ITTSEnumA> {
public:
    FakeEnum() { own_ = sapi::iid_itts_enum_a; }
    HRESULT STDMETHODCALLTYPE Next(ULONG, abi::TTSMODEINFOA* mode, ULONG* fetched) override {
        if (given_) return S_FALSE;
        given_ = true;
        *mode = abi::TTSMODEINFOA{};
        mode->mode_id = sapi::guid("{12345678-1234-1234-1234-123456789ABC}");
        std::strcpy(mode->mode_name, "Fake");
        if (fetched) *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reset() override { return given_ = false, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(abi::ITTSEnumA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Select(GUID mode, abi::ITTSCentralA** central,
                                     IUnknown* audio) override {
        if (!IsEqualGUID(mode, to_guid(sapi::guid("{12345678-1234-1234-1234-123456789ABC}"))))
            return E_INVALIDARG;
        record.selected_audio = audio;
        *central = new FakeCentral;
        return S_OK;
    }

private:
    bool given_ = false;
};

class FakeAudio : public Counted<abi::IAudioMultiMediaDevice> {
public:
    FakeAudio() {
        own_ = sapi::iid_iaudio_multimedia_device;
        record.made_audio = this;
    }
    HRESULT STDMETHODCALLTYPE CustomMessage(UINT, abi::SDATA) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeviceNumGet(DWORD* d) override { return *d = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE DeviceNumSet(DWORD) override { return S_OK; }
};

template <class Object>
class ClassObject : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IClassFactory))
            return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new Object;
        const HRESULT r = object->QueryInterface(iid, out);
        object->Release();
        return r;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

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

class Com : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engines_.com_ready());
        ASSERT_TRUE(engines_.register_classes(factory_));
        record = Record{};
    }
    // The fake engine answers for the system's enumerator and audio classes.
    void register_fakes() {
        ASSERT_EQ(CoRegisterClassObject(to_guid(sapi::clsid_tts_enumerator), &enum_class_,
                                        CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies_[0]),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(to_guid(sapi::clsid_mm_audio_dest), &audio_class_,
                                        CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies_[1]),
                  S_OK);
    }
    void TearDown() override {
        for (DWORD cookie : cookies_)
            if (cookie) CoRevokeClassObject(cookie);
    }

    host::win32::ComEngines engines_;
    sapi::Factory factory_;
    Environment environment_;
    ClassObject<FakeEnum> enum_class_;
    ClassObject<FakeAudio> audio_class_;
    DWORD cookies_[2] = {0, 0};
};

TEST_F(Com, Sapi4ClientDrivesARealComEngineAndHearsItsNotifications) {
    register_fakes();
    {
        sapi::Sapi4Client client(factory_, environment_);
        ASSERT_TRUE(client.sapi4_start(1, 150, 120, ""));
        // The audio destination reached the engine as the real object it made.
        EXPECT_NE(record.made_audio, nullptr);
        EXPECT_EQ(record.selected_audio, record.made_audio);
        EXPECT_EQ(record.speed, 150u);
        EXPECT_EQ(record.pitch, 120u);
        ASSERT_NE(record.sink, nullptr);

        client.sapi4_speak("  Bom dia  ");
        ASSERT_EQ(record.texts, std::vector<std::string>{"Bom dia"});
        EXPECT_TRUE(client.sapi4_busy(1));
        EXPECT_TRUE(client.sapi4_busy(0));
        // The engine ends: audio stops, then the text is done.
        record.sink->AudioStop(3);
        EXPECT_TRUE(client.sapi4_busy(1));  // the text is not done yet
        record.buffers[0]->TextDataDone(4, 0);
        EXPECT_FALSE(client.sapi4_busy(0));

        client.sapi4_close();
        EXPECT_TRUE(record.unregistered);
        EXPECT_FALSE(client.running());
    }
    for (auto* buffer : record.buffers) buffer->Release();
    // Every object the engine made was let go.
    EXPECT_EQ(record.live, 0);
}

TEST_F(Com, MissingClassesFailTheStartsCleanly) {
    // No SAPI 4 engine is registered on a bare system (nor under Wine).
    sapi::Sapi4Client sapi4(factory_, environment_);
    EXPECT_FALSE(sapi4.sapi4_start(1, 0, 0, ""));
    EXPECT_FALSE(sapi4.running());

    void* object = nullptr;
    const sapi::Guid nothing = sapi::guid("{0BADF00D-0000-0000-0000-000000000001}");
    factory_.register_class(nothing, host::win32::com_creator(factory_, nothing));
    EXPECT_EQ(factory_.create_instance(nothing, nullptr, sapi::class_context_all,
                                       sapi::iid_itts_enum_a, &object),
              sapi::regdb_e_classnotreg);
    EXPECT_EQ(object, nullptr);

    // A SAPI 5 voice either starts with one of the system's voices or fails
    // without leaving anything running.
    bool markup = false;
    sapi::Sapi5Client sapi5(factory_, environment_, sapi::sapi5_library, markup);
    if (!sapi5.sapi5_start(1, 0, 0, "")) {
        EXPECT_FALSE(sapi5.running());
    }
    sapi5.sapi5_close();
    EXPECT_FALSE(sapi5.running());
}

TEST_F(Com, AnInterfaceTheClientsDoNotUseIsRefusedAndReleased) {
    register_fakes();
    void* object = nullptr;
    factory_.register_class(sapi::clsid_tts_enumerator,
                            host::win32::com_creator(factory_, sapi::clsid_tts_enumerator));
    EXPECT_EQ(factory_.create_instance(sapi::clsid_tts_enumerator, nullptr, sapi::class_context_all,
                                       sapi::iid_iunknown, &object),
              sapi::e_nointerface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(record.live, 0);
}

}  // namespace
