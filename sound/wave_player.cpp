#include "sound/wave_player.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/riff.h"
#include "sound/wav_reader.h"

namespace sound {

namespace {

constexpr uint8_t silence8 = 128;
constexpr size_t shortest_block = 256;
constexpr int full_queue_retries = 40;
constexpr uint16_t full_queue_wait_ms = 50;
constexpr uint16_t queue_poll_ms = 10;
constexpr uint16_t open_retry_ms = 100;

// Index of the largest sample in samples[from, to], the first of equals.
// Only samples above 0 count. A window holding none answers its first
// position, the shortest period: keeping the previous position instead would
// let the pass stand still for ever on a stretch of zero samples.
size_t peak_in(const uint8_t* samples, size_t from, size_t to) {
    size_t at = from;
    uint8_t best = 0;
    for (size_t i = from; i <= to; ++i) {
        if (samples[i] > best) {
            best = samples[i];
            at = i;
        }
    }
    return at;
}

}  // namespace

void fill_wav_header(uint8_t* image, uint32_t data_length, uint32_t rate_hz, uint16_t bits,
                     uint16_t channels) {
    // The block align follows the format too: 1 for the program's own
    // 8-bit mono images, and right for any other.
    host::riff::put_wav_header(image, host::PcmFormat{rate_hz, bits, channels}, data_length);
}

const char* wave_error_message(int code) {
    switch (code) {
        case host::mmsyserr_invalhandle:
            return "Specified device handle is invalid.";
        case host::mmsyserr_nodriver:
            return "No device driver is present.";
        case host::mmsyserr_nomem:
            return "Unable to allocate or lock memory.";
        case host::waverr_stillplaying:
            return "The data block pointed to by the pwh parameter is still in queue";
        default:
            return nullptr;
    }
}

size_t shorten_piece(uint8_t* samples, size_t length, uint16_t bits, uint32_t rate_hz) {
    size_t n = length;
    if (bits == 16) {
        // The high byte of each little-endian sample, signed made unsigned.
        n = length / 2;
        for (size_t i = 0; i < n; ++i) samples[i] = samples[2 * i + 1] ^ 0x80;
    }
    if (n < 1000) return n;

    const bool low_rate = rate_hz == 11025;
    const size_t start = low_rate ? 200 : 800;
    const size_t shortest = low_rate ? 80 : 320;  // e: the shortest period
    const size_t width = low_rate ? 50 : 200;     // w: the search width
    const size_t reach = shortest + width;

    // The first window is cut to the piece: at the other rates it reaches past
    // a piece of fewer than 1321 samples.
    size_t p = peak_in(samples, start, std::min(start + reach, n - 1));
    size_t w = p;  // the samples before the first peak stay as they are
    // Each pass drops the period P..Q and keeps Q..R. The bound keeps both
    // windows inside the piece.
    while (p + 2 * reach < n) {
        const size_t q = peak_in(samples, p + shortest, p + reach);
        const size_t r = peak_in(samples, q + shortest, q + reach);
        std::memmove(samples + w, samples + q, r - q + 1);
        w += r - q + 1;
        p = r;
    }
    // End on a sample near silence, so the cut does not click.
    while (p < n && (samples[w] > silence8 + 20 || samples[w] < silence8 - 20))
        samples[w++] = samples[p++];
    return w;
}

struct WavePlayer::State {
    State(host::Host& h, textwindow::TextWindow& win) : host(h), window(win) {
        for (Block& b : blocks) b.data.assign(block_bytes, silence8);
        scratch.assign(block_bytes, 0);
        work.assign(block_bytes, 0);
    }

    host::Host& host;
    textwindow::TextWindow& window;

    bool device_open = false;
    std::optional<host::PcmFormat> format;

