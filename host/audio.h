// Sound: the wave-out device and the system sound player.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace host {

struct PcmFormat {
    uint32_t rate_hz = 11025;
    uint16_t bits = 8;
    uint16_t channels = 1;
    bool operator==(const PcmFormat&) const = default;
};

// Result codes in the wave-out convention.
constexpr int mmsyserr_noerror = 0;
constexpr int mmsyserr_error = 1;
constexpr int mmsyserr_allocated = 4;
constexpr int mmsyserr_invalhandle = 5;
constexpr int mmsyserr_nodriver = 6;
constexpr int mmsyserr_nomem = 7;
constexpr int waverr_badformat = 32;
constexpr int waverr_stillplaying = 33;

class WaveOut {
public:
    virtual ~WaveOut() = default;

    // Opens the device for a PCM format. Returns 0, or mmsyserr_allocated when
    // another user holds it (the caller retries), or another error code.
    virtual int open(const PcmFormat& format) = 0;
    virtual bool is_open() const = 0;

    // Queues a block; the data is copied. When the block has played, a
    // wave_done message with this block_id is posted to the message queue.
    // Returns 0 or an error code. Never blocks.
    virtual int write(uint32_t block_id, const uint8_t* data, size_t length_bytes) = 0;

    // Stops at once; every queued block is reported done (wave_done messages).
    virtual void reset() = 0;

    // Closes the device. Blocks not yet reported are dropped silently.
    virtual void close() = 0;
};

// The system sound player (sndPlaySound).
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Plays a WAV file to its end and returns; pumps no messages. The name is
    // resolved without regard to case relative to the current directory. A
    // missing or unreadable file plays nothing. Returns false then.
    virtual bool play_file_sync(std::string_view name) = 0;

    // Starts playing a WAV image from memory, asynchronously and looping, after
    // stopping whatever played before. The image is copied.
    virtual bool play_memory_looping(const std::vector<uint8_t>& image) = 0;

    // Stops any asynchronous sound.
    virtual void stop() = 0;
};

}  // namespace host
