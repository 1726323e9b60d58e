// Sound on Windows: the wave-out device (waveOut* with window notifications)
// and the system sound player (sndPlaySoundA).
//
// Wave-out states:
//   closed --open--> open --write--> playing blocks --MM_WOM_DONE--> wave_done posted
//   open --reset--> open (every queued block reported done at once)
//   open --close--> closed (blocks not yet reported are dropped)
#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "host/audio.h"
#include "host/files.h"
#include "host/messages.h"
#include "host/trace.h"

namespace host::win32 {

class Win32Audio : public WaveOut, public SoundPlayer {
public:
    // Finished blocks are posted to `messages` while the thread pumps its
    // window messages (the device notifies a message-only window of ours).
    Win32Audio(MessageQueue& messages, Trace& trace, Files& files);
    ~Win32Audio() override;
    Win32Audio(const Win32Audio&) = delete;
    Win32Audio& operator=(const Win32Audio&) = delete;

    // False when the machine has no wave-out device.
    bool available() const;
    // Loudness of everything played from now on, 0..100.
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

    // Whether blocks are queued on the device (a wait then also watches the
    // clock, in case a notification is late).
    bool blocks_pending() const;

    // Posts wave_done for every block the device has given back, in order.
    // The notification window calls it; a wait may call it too. Cheap.
    void collect_done_blocks();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace host::win32
