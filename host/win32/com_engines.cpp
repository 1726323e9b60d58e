#include "host/win32/com_engines.h"

#include <windows.h>
// after windows.h, which they build on
#include <oleauto.h>
#include <sapi.h>

#include <cstring>
#include <string>

#include "host/win32/com_interfaces.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"

namespace host::win32 {
namespace {

using sapi::HResult;
namespace abi = sapi4abi;

constexpr sapi::Guid iid_ispeech_object_token =
    sapi::guid("{C74A3ADC-B727-4500-A84A-B526721C8B8C}");
constexpr sapi::Guid iid_ispeech_object_tokens =
    sapi::guid("{9285B776-2E7B-4BC0-B53E-580EB6FA967F}");

static_assert(sizeof(GUID) == sizeof(sapi::Guid), "the same 16 bytes");

GUID to_guid(const sapi::Guid& g) {
    GUID out;
    std::memcpy(&out, &g, sizeof out);
    return out;
}

sapi::Guid from_guid(const GUID& g) {
    sapi::Guid out;
    out.data1 = g.Data1;
    out.data2 = g.Data2;
    out.data3 = g.Data3;
    std::memcpy(out.data4, g.Data4, sizeof out.data4);
    return out;
}

// A BSTR made from the clients' UTF-16 text, freed with the object.
class Bstr {
public:
    explicit Bstr(const char16_t* text)
        : value_(SysAllocString(reinterpret_cast<const OLECHAR*>(text ? text : u""))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

// Takes a BSTR an object returned into a UTF-16 string and frees it.
std::u16string take(BSTR text) {
    std::u16string out;
    if (text) out.assign(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
    SysFreeString(text);
    return out;
}

// What every wrapper answers: the real object behind it.
class Bridge {
public:
    virtual ~Bridge() = default;
    virtual IUnknown* real_unknown() const = 0;
};

// A client-side object around one reference to a real COM object.
template <class Mirror, class Real>
class Wrapper : public Mirror, public Bridge {
public:
    Wrapper(Real* real, const sapi::Guid& iid) : real_(real), iid_(iid) {}
    ~Wrapper() override {
        if (real_) real_->Release();
    }
    Wrapper(const Wrapper&) = delete;
    Wrapper& operator=(const Wrapper&) = delete;

    HResult QueryInterface(const sapi::Guid& iid, void** out) override {
        if (!out) return sapi::e_invalidarg;
        if (iid == sapi::iid_iunknown || iid == iid_) {
            AddRef();
            *out = static_cast<Mirror*>(this);
            return sapi::s_ok;
        }
        *out = nullptr;
        return sapi::e_nointerface;
    }
    uint32_t AddRef() override { return refs_.add(); }
    uint32_t Release() override {
        if (!refs_.release()) return refs_.count();
        delete this;
        return 0;
    }
    IUnknown* real_unknown() const override { return real_; }
    Real* real() const { return real_; }

protected:
    Real* real_;
    sapi::Guid iid_;
    sapi::RefCount refs_;
};

// The real object behind a client-side object, or null for anything else.
template <class W, class M>
auto real_of(M* mirror) -> decltype(std::declval<W>().real()) {
    auto* w = mirror ? dynamic_cast<W*>(mirror) : nullptr;
    return w ? w->real() : nullptr;
}

// ---- SAPI 5

class Token final : public Wrapper<sapi::SpeechObjectToken, ISpeechObjectToken> {
public:
    using Wrapper::Wrapper;
    HResult get_Id(std::u16string* id) override {
        if (!id) return sapi::e_invalidarg;
        BSTR text = nullptr;
        const HResult r = real_->get_Id(&text);
        *id = take(text);
        return r;
    }
    HResult GetDescription(int32_t locale, std::u16string* description) override {
        if (!description) return sapi::e_invalidarg;
        BSTR text = nullptr;
        const HResult r = real_->GetDescription(locale, &text);
        *description = take(text);
        return r;
    }
};

class Tokens final : public Wrapper<sapi::SpeechObjectTokens, ISpeechObjectTokens> {
public:
    using Wrapper::Wrapper;
    HResult get_Count(int32_t* count) override {
        if (!count) return sapi::e_invalidarg;
        long n = 0;
        const HResult r = real_->get_Count(&n);
        *count = static_cast<int32_t>(n);
        return r;
    }
    HResult Item(int32_t index, sapi::SpeechObjectToken** token) override {
        if (!token) return sapi::e_invalidarg;
        *token = nullptr;
        ISpeechObjectToken* real = nullptr;
        const HResult r = real_->Item(index, &real);
        if (FAILED(r) || !real) return FAILED(r) ? r : sapi::e_fail;
        *token = new Token(real, iid_ispeech_object_token);
        return r;
    }
};

class FileStream final : public Wrapper<sapi::SpeechFileStream, ISpeechFileStream> {
public:
    using Wrapper::Wrapper;
    HResult Open(const char16_t* file_name, int32_t file_mode, sapi::VariantBool events) override {
        const Bstr name(file_name);
        return real_->Open(name.get(), static_cast<SpeechStreamFileMode>(file_mode), events);
    }
    HResult Close() override { return real_->Close(); }
};

// The voice's completion event, waited for through the clients' factory.
class EventWaitable final : public sapi::Waitable {
public:
    HANDLE handle = nullptr;
    uint32_t wait(uint32_t timeout_ms) override {
        switch (WaitForSingleObject(handle, timeout_ms)) {
            case WAIT_OBJECT_0:
                return sapi::wait_object_0;
            case WAIT_TIMEOUT:
                return sapi::wait_timeout;
            default:
                return sapi::wait_failed;
        }
    }
};

class Voice final : public Wrapper<sapi::SpeechVoice, ISpeechVoice> {
public:
    Voice(ISpeechVoice* real, sapi::Factory& factory)
        : Wrapper(real, sapi::iid_ispeech_voice), factory_(factory) {}
    ~Voice() override {
        if (event_handle_) factory_.close_handle(event_handle_);
    }

    HResult putref_Voice(sapi::SpeechObjectToken* voice) override {
        ISpeechObjectToken* real = real_of<Token>(voice);
        if (voice && !real) return sapi::e_invalidarg;
        return real_->putref_Voice(real);
    }
    HResult putref_AudioOutputStream(sapi::SpeechBaseStream* stream) override {
        ISpeechFileStream* real = real_of<FileStream>(stream);
        if (stream && !real) return sapi::e_invalidarg;
        return real_->putref_AudioOutputStream(real);
    }
    HResult put_Rate(int32_t rate) override { return real_->put_Rate(rate); }
    HResult put_EventInterests(int32_t events) override {
        return real_->put_EventInterests(static_cast<SpeechVoiceEvents>(events));
    }
    HResult Speak(const char16_t* text, int32_t flags, int32_t* stream_number) override {
        const Bstr said(text);
        long number = 0;
        const HResult r =
            real_->Speak(said.get(), static_cast<SpeechVoiceSpeakFlags>(flags), &number);
        if (stream_number) *stream_number = static_cast<int32_t>(number);
        return r;
    }
    HResult GetVoices(const char16_t* required, const char16_t* optional,
                      sapi::SpeechObjectTokens** tokens) override {
        if (!tokens) return sapi::e_invalidarg;
        *tokens = nullptr;
        const Bstr need(required);
        const Bstr wish(optional);
        ISpeechObjectTokens* real = nullptr;
        const HResult r = real_->GetVoices(need.get(), wish.get(), &real);
        if (FAILED(r) || !real) return FAILED(r) ? r : sapi::e_fail;
        *tokens = new Tokens(real, iid_ispeech_object_tokens);
        return r;
    }
    HResult SpeakCompleteEvent(intptr_t* handle) override {
        if (!handle) return sapi::e_invalidarg;
        long value = 0;
        const HResult r = real_->SpeakCompleteEvent(&value);
        if (FAILED(r)) return r;
        // The automation form hands the kernel handle as a long; kernel
        // handles fit in 32 bits on 64-bit systems too.
        event_.handle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(value));
        if (!event_handle_) event_handle_ = factory_.add_handle(event_);
        *handle = event_handle_;
        return r;
    }

private:
    sapi::Factory& factory_;
    EventWaitable event_;
    intptr_t event_handle_ = 0;
};

// ---- SAPI 4

// The clients' notification sinks as real COM objects for the engines: the
// reference counting and interface query they share.
template <class Interface, class Mirror>
class SinkBridge : public Interface {
public:
    SinkBridge(Mirror* sink, const sapi::Guid& iid) : sink_(sink), iid_(iid) { sink_->AddRef(); }
    // Declared after the interface's slots, so the engines' view is unchanged.
    virtual ~SinkBridge() { sink_->Release(); }
    SinkBridge(const SinkBridge&) = delete;
    SinkBridge& operator=(const SinkBridge&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        const sapi::Guid asked = from_guid(iid);
        if (asked == sapi::iid_iunknown || asked == iid_) {
            AddRef();
            *out = static_cast<Interface*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    Mirror* sink_;

private:
    sapi::Guid iid_;
    LONG refs_ = 1;
};

class NotifySink final : public SinkBridge<abi::ITTSNotifySinkA, sapi::TtsNotifySinkA> {
public:
    explicit NotifySink(sapi::TtsNotifySinkA* sink)
        : SinkBridge(sink, sapi::iid_itts_notify_sink_a) {}
    HRESULT STDMETHODCALLTYPE AttribChanged(DWORD attribute) override {
        return sink_->AttribChanged(attribute);
    }
    HRESULT STDMETHODCALLTYPE AudioStart(abi::QWORD time) override {
        return sink_->AudioStart(time);
    }
    HRESULT STDMETHODCALLTYPE AudioStop(abi::QWORD time) override { return sink_->AudioStop(time); }
    HRESULT STDMETHODCALLTYPE Visual(abi::QWORD time, CHAR phoneme, CHAR english, DWORD hints,
                                     abi::TTSMOUTH*) override {
        return sink_->Visual(time, phoneme, english, hints, nullptr);
    }
};

class BufNotifySink final : public SinkBridge<abi::ITTSBufNotifySink, sapi::TtsBufNotifySink> {
public:
    explicit BufNotifySink(sapi::TtsBufNotifySink* sink)
        : SinkBridge(sink, sapi::iid_itts_buf_notify_sink) {}
    HRESULT STDMETHODCALLTYPE TextDataDone(abi::QWORD time, DWORD flags) override {
        return sink_->TextDataDone(time, flags);
    }
    HRESULT STDMETHODCALLTYPE TextDataStarted(abi::QWORD time) override {
        return sink_->TextDataStarted(time);
    }
    HRESULT STDMETHODCALLTYPE BookMark(abi::QWORD time, DWORD mark) override {
        return sink_->BookMark(time, mark);
    }
    HRESULT STDMETHODCALLTYPE WordPosition(abi::QWORD time, DWORD position) override {
        return sink_->WordPosition(time, position);
    }
};

// A sink of the clients as the real object an engine takes, by its
// interface identifier; null (and no reference) for an unknown one.
IUnknown* real_sink(void* notify, const sapi::Guid& iid) {
    if (!notify) return nullptr;
    if (iid == sapi::iid_itts_notify_sink_a)
        return new NotifySink(static_cast<sapi::TtsNotifySinkA*>(notify));
    if (iid == sapi::iid_itts_buf_notify_sink)
        return new BufNotifySink(static_cast<sapi::TtsBufNotifySink*>(notify));
    return nullptr;
}

class MultiMediaDevice final
    : public Wrapper<sapi::AudioMultiMediaDevice, abi::IAudioMultiMediaDevice> {
public:
    using Wrapper::Wrapper;
    HResult CustomMessage(uint32_t message, sapi::SData data) override {
        return real_->CustomMessage(message, data);
    }
    HResult DeviceNumGet(uint32_t* device) override {
        DWORD n = 0;
        const HResult r = real_->DeviceNumGet(&n);
        if (device) *device = n;
        return r;
    }
    HResult DeviceNumSet(uint32_t device) override { return real_->DeviceNumSet(device); }
};

class AudioFileDest final : public Wrapper<sapi::AudioFile, abi::IAudioFile> {
public:
    using Wrapper::Wrapper;
    HResult Register(sapi::Unknown* notify) override {
        // Only the engines' own sinks could be passed on; the clients pass none.
        if (notify) return sapi::e_invalidarg;
        return real_->Register(nullptr);
    }
    HResult Set(const char16_t* file_name, uint32_t flags) override {
        return real_->Set(reinterpret_cast<LPCWSTR>(file_name), flags);
    }
    HResult Add(const char16_t* file_name, uint32_t flags) override {
        return real_->Add(reinterpret_cast<LPCWSTR>(file_name), flags);
    }
    HResult Flush() override { return real_->Flush(); }
    HResult RealTimeSet(uint16_t real_time) override { return real_->RealTimeSet(real_time); }
    HResult RealTimeGet(uint16_t* real_time) override {
        WORD value = 0;
        const HResult r = real_->RealTimeGet(&value);
        if (real_time) *real_time = value;
        return r;
    }
};

class Attributes final : public Wrapper<sapi::TtsAttributesA, abi::ITTSAttributesA> {
public:
    using Wrapper::Wrapper;
    HResult PitchGet(uint16_t* pitch) override {
        WORD v = 0;
        const HResult r = real_->PitchGet(&v);
        if (pitch) *pitch = v;
        return r;
    }
    HResult PitchSet(uint16_t pitch) override { return real_->PitchSet(pitch); }
    HResult RealTimeGet(uint32_t* real_time) override {
        return get(&abi::ITTSAttributesA::RealTimeGet, real_time);
    }
    HResult RealTimeSet(uint32_t real_time) override { return real_->RealTimeSet(real_time); }
    HResult SpeedGet(uint32_t* speed) override {
        return get(&abi::ITTSAttributesA::SpeedGet, speed);
    }
    HResult SpeedSet(uint32_t speed) override { return real_->SpeedSet(speed); }
    HResult VolumeGet(uint32_t* volume) override {
        return get(&abi::ITTSAttributesA::VolumeGet, volume);
    }
    HResult VolumeSet(uint32_t volume) override { return real_->VolumeSet(volume); }

private:
    HResult get(HRESULT (STDMETHODCALLTYPE abi::ITTSAttributesA::*call)(DWORD*), uint32_t* out) {
        DWORD v = 0;
        const HResult r = (real_->*call)(&v);
        if (out) *out = v;
        return r;
    }
};

class Central final : public Wrapper<sapi::TtsCentralA, abi::ITTSCentralA> {
public:
    using Wrapper::Wrapper;
    HResult QueryInterface(const sapi::Guid& iid, void** out) override {
        if (!out || iid != sapi::iid_itts_attributes_a) return Wrapper::QueryInterface(iid, out);
        *out = nullptr;
        void* real = nullptr;
        const GUID asked = to_guid(iid);
        const HResult r = real_->QueryInterface(asked, &real);
        if (FAILED(r) || !real) return FAILED(r) ? r : sapi::e_nointerface;
        *out = static_cast<sapi::TtsAttributesA*>(
            new Attributes(static_cast<abi::ITTSAttributesA*>(real), iid));
        return r;
    }
    HResult Inject(const char* tag) override { return real_->Inject(tag); }
    HResult ModeGet(sapi::TtsModeInfoA* mode) override { return real_->ModeGet(mode); }
    HResult Phoneme(uint32_t charset, uint32_t flags, sapi::SData text,
                    sapi::SData* phonemes) override {
        return real_->Phoneme(charset, flags, text, phonemes);
    }
    HResult PosnGet(sapi::QWord* position) override { return real_->PosnGet(position); }
    HResult TextData(uint32_t charset, uint32_t flags, sapi::SData text, void* notify,
                     sapi::Guid notify_iid) override {
        IUnknown* sink = real_sink(notify, notify_iid);
        if (notify && !sink) return sapi::e_nointerface;
        const HResult r = real_->TextData(charset, flags, text, sink, to_guid(notify_iid));
        if (sink) sink->Release();  // the engine keeps its own reference
        return r;
    }
    HResult ToFileTime(sapi::QWord* position, uint64_t* file_time) override {
        return real_->ToFileTime(position, reinterpret_cast<FILETIME*>(file_time));
    }
    HResult AudioPause() override { return real_->AudioPause(); }
    HResult AudioResume() override { return real_->AudioResume(); }
    HResult AudioReset() override { return real_->AudioReset(); }
    HResult Register(void* notify, sapi::Guid notify_iid, uint32_t* key) override {
        IUnknown* sink = real_sink(notify, notify_iid);
        if (!sink) return sapi::e_nointerface;
        DWORD k = 0;
        const HResult r = real_->Register(sink, to_guid(notify_iid), &k);
        sink->Release();
        if (key) *key = k;
        return r;
    }
    HResult UnRegister(uint32_t key) override { return real_->UnRegister(key); }
};

class Enumerator final : public Wrapper<sapi::TtsEnumA, abi::ITTSEnumA> {
public:
    using Wrapper::Wrapper;
    HResult Next(uint32_t count, sapi::TtsModeInfoA* modes, uint32_t* fetched) override {
        ULONG got = 0;
        const HResult r = real_->Next(count, modes, &got);
        if (fetched) *fetched = got;
        return r;
    }
    HResult Skip(uint32_t count) override { return real_->Skip(count); }
    HResult Reset() override { return real_->Reset(); }
    HResult Clone(sapi::TtsEnumA** out) override {
        if (!out) return sapi::e_invalidarg;
        *out = nullptr;
        abi::ITTSEnumA* copy = nullptr;
        const HResult r = real_->Clone(&copy);
        if (FAILED(r) || !copy) return FAILED(r) ? r : sapi::e_fail;
        *out = new Enumerator(copy, iid_);
        return r;
    }
    HResult Select(sapi::Guid mode_id, sapi::TtsCentralA** central, sapi::Unknown* audio) override {
        if (!central) return sapi::e_invalidarg;
        *central = nullptr;
        auto* bridge = audio ? dynamic_cast<Bridge*>(audio) : nullptr;
        if (audio && !bridge) return sapi::e_invalidarg;
        abi::ITTSCentralA* real = nullptr;
        const HResult r =
            real_->Select(to_guid(mode_id), &real, bridge ? bridge->real_unknown() : nullptr);
        if (FAILED(r) || !real) return FAILED(r) ? r : sapi::e_fail;
        *central = new Central(real, sapi::iid_itts_central_a);
        return r;
    }
};

// Wraps a fresh real object made for `iid`; takes its reference.
HResult wrap(sapi::Factory& factory, const sapi::Guid& iid, void* real, void** out) {
    if (iid == sapi::iid_ispeech_voice)
        *out =
            static_cast<sapi::SpeechVoice*>(new Voice(static_cast<ISpeechVoice*>(real), factory));
    else if (iid == sapi::iid_ispeech_file_stream)
        *out = static_cast<sapi::SpeechFileStream*>(
            new FileStream(static_cast<ISpeechFileStream*>(real), iid));
    else if (iid == sapi::iid_itts_enum_a)
        *out =
            static_cast<sapi::TtsEnumA*>(new Enumerator(static_cast<abi::ITTSEnumA*>(real), iid));
    else if (iid == sapi::iid_iaudio_multimedia_device)
        *out = static_cast<sapi::AudioMultiMediaDevice*>(
            new MultiMediaDevice(static_cast<abi::IAudioMultiMediaDevice*>(real), iid));
    else if (iid == sapi::iid_iaudio_file)
        *out = static_cast<sapi::AudioFile*>(
            new AudioFileDest(static_cast<abi::IAudioFile*>(real), iid));
    else {
        static_cast<IUnknown*>(real)->Release();
        return sapi::e_nointerface;
    }
    return sapi::s_ok;
}

}  // namespace

sapi::Factory::Creator com_creator(sapi::Factory& factory, const sapi::Guid& clsid) {
    return [&factory, clsid](const sapi::Guid& iid, void** out) -> HResult {
        if (!out) return sapi::e_invalidarg;
        *out = nullptr;
        void* real = nullptr;
        const GUID wanted = to_guid(iid);
        const HResult r = CoCreateInstance(to_guid(clsid), nullptr, CLSCTX_ALL, wanted, &real);
        if (FAILED(r)) return r;
        if (!real) return sapi::e_fail;
        return wrap(factory, iid, real, out);
    };
}

ComEngines::ComEngines() {
    // S_FALSE: the thread was initialised already; it still takes a matching
    // CoUninitialize.
    const HRESULT r = CoInitialize(nullptr);
    initialised_ = SUCCEEDED(r);
}

ComEngines::~ComEngines() {
    if (initialised_) CoUninitialize();
}

bool ComEngines::register_classes(sapi::Factory& factory) {
    if (!initialised_) return false;
    for (const sapi::Sapi5Classes& library : {sapi::sapi5_library, sapi::sapi54_library}) {
        factory.register_class(library.voice, com_creator(factory, library.voice));
        factory.register_class(library.file_stream, com_creator(factory, library.file_stream));
    }
    for (const sapi::Guid& clsid :
         {sapi::clsid_tts_enumerator, sapi::clsid_mm_audio_dest, sapi::clsid_audio_dest_file})
        factory.register_class(clsid, com_creator(factory, clsid));
    return true;
}

}  // namespace host::win32
