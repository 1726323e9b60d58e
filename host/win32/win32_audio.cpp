#include "host/win32/win32_audio.h"

#include <windows.h>
// after windows.h, which it builds on
#include <mmsystem.h>

#include <deque>
#include <string>

#include "host/common/volume.h"
#include "host/riff.h"

namespace host::win32 {
namespace {

constexpr const char* notify_class = "ZimbalotWaveOutNotify";

// One queued block: the header the driver holds and the samples it points at.
struct Block {
    WAVEHDR header{};
    std::vector<uint8_t> bytes;
    uint32_t block_id = 0;
};

LRESULT CALLBACK notify_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace

struct Win32Audio::Impl {
    Impl(MessageQueue& m, Trace& t, Files& f) : messages(m), trace(t), files(f) {
        WNDCLASSA c{};
        c.lpfnWndProc = notify_procedure;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = notify_class;
        RegisterClassA(&c);  // fails harmlessly when a second backend registered it
        notify = CreateWindowExA(0, notify_class, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 c.hInstance, nullptr);
        if (notify) SetWindowLongPtrA(notify, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Impl() {
        if (notify) DestroyWindow(notify);
    }

    // Gives back every block the driver has finished with, oldest first. The
    // notifications themselves carry header addresses that may be stale
    // after a reset or a close, so only the done flags of live blocks count.
    void collect() {
        while (!blocks.empty() && (blocks.front()->header.dwFlags & WHDR_DONE)) {
            std::unique_ptr<Block> b = std::move(blocks.front());
            blocks.pop_front();
            waveOutUnprepareHeader(device, &b->header, sizeof(WAVEHDR));
            Message m;
            m.kind = MessageKind::wave_done;
            m.block_id = b->block_id;
            messages.post_message(m);
        }
    }

    void drop_blocks() {
        for (auto& b : blocks) waveOutUnprepareHeader(device, &b->header, sizeof(WAVEHDR));
        blocks.clear();
    }

    MessageQueue& messages;
    Trace& trace;
    Files& files;
    HWND notify = nullptr;
    HWAVEOUT device = nullptr;
    PcmFormat format;
    std::deque<std::unique_ptr<Block>> blocks;
    std::vector<uint8_t> looping;  // the image the player reads while it loops
    int volume_percent = 100;
};

namespace {

LRESULT CALLBACK notify_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == MM_WOM_DONE) {
        auto* s = reinterpret_cast<Win32Audio::Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (s) s->collect();
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

// A copy of a WAV image with its samples scaled to the volume.
std::vector<uint8_t> at_volume(const uint8_t* image, size_t length, int percent) {
    std::vector<uint8_t> copy(image, image + length);
    if (percent >= 100) return copy;
    if (const auto sound = riff::find_wave_sound(copy.data(), copy.size());
        sound && sound->format_tag == 1)
        common::apply_volume(copy.data() + sound->data_offset, sound->data_bytes, sound->format,
                             percent);
    return copy;
}

}  // namespace

Win32Audio::Win32Audio(MessageQueue& messages, Trace& trace, Files& files)
    : impl_(std::make_unique<Impl>(messages, trace, files)) {}

Win32Audio::~Win32Audio() {
    stop();
    close();
}

bool Win32Audio::available() const {
    return waveOutGetNumDevs() > 0;
}

void Win32Audio::set_volume(int percent) {
    impl_->volume_percent = percent;
}

int Win32Audio::open(const PcmFormat& format) {
    Impl& s = *impl_;
    if (s.device) return mmsyserr_noerror;
    if (!s.notify) return mmsyserr_nomem;
    WAVEFORMATEX wf{};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = format.channels;
    wf.nSamplesPerSec = format.rate_hz;
    wf.wBitsPerSample = format.bits;
    wf.nBlockAlign = static_cast<WORD>(format.channels * (format.bits / 8));
    wf.nAvgBytesPerSec = format.rate_hz * wf.nBlockAlign;
    const MMRESULT r = waveOutOpen(&s.device, WAVE_MAPPER, &wf,
                                   reinterpret_cast<DWORD_PTR>(s.notify), 0, CALLBACK_WINDOW);
    if (r != MMSYSERR_NOERROR) {
        s.device = nullptr;
        return static_cast<int>(r);
    }
    s.format = format;
    s.trace.event("wave-open", std::to_string(format.rate_hz) + " " + std::to_string(format.bits) +
                                   " " + std::to_string(format.channels));
    return mmsyserr_noerror;
}

bool Win32Audio::is_open() const {
    return impl_->device != nullptr;
}

int Win32Audio::write(uint32_t block_id, const uint8_t* data, size_t length) {
    Impl& s = *impl_;
    if (!s.device) return mmsyserr_invalhandle;
    if (length > 0x7FFFFFFF) return mmsyserr_nomem;
    s.trace.event("wave-block", std::to_string(length));
    auto b = std::make_unique<Block>();
    b->bytes.assign(data, data + length);
    common::apply_volume(b->bytes.data(), b->bytes.size(), s.format, s.volume_percent);
    b->block_id = block_id;
    b->header.lpData = reinterpret_cast<LPSTR>(b->bytes.data());
    b->header.dwBufferLength = static_cast<DWORD>(length);
    MMRESULT r = waveOutPrepareHeader(s.device, &b->header, sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) return static_cast<int>(r);
    r = waveOutWrite(s.device, &b->header, sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(s.device, &b->header, sizeof(WAVEHDR));
        return static_cast<int>(r);
    }
    s.blocks.push_back(std::move(b));
    return mmsyserr_noerror;
}

void Win32Audio::reset() {
    Impl& s = *impl_;
    if (!s.device) return;
    s.trace.event("wave-stop", "");
    waveOutReset(s.device);
    // The driver has given every block back: report them now, not when the
    // notifications come round.
    for (auto& b : s.blocks) b->header.dwFlags |= WHDR_DONE;
    s.collect();
}

void Win32Audio::close() {
    Impl& s = *impl_;
    if (!s.device) return;
    waveOutReset(s.device);
    s.drop_blocks();
    waveOutClose(s.device);
    s.device = nullptr;
    s.trace.event("wave-close", "");
}

bool Win32Audio::blocks_pending() const {
    return !impl_->blocks.empty();
}

void Win32Audio::collect_done_blocks() {
    impl_->collect();
}

bool Win32Audio::play_file_sync(std::string_view name) {
    Impl& s = *impl_;
    s.trace.event("sound", name);
    // Read through the program's own lookup (Windows paths, any case), so the
    // player finds exactly the file every other part finds.
    std::vector<uint8_t> image;
    if (!s.files.read_whole(name, image) || image.empty()) return false;
    const std::vector<uint8_t> heard = at_volume(image.data(), image.size(), s.volume_percent);
    return sndPlaySoundA(reinterpret_cast<LPCSTR>(heard.data()),
                         SND_SYNC | SND_MEMORY | SND_NODEFAULT) != FALSE;
}

bool Win32Audio::play_memory_looping(const std::vector<uint8_t>& image) {
    Impl& s = *impl_;
    stop();
    s.trace.event("sound-async", std::to_string(image.size()));
    if (image.empty()) return false;
    // The player reads the image while it loops: it lives until stop().
    s.looping = at_volume(image.data(), image.size(), s.volume_percent);
    if (sndPlaySoundA(reinterpret_cast<LPCSTR>(s.looping.data()),
                      SND_ASYNC | SND_MEMORY | SND_LOOP | SND_NODEFAULT) == FALSE) {
        s.looping.clear();
        return false;
    }
    return true;
}

void Win32Audio::stop() {
    Impl& s = *impl_;
    if (s.looping.empty()) return;
    s.trace.event("sound-stop", "");
    sndPlaySoundA(nullptr, 0);
    s.looping.clear();
}

}  // namespace host::win32