    struct Block {
        std::vector<uint8_t> data;
        // Written to the device and not yet reported finished; stands in for
        // a prepared wave header.
        bool in_flight = false;
    };
    std::array<Block, block_count> blocks;
    uint32_t next_block = 0;  // the last block used, 1..4
    int queued = 0;
    int queue_limit = block_count;
    std::vector<uint8_t> scratch;  // file reading
    std::vector<uint8_t> work;     // a piece being shortened (callers' data stays intact)
};

WavePlayer::WavePlayer(host::Host& host, textwindow::TextWindow& window)
    : state_(new State(host, window)) {
    window.register_exit_handler([this] { close_at_end(); });
}

WavePlayer::~WavePlayer() {
    close_at_end();
    // The window must not call back into a player that is gone.
    state_->window.register_wave_handler([](uint32_t) {});
    state_->window.register_exit_handler(nullptr);
    delete state_;
}

// The end of the program: a device still open is stopped and closed. No
// pumping here: nothing would handle what it delivers.
void WavePlayer::close_at_end() {
    State& s = *state_;
    if (!s.device_open) return;
    if (s.queued > 0) s.host.wave_out.reset();
    s.host.wave_out.close();
    s.device_open = false;
    s.queued = 0;
}

int WavePlayer::queued_blocks() const {
    return state_->queued;
}
bool WavePlayer::device_open() const {
    return state_->device_open;
}

// Stop on key governs every key test of the player, so that a client that
// turns it off (the SAPI 4 client reads it) gets playback no key cuts short.
bool WavePlayer::key_waiting() {
    return stop_on_key && state_->window.key_pressed();
}

int WavePlayer::open_device(const host::PcmFormat& format) {
    State& s = *state_;
    if (s.format && *s.format != format) {
        while (wav_busy()) s.window.wait_message();
    }
    s.format = format;
    if (s.device_open) return host::mmsyserr_noerror;

    s.window.register_wave_handler([this](uint32_t block_id) { on_block_done(block_id); });
    int result = host::mmsyserr_noerror;
    for (int attempt = 1;; ++attempt) {
        result = s.host.wave_out.open(format);
        if (result != host::mmsyserr_allocated || attempt == open_attempts) break;
        s.window.delay_ms(open_retry_ms);
    }
    s.device_open = result == host::mmsyserr_noerror;
    return result;
}

int WavePlayer::write_block(const uint8_t* data, size_t n) {
    State& s = *state_;
    for (int i = 0; i < full_queue_retries && s.queued >= s.queue_limit; ++i) {
        s.window.pump_messages();
        s.window.delay_ms(full_queue_wait_ms);
    }
    if (s.queued >= s.queue_limit) return host::waverr_stillplaying;  // the block is dropped

    s.next_block = s.next_block % block_count + 1;
    State::Block& block = s.blocks[s.next_block - 1];
    // Preparing a header still queued fails on every platform; blocks finish
    // in order, so this only guards against a confused device.
    if (block.in_flight) return host::waverr_stillplaying;

    const host::PcmFormat format = s.format.value_or(host::PcmFormat{});
    n = std::min(n, block_bytes);
    std::memcpy(block.data.data(), data, n);
    if (format.bits == 8 && format.channels == 1) {
        // The device plays at least 256 bytes; the last sample is silenced
        // unless the block is full, so a cut ends without a click.
        if (n < shortest_block) std::memset(block.data.data() + n, silence8, shortest_block - n);
        if (n != block_bytes && n > 0) block.data[n - 1] = silence8;
    } else if (n < shortest_block) {
        // Other formats are padded to the same 256 bytes with their own
        // silence, not with whatever the block held before.
        std::memset(block.data.data() + n, format.bits == 8 ? silence8 : 0, shortest_block - n);
    }
    const size_t length = std::max(n, shortest_block);

    block.in_flight = true;
    ++s.queued;
    const int result = s.host.wave_out.write(s.next_block, block.data.data(), length);
    if (result != host::mmsyserr_noerror) {
        // A block the device refused never comes back as finished: it must
        // not stay counted, or the queue would fill up for good.
        block.in_flight = false;
        --s.queued;
    }
    return result;
}

// The device's notice that a block has played. Our devices need no header
// preparation, so releasing a block stands in for unpreparing its header: it
// fails only for a block number the player never hands out (reported like an
// invalid handle). A notice for a block not in flight (one that arrives after
// wav_stop closed the device) is dropped, so it cannot release a block that
// is playing.
void WavePlayer::on_block_done(uint32_t block_id) {
    State& s = *state_;
    if (block_id < 1 || block_id > uint32_t(block_count)) {
        if (const char* message = wave_error_message(host::mmsyserr_invalhandle))
            s.window.write_output(message);
        s.window.read_input_line();
        return;
    }
    State::Block& block = s.blocks[block_id - 1];
    if (!block.in_flight) return;
    block.in_flight = false;
    if (s.queued > 0) --s.queued;
}

int WavePlayer::play_pcm(const uint8_t* data, size_t length_bytes, uint32_t rate_hz,
                         uint16_t channels, uint16_t bits) {
    State& s = *state_;
    if (play_faster) {
        const uint64_t faster = uint64_t(rate_hz) * 3 / 2;  // the fraction dropped
        rate_hz = static_cast<uint32_t>(std::min<uint64_t>(faster, UINT32_MAX));
    }
    const bool shortening = shorten_speech && channels == 1;
    const uint16_t device_bits = shortening && bits == 16 ? uint16_t(8) : bits;
    const int opened = open_device(host::PcmFormat{rate_hz, device_bits, channels});
    if (opened != host::mmsyserr_noerror) return opened;

    size_t offset = 0;
    while (offset < length_bytes) {
        while (s.queued >= s.queue_limit) {
            s.window.delay_ms(queue_poll_ms);
            if (key_waiting()) {
                wav_stop();
                return 0;
            }
        }
        if (key_waiting()) {
            wav_stop();
            break;
        }
        const size_t piece = std::min(length_bytes - offset, block_bytes);
        const uint8_t* block_data = data + offset;
        size_t n = piece;
        if (shortening) {
            std::memcpy(s.work.data(), block_data, piece);
            n = shorten_piece(s.work.data(), piece, bits, rate_hz);
            block_data = s.work.data();
        }
        offset += piece;
        if (n == 0) continue;
        // A block the device refuses ends the sound with its error, rather
        // than being reported as played.
        const int written = write_block(block_data, n);
        if (written != host::mmsyserr_noerror) return written;
    }
    return 0;
}

int WavePlayer::play_wav_file(std::string_view name) {
    State& s = *state_;
    if (key_waiting()) return 0;
    std::unique_ptr<host::InputFile> file = s.host.files.open_read(name);
    if (!file) return -1;
    s.host.trace.event("wave-file", name);

    int result = -1;
    if (const std::optional<WavFileData> found =
            find_wav_file_data(*file, s.scratch.data(), s.scratch.size())) {
        const WavFormat& f = found->format;
        uint32_t remaining = found->length_bytes;
        uint32_t piece = remaining;
        result = 0;
        bool read_any = false;
        while (remaining > 0) {
            piece = next_wav_piece(remaining, piece);
            remaining -= piece;
            const size_t got = file->read(s.scratch.data(), piece);
            if (got == 0) {
                // -1 only when the file holds none of its data: a data chunk
                // longer than the file plays what is there.
                if (!read_any) result = -1;
                break;
            }
            read_any = true;
            result = play_pcm(s.scratch.data(), got, f.rate_hz, f.channels, f.bits);
            if (result != 0 || key_waiting()) break;
        }
    }
    file.reset();
    if (!do_not_wait) {
        while (wav_busy()) s.window.wait_message();
    }
    return result;
}

void WavePlayer::play_wav_buffer(const uint8_t* image, size_t image_length) {
    const std::optional<WavImageData> found = find_wav_image_data(image, image_length);
    if (!found) return;
    play_pcm(image + found->offset, found->length_bytes, found->format.rate_hz,
             found->format.channels, found->format.bits);
}

bool WavePlayer::wav_busy() {
    State& s = *state_;
    s.window.pump_messages();
    if (key_waiting() || s.queued == 0) wav_stop();
    return s.queued != 0;
}

void WavePlayer::wav_stop() {
    State& s = *state_;
    if (!s.device_open) return;
    if (s.queued > 0) s.host.wave_out.reset();
    s.window.pump_messages();
    s.host.wave_out.close();
    s.window.pump_messages();
    // Closing drops whatever was not reported: nothing is queued any more.
    s.device_open = false;
    s.queued = 0;
    for (State::Block& b : s.blocks) b.in_flight = false;
}

}  // namespace sound
