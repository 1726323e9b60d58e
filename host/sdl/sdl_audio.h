// The desktop's sound on SDL audio: the wave-out device, the system sound
// player and the beep. One SDL device per PCM format is opened at its first
// use and kept running with a small buffer, so a sound starts and ends within
// a buffer or two of its samples; sounds of the same format are mixed on it.
//
// The SDL functions come through a table, bound to the linked library by the
// desktop and loaded at the first sound by the window-less backend, so that a
// program that never plays anything never loads SDL.
#pragma once
#include <SDL_audio.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/audio.h"
#include "host/files.h"
#include "host/messages.h"
#include "host/trace.h"

namespace host::sdl {

struct SdlAudioApi {
    int (*init_subsystem)(Uint32) = nullptr;
    void (*quit_subsystem)(Uint32) = nullptr;
    SDL_AudioDeviceID (*open_device)(const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*,
                                     int) = nullptr;
    void (*close_device)(SDL_AudioDeviceID) = nullptr;
    void (*pause_device)(SDL_AudioDeviceID, int) = nullptr;
    void (*lock_device)(SDL_AudioDeviceID) = nullptr;
    void (*unlock_device)(SDL_AudioDeviceID) = nullptr;
    const char* (*get_error)() = nullptr;
};

// The table of a program linked with SDL (sdl_audio_linked.cpp).
SdlAudioApi linked_sdl_audio_api();

// The table from the SDL library loaded at run time; nullopt (and the reason
// in `error`) when it cannot be loaded.
std::optional<SdlAudioApi> load_sdl_audio_api(Libraries& libraries, std::string& error);

// The device buffer for a rate: the largest power of two of at most 1/40 s,
// between 128 and 1024 frames, so that the end of a sound is heard at most
// about 25 ms after the device took its last sample.
uint16_t device_buffer_frames(uint32_t rate_hz);

class SdlAudio : public WaveOut, public SoundPlayer {
public:
    // Starts SDL's audio subsystem; available() tells whether it could.
    // Finished wave-out blocks are posted to `messages` by poll().
    SdlAudio(const SdlAudioApi& api, MessageQueue& messages, Trace& trace, Files& files);
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    bool available() const;
    // Loudness of everything played from now on, 0..100 (see common/volume.h).
    void set_volume(int percent);

    // WaveOut
    int open(const PcmFormat& format) override;
    bool is_open() const override;
    int write(uint32_t block_id, const uint8_t* data, size_t length_bytes) override;
    void reset() override;
    void close() override;

    // SoundPlayer
    bool play_file_sync(std::string_view name) override;
    bool play_memory_looping(const std::vector<uint8_t>& image) override;
    void stop() override;

    // A short tone, like MessageBeep: it does not wait for its end. The
    // window that asks for it traces it.
    void beep();

    // Posts wave_done for the blocks that have played. Cheap; never blocks
    // for longer than the audio callback holds its lock.
    void poll();
    // Whether wave-out blocks are waiting to be reported (wait with a short
    // timeout then).
    bool blocks_pending() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace host::sdl
