// The Speech API 4 text-to-speech interfaces (ANSI forms), which the
// compiler's Windows headers do not carry, declared from their published
// documentation: slot order, calling convention and argument types as the
// engines implement them. Structures are shared with sapi/sapi4.h, whose
// layouts match the documented ones.
#pragma once
#include <windows.h>
// after windows.h, which it builds on
#include <unknwn.h>

#include "sapi/sapi4.h"

namespace host::win32::sapi4abi {

using TTSMODEINFOA = sapi::TtsModeInfoA;
using SDATA = sapi::SData;
using QWORD = unsigned __int64;
struct TTSMOUTH;

struct ITTSCentralA;

// IAudioFileNotifySink is only passed through (always null here).
struct IAudioFile : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Register(IUnknown* notify) = 0;
    virtual HRESULT STDMETHODCALLTYPE Set(LPCWSTR file_name, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(LPCWSTR file_name, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Flush() = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeSet(WORD real_time) = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeGet(WORD* real_time) = 0;
};

struct IAudioMultiMediaDevice : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CustomMessage(UINT message, SDATA data) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceNumGet(DWORD* device) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceNumSet(DWORD device) = 0;
};

struct ITTSEnumA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, TTSMODEINFOA* modes, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(ITTSEnumA** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE Select(GUID mode_id, ITTSCentralA** central,
                                             IUnknown* audio) = 0;
};

struct ITTSCentralA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Inject(LPCSTR tag) = 0;
    virtual HRESULT STDMETHODCALLTYPE ModeGet(TTSMODEINFOA* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE Phoneme(DWORD charset, DWORD flags, SDATA text,
                                              SDATA* phonemes) = 0;
    virtual HRESULT STDMETHODCALLTYPE PosnGet(QWORD* position) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextData(DWORD charset, DWORD flags, SDATA text, PVOID notify,
                                               IID notify_iid) = 0;
    virtual HRESULT STDMETHODCALLTYPE ToFileTime(QWORD* position, FILETIME* file_time) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioPause() = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioResume() = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioReset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Register(PVOID notify, IID notify_iid, DWORD* key) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnRegister(DWORD key) = 0;
};

struct ITTSAttributesA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE PitchGet(WORD* pitch) = 0;
    virtual HRESULT STDMETHODCALLTYPE PitchSet(WORD pitch) = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeGet(DWORD* real_time) = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeSet(DWORD real_time) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeedGet(DWORD* speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeedSet(DWORD speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE VolumeGet(DWORD* volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE VolumeSet(DWORD volume) = 0;
};

struct ITTSNotifySinkA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AttribChanged(DWORD attribute) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioStart(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioStop(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE Visual(QWORD time, CHAR phoneme, CHAR english_phoneme,
                                             DWORD hints, TTSMOUTH* mouth) = 0;
};

struct ITTSBufNotifySink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE TextDataDone(QWORD time, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextDataStarted(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE BookMark(QWORD time, DWORD mark) = 0;
    virtual HRESULT STDMETHODCALLTYPE WordPosition(QWORD time, DWORD position) = 0;
};

}  // namespace host::win32::sapi4abi
