#include "host/sdl/sdl_audio.h"

#include <SDL.h>  // types and constants only: the functions come through the table

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <type_traits>

#include "host/common/volume.h"
#include "host/riff.h"

namespace host::sdl {

namespace {

using Time = std::chrono::steady_clock::time_point;
Time now() {
    return std::chrono::steady_clock::now();
}

// More formats than this at once is unusual; the idle ones are closed then.
constexpr size_t most_devices = 4;

// A stretch of samples queued on a voice. The audio callback sets `done` and
// the time its last sample has been heard.
struct Piece {
    std::vector<uint8_t> bytes;
    uint32_t block_id = 0;
    size_t read = 0;
    bool done = false;
    Time heard_at{};
};

struct Device;

// One source of sound: the wave-out queue, the synchronous player, the
// looping image, the beep. Its pieces are touched under its device's lock.
struct Voice {
    Device* device = nullptr;
    std::deque<Piece> pieces;
    bool loop = false;
};

struct Device {
    const SdlAudioApi* api = nullptr;
    SDL_AudioDeviceID id = 0;
    PcmFormat format;
    size_t frame_bytes = 1;
    std::vector<Voice*> voices;

    void lock() const { api->lock_device(id); }
    void unlock() const { api->unlock_device(id); }

    // Adds `n` bytes of the device's format into `out`, clipping.
    void mix(uint8_t* out, const uint8_t* in, size_t n) const {
        if (format.bits == 8) {
            for (size_t i = 0; i < n; ++i)
                out[i] = static_cast<uint8_t>(std::clamp(out[i] + in[i] - 128, 0, 255));
            return;
        }
        for (size_t i = 0; i + 1 < n; i += 2) {
            int16_t a = 0;
            int16_t b = 0;
            std::memcpy(&a, out + i, 2);
            std::memcpy(&b, in + i, 2);
            const auto sum = static_cast<int16_t>(std::clamp(a + b, -32768, 32767));
            std::memcpy(out + i, &sum, 2);
        }
    }

    // The audio thread: silence, plus every voice's next samples.
    static void callback(void* self, Uint8* stream, int length) {
        auto* d = static_cast<Device*>(self);
        const auto n = static_cast<size_t>(length);
        std::memset(stream, d->format.bits == 8 ? 128 : 0, n);
        const Time t = now();
        const double us_per_byte = 1e6 / (double(d->format.rate_hz) * double(d->frame_bytes));
        for (Voice* v : d->voices) {
            size_t at = 0;
            for (Piece& p : v->pieces) {
                if (p.done) continue;
                for (;;) {
                    const size_t take = std::min(n - at, p.bytes.size() - p.read);
                    d->mix(stream + at, p.bytes.data() + p.read, take);
                    p.read += take;
                    at += take;
                    if (p.read < p.bytes.size()) break;  // the buffer is full
                    if (v->loop && !p.bytes.empty()) {
                        p.read = 0;
                        if (at == n) break;
                        continue;
                    }
                    p.done = true;
                    // The buffer begins to play as the callback returns; the
                    // byte at `at` is heard that much later.
                    p.heard_at = t + std::chrono::microseconds(int64_t(double(at) * us_per_byte));
                    break;
                }
                if (at == n) break;
            }
        }
    }
};

SDL_AudioFormat sdl_format(uint16_t bits) {
    return bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
}

}  // namespace

uint16_t device_buffer_frames(uint32_t rate_hz) {
    uint16_t frames = 128;
    while (frames < 1024 && uint32_t(frames) * 2 * 40 <= rate_hz) frames *= 2;
    return frames;
}

struct SdlAudio::Impl {
    Impl(const SdlAudioApi& a, MessageQueue& m, Trace& t, Files& f)
        : api(a), messages(m), trace(t), files(f) {}

    SdlAudioApi api;
    MessageQueue& messages;
    Trace& trace;
    Files& files;
    int volume_percent = 100;
    bool ok = false;
    std::vector<std::unique_ptr<Device>> devices;

    Voice wave;
    bool wave_open = false;
    Voice player;  // the synchronous player
    Voice looping;
    Voice beeper;

    // The running device for a format, opened at its first use; nullptr
    // when SDL refuses the format.
    Device* device_for(const PcmFormat& format) {
        for (auto& d : devices)
            if (d->format == format) return d.get();
        if (format.bits != 8 && format.bits != 16) return nullptr;
        if (format.channels == 0 || format.channels > 8 || format.rate_hz == 0 ||
            format.rate_hz > 384000)
            return nullptr;
        if (devices.size() >= most_devices) close_idle_devices();
        auto d = std::make_unique<Device>();
        d->api = &api;
        d->format = format;
        d->frame_bytes = size_t(format.channels) * (format.bits / 8);
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(format.rate_hz);
        want.format = sdl_format(format.bits);
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = device_buffer_frames(format.rate_hz);
        want.callback = &Device::callback;
        want.userdata = d.get();
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to what the hardware takes.
        d->id = api.open_device(nullptr, 0, &want, &have, 0);
        if (d->id == 0 && !devices.empty()) {
            // Some drivers (SDL's dummy one among them) take one device at a time.
            close_idle_devices();
            d->id = api.open_device(nullptr, 0, &want, &have, 0);
        }
        if (d->id == 0) return nullptr;
        api.pause_device(d->id, 0);
        devices.push_back(std::move(d));
        return devices.back().get();
    }

