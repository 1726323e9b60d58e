// The wave-out player: RIFF/WAVE files, in-memory WAV images and raw PCM played
// in four rotating blocks, stopped by any key press; the 44-byte in-memory WAV
// header; the play-faster and shorten-speech switches.
//
// Device states and their transitions:
//   closed  --first block of a format (open_device)-->  open
//   open    --write_block-->                             playing (blocks queued)
//   playing --every block reported done-->               open
//   playing/open --wav_busy finds nothing queued, or a key with stop on key,
//                  or wav_stop-->                        closed
//   open/playing --a block of another format-->  waits for the end, closed, reopened
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/host.h"
#include "host/riff.h"
#include "textwindow/text_window.h"

namespace sound {

constexpr size_t wav_header_bytes = host::riff::wav_header_bytes;
constexpr size_t block_bytes = 65534;
constexpr int block_count = 4;
// Opening retries while another user holds the device, 100 ms apart.
constexpr int open_attempts = 100;

// Writes the PCM header of `data_length` bytes in the given format into
// image[0..44) (host::riff::put_wav_header).
void fill_wav_header(uint8_t* image, uint32_t data_length, uint32_t rate_hz, uint16_t bits,
                     uint16_t channels);

// Converts 16-bit mono to 8 bits (when bits is 16) and drops every other pitch
// period; returns the new length. Works in place on `samples`.
size_t shorten_piece(uint8_t* samples, size_t length, uint16_t bits, uint32_t rate_hz);

// The text shown for a failed release of a finished block, or nullptr for a
// code without a message.
const char* wave_error_message(int code);

class WavePlayer {
public:
    WavePlayer(host::Host& host, textwindow::TextWindow& window);
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    // 0 when played to its end or stopped by a key; -1 when the file cannot be
    // opened, is not RIFF/WAVE or has no readable data; a device error otherwise.
    int play_wav_file(std::string_view name);
    // Plays a RIFF/WAVE image; returns once all of its data is queued.
    void play_wav_buffer(const uint8_t* image, size_t image_length);
    int play_pcm(const uint8_t* data, size_t length_bytes, uint32_t rate_hz, uint16_t channels,
                 uint16_t bits);
    bool wav_busy();
    void wav_stop();

    // Blocks written and not yet reported finished.
    int queued_blocks() const;
    bool device_open() const;

    bool shorten_speech = false;
    bool play_faster = false;
    bool stop_on_key = true;
    bool do_not_wait = false;

private:
    int open_device(const host::PcmFormat& format);
    int write_block(const uint8_t* data, size_t length_bytes);
    void on_block_done(uint32_t block_id);
    void close_at_end();
    bool key_waiting();

    struct State;
    State* state_;
};

}  // namespace sound