    void close_idle_devices() {
        for (auto it = devices.begin(); it != devices.end();) {
            if ((*it)->voices.empty()) {
                api.close_device((*it)->id);
                it = devices.erase(it);
            } else {
                ++it;
            }
        }
    }

    // Moves a voice to a device (or to none), dropping nothing.
    void attach(Voice& v, Device* d) {
        if (v.device == d) return;
        if (v.device) {
            Device& old = *v.device;
            old.lock();
            old.voices.erase(std::remove(old.voices.begin(), old.voices.end(), &v),
                             old.voices.end());
            old.unlock();
        }
        v.device = d;
        if (d) {
            d->lock();
            d->voices.push_back(&v);
            d->unlock();
        }
    }

    template <typename F>
    auto locked(Voice& v, F&& f) {
        if (v.device) v.device->lock();
        struct Unlock {
            Device* d;
            ~Unlock() {
                if (d) d->unlock();
            }
        } unlock{v.device};
        return f();
    }

    // Queues samples on a voice; the length is cut to whole frames.
    void queue(Voice& v, const uint8_t* data, size_t length, uint32_t block_id) {
        Piece p;
        const size_t frame = v.device ? v.device->frame_bytes : 1;
        p.bytes.assign(data, data + length / frame * frame);
        if (v.device)
            common::apply_volume(p.bytes.data(), p.bytes.size(), v.device->format, volume_percent);
        p.block_id = block_id;
        locked(v, [&] { v.pieces.push_back(std::move(p)); });
    }

    void clear(Voice& v) {
        locked(v, [&] { v.pieces.clear(); });
    }

    // Plays a WAV image on a voice; false when it holds no sound we can play.
    bool start_image(Voice& v, const uint8_t* image, size_t bytes, bool loop) {
        const auto sound = riff::find_wave_sound(image, bytes);
        if (!sound || sound->format_tag != 1) return false;
        Device* d = device_for(sound->format);
        if (!d) return false;
        clear(v);
        attach(v, d);
        locked(v, [&] { v.loop = loop; });
        queue(v, image + sound->data_offset, sound->data_bytes, 0);
        return true;
    }
};

SdlAudio::SdlAudio(const SdlAudioApi& api, MessageQueue& messages, Trace& trace, Files& files)
    : impl_(std::make_unique<Impl>(api, messages, trace, files)) {
    impl_->ok = api.init_subsystem(SDL_INIT_AUDIO) == 0;
}

SdlAudio::~SdlAudio() {
    Impl& s = *impl_;
    for (auto& d : s.devices) s.api.close_device(d->id);
    s.devices.clear();
    if (s.ok) s.api.quit_subsystem(SDL_INIT_AUDIO);
}

void SdlAudio::set_volume(int percent) {
    impl_->volume_percent = percent;
}

bool SdlAudio::available() const {
    return impl_->ok;
}

int SdlAudio::open(const PcmFormat& format) {
    Impl& s = *impl_;
    if (!s.ok) return mmsyserr_nodriver;
    if (s.wave_open) return mmsyserr_noerror;
    Device* d = s.device_for(format);
    if (!d) return format.bits == 8 || format.bits == 16 ? mmsyserr_error : waverr_badformat;
    s.clear(s.wave);
    s.attach(s.wave, d);
    s.wave_open = true;
    s.trace.event("wave-open", std::to_string(format.rate_hz) + " " + std::to_string(format.bits) +
                                   " " + std::to_string(format.channels));
    return mmsyserr_noerror;
}

bool SdlAudio::is_open() const {
    return impl_->wave_open;
}

int SdlAudio::write(uint32_t block_id, const uint8_t* data, size_t length) {
    Impl& s = *impl_;
    if (!s.wave_open) return mmsyserr_invalhandle;
    s.trace.event("wave-block", std::to_string(length));
    s.queue(s.wave, data, length, block_id);
    return mmsyserr_noerror;
}

void SdlAudio::reset() {
    Impl& s = *impl_;
    if (!s.wave_open) return;
    s.trace.event("wave-stop", "");
    std::deque<Piece> stopped;
    s.locked(s.wave, [&] { stopped.swap(s.wave.pieces); });
    for (const Piece& p : stopped) {
        Message m;
        m.kind = MessageKind::wave_done;
        m.block_id = p.block_id;
        s.messages.post_message(m);
    }
}

void SdlAudio::close() {
    Impl& s = *impl_;
    if (!s.wave_open) return;
    // The device keeps running for the next sound; only this user leaves it.
    s.clear(s.wave);
    s.attach(s.wave, nullptr);
    s.wave_open = false;
    s.trace.event("wave-close", "");
}

void SdlAudio::poll() {
    Impl& s = *impl_;
    if (s.beeper.device) {
        // A beep that has played leaves its device free for others.
        const bool beeping = s.locked(s.beeper, [&] {
            while (!s.beeper.pieces.empty() && s.beeper.pieces.front().done)
                s.beeper.pieces.pop_front();
            return !s.beeper.pieces.empty();
        });
        if (!beeping) s.attach(s.beeper, nullptr);
    }
    if (s.wave.device == nullptr) return;
    std::vector<uint32_t> finished;
    const Time t = now();
    s.locked(s.wave, [&] {
        while (!s.wave.pieces.empty() && s.wave.pieces.front().done &&
               s.wave.pieces.front().heard_at <= t) {
            finished.push_back(s.wave.pieces.front().block_id);
            s.wave.pieces.pop_front();
        }
    });
    for (const uint32_t id : finished) {
        Message m;
        m.kind = MessageKind::wave_done;
        m.block_id = id;
        s.messages.post_message(m);
    }
}

bool SdlAudio::blocks_pending() const {
    Impl& s = *impl_;
    return s.wave_open && s.locked(s.wave, [&] { return !s.wave.pieces.empty(); });
}

bool SdlAudio::play_file_sync(std::string_view name) {
    Impl& s = *impl_;
    s.trace.event("sound", name);
    if (!s.ok) return false;
    std::vector<uint8_t> image;
    if (!s.files.read_whole(name, image)) return false;
    if (!s.start_image(s.player, image.data(), image.size(), false)) return false;
    // Poll until the last sample has been heard: the wait ends within a
    // millisecond of it. A device that stops taking samples must not hang
    // the program: two seconds past the sound's length it gives up.
    const PcmFormat& f = s.player.device->format;
    const auto length = std::chrono::milliseconds(s.player.pieces.front().bytes.size() * 1000 /
                                                  (size_t(f.rate_hz) * f.channels * (f.bits / 8)));
    const Time give_up = now() + length + std::chrono::seconds(2);
    for (;;) {
        const auto heard = s.locked(s.player, [&] {
            const Piece& p = s.player.pieces.front();
            return p.done ? std::optional<Time>(p.heard_at) : std::nullopt;
        });
        const Time t = now();
        if ((heard && *heard <= t) || t >= give_up) break;
        std::this_thread::sleep_for(heard ? *heard - t : std::chrono::milliseconds(1));
    }
    s.clear(s.player);
    s.attach(s.player, nullptr);
    return true;
}

bool SdlAudio::play_memory_looping(const std::vector<uint8_t>& image) {
    Impl& s = *impl_;
    stop();
    s.trace.event("sound-async", std::to_string(image.size()));
    if (!s.ok) return false;
    return s.start_image(s.looping, image.data(), image.size(), true);
}

void SdlAudio::stop() {
    Impl& s = *impl_;
    const bool playing = s.locked(s.looping, [&] { return !s.looping.pieces.empty(); });
    if (!playing) return;
    s.trace.event("sound-stop", "");
    s.clear(s.looping);
    s.attach(s.looping, nullptr);
}

void SdlAudio::beep() {
    Impl& s = *impl_;
    if (!s.ok) return;
    // A square wave of about 900 Hz for 0.1 s.
    Device* d = s.device_for(PcmFormat{11025, 8, 1});
    if (!d) return;
    s.attach(s.beeper, d);
    std::vector<uint8_t> blip(1100);
    for (size_t i = 0; i < blip.size(); ++i) blip[i] = (i / 6) % 2 ? 100 : 156;
    s.locked(s.beeper, [&] {
        while (!s.beeper.pieces.empty() && s.beeper.pieces.front().done)
            s.beeper.pieces.pop_front();
    });
    s.queue(s.beeper, blip.data(), blip.size(), 0);
}

std::optional<SdlAudioApi> load_sdl_audio_api(Libraries& libraries, std::string& error) {
    // The library stays loaded for the rest of the process: its audio thread
    // may outlive any one user.
    void* library = libraries.load("libSDL2-2.0.so.0");
    if (!library) {
        error = "cannot load libSDL2-2.0.so.0";
        return std::nullopt;
    }
    SdlAudioApi api;
    bool complete = true;
    const auto bind = [&](auto& slot, const char* name) {
        void* symbol = libraries.symbol(library, name);
        complete = complete && symbol != nullptr;
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(symbol);
    };
    bind(api.init_subsystem, "SDL_InitSubSystem");
    bind(api.quit_subsystem, "SDL_QuitSubSystem");
    bind(api.open_device, "SDL_OpenAudioDevice");
    bind(api.close_device, "SDL_CloseAudioDevice");
    bind(api.pause_device, "SDL_PauseAudioDevice");
    bind(api.lock_device, "SDL_LockAudioDevice");
    bind(api.unlock_device, "SDL_UnlockAudioDevice");
    bind(api.get_error, "SDL_GetError");
    if (!complete) {
        error = "libSDL2-2.0.so.0 lacks audio functions";
        return std::nullopt;
    }
    return api;
}

}  // namespace host::sdl
