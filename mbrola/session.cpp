#include "mbrola/session.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "mbrola/lines.h"

namespace mbrola {
namespace {

// One line of input may not grow without bound while no line break comes.
constexpr size_t kMaxLineLength = 4096;

std::string first_line(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

std::vector<std::string> split_names(const std::string& text) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        const size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i > start) names.push_back(text.substr(start, i - start));
    }
    return names;
}

uint8_t to_ulaw(int16_t sample) {
    constexpr int kBias = 0x84, kClip = 32635;
    int s = sample;
    const int sign = s < 0 ? 0x80 : 0;
    if (s < 0) s = -s;
    s = std::min(s, kClip) + kBias;
    int exponent = 7;
    for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1) --exponent;
    const int mantissa = (s >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

uint8_t to_alaw(int16_t sample) {
    int s = sample >> 3;  // 13-bit magnitude
    int sign = 0x80;
    if (s < 0) {
        sign = 0;
        s = -s - 1;
    }
    int exponent = 0;
    for (int v = s >> 5; v > 0 && exponent < 7; v >>= 1) ++exponent;
    const int mantissa = exponent == 0 ? (s >> 1) & 0x0F : (s >> exponent) & 0x0F;
    return static_cast<uint8_t>((sign | (exponent << 4) | mantissa) ^ 0x55);
}

}  // namespace

Session::~Session() {
    close();
}

int Session::fail(int code, const std::string& text) {
    error_code_ = code;
    error_text_ = text;
    return code;
}

int Session::init(const char* database_path, const char* rename, const char* clone) {
    close();
    rename_ = rename ? rename : "";
    clone_ = clone ? clone : "";
    error_code_ = kNoError;
    error_text_.clear();
    if (!database_path || !*database_path)
        return fail(kErrorDatabase, "no voice database was given");
    database_path_ = database_path;
    if (!os::is_regular_file(database_path_))
        return fail(kErrorDatabase, "cannot open the voice database " + database_path_);
    std::vector<uint8_t> bytes;
    if (os::read_file(database_path_, bytes, kMaxDatabaseBytes) &&
        has_database_mark(bytes.data(), bytes.size())) {
        auto db = std::make_unique<Database>();
        std::string error;
        if (!decode_database(bytes.data(), bytes.size(), *db, error))
            return fail(kErrorDatabase, database_path_ + ": " + error);
        db_ = std::move(db);
        synth_ = std::make_unique<Synthesizer>(*db_);
        rate_hz_ = static_cast<int>(db_->rate_hz);
        synth_->set_rate_hz(static_cast<uint32_t>(rate_hz_));
        synth_->set_volume(volume_);
        synth_->set_no_error(no_error_);
        for (const std::string* pairs : {&rename_, &clone_}) {
            const std::vector<std::string> names = split_names(*pairs);
            for (size_t i = 0; i + 1 < names.size(); i += 2)
                synth_->add_alias(names[i + 1], names[i]);
        }
        mode_ = Mode::kInProcess;
        return 0;
    }
    program_ = chosen_program_.empty() ? os::find_on_path("mbrola") : chosen_program_;
    if (program_.empty() || !os::is_regular_file(program_))
        return fail(kErrorNoProgram, database_path_ +
                                         " is not a diphone database of this library, and no "
                                         "mbrola program is installed to read it");
    // A short run tells whether the program takes the database at all.
    mode_ = Mode::kChild;
    rate_hz_ = 16000;
    if (write("_ 50\n") < 0 || flush() < 0) {
        const std::string why = error_text_;
        close();
        return fail(kErrorDatabase, "mbrola cannot use " + database_path_ + ": " + why);
    }
    int16_t scratch[1024];
    int n = 0;
    while ((n = read(scratch, 1024)) > 0) {
    }
    if (n < 0) {
        const std::string why = error_text_;
        close();
        return fail(kErrorDatabase, "mbrola cannot use " + database_path_ + ": " + why);
    }
    return 0;
}

void Session::close() {
    stop_child(true);
    synth_.reset();
    db_.reset();
    pending_.clear();
    mode_ = Mode::kClosed;
}

void Session::reset() {
    pending_.clear();
    if (synth_) synth_->reset();
    stop_child(true);
    error_code_ = kNoError;
    error_text_.clear();
}

void Session::set_no_error(bool on) {
    no_error_ = on;
    if (synth_) synth_->set_no_error(on);
}

void Session::set_rate_hz(int rate_hz) {
    rate_hz_ = std::clamp(rate_hz, 8000, 48000);
    if (synth_) synth_->set_rate_hz(static_cast<uint32_t>(rate_hz_));
}

int Session::rate_hz() const {
    return rate_hz_;
}

void Session::set_volume(float ratio) {
    volume_ = std::isfinite(ratio) ? std::clamp(ratio, 0.0f, 16.0f) : 1.0f;
    if (synth_) synth_->set_volume(volume_);
}

std::string Session::database_info(int index) const {
    if (mode_ == Mode::kInProcess) {
        if (index == 0) return db_->info;
        if (index == 1)
            return std::to_string(db_->phonemes.size()) + " phonemes, " +
                   std::to_string(db_->diphones.size()) + " diphones, " +
                   std::to_string(db_->rate_hz) + " Hz";
        return "";
    }
    if (mode_ == Mode::kChild && index == 0) return database_path_ + " (read by " + program_ + ")";
    return "";
}

int Session::handle_line(std::string_view line) {
    if (mode_ == Mode::kChild) {
        if (child_draining_) {
            // What the flushed child prints stays readable; a new one follows it.
            if (const int rc = finish_draining(); rc < 0) return rc;
        }
        if (child_.pid < 0) {
            if (const int rc = start_child(); rc < 0) return rc;
        }
        std::string text(line);
        text += '\n';
        if (!os::write_all(child_, text, child_output_, child_errors_)) {
            return child_failure(end_after_failed_write());
        }
        return 0;
    }
    const ParsedLine parsed = parse_line(line);
    switch (parsed.kind) {
        case LineKind::kEmpty:
            return 0;
        case LineKind::kFlush:
            synth_->flush();
            return 0;
        case LineKind::kError:
            return fail(kErrorInput, parsed.error);
        case LineKind::kPhone: {
            std::string error;
            if (!synth_->add(parsed.phone, error)) return fail(kErrorInput, error);
            return 0;
        }
    }
    return 0;
}

int Session::write(const char* text) {
    if (mode_ == Mode::kClosed) return fail(kErrorNotOpen, "the synthesizer is not initialised");
    if (!text) return 0;
    const size_t length = std::strlen(text);
    std::string_view rest(text, length);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            if (pending_.size() + rest.size() > kMaxLineLength) {
                pending_.clear();
                return fail(kErrorInput, "input line too long");
            }
            pending_.append(rest);
            break;
        }
        std::string line = pending_;
        line.append(rest.substr(0, end));
        pending_.clear();
        rest.remove_prefix(end + 1);
        if (line.size() > kMaxLineLength) return fail(kErrorInput, "input line too long");
        if (const int rc = handle_line(line); rc < 0) return rc;
    }
    return static_cast<int>(std::min<size_t>(length, INT32_MAX));
}

int Session::flush() {
    if (mode_ == Mode::kClosed) return fail(kErrorNotOpen, "the synthesizer is not initialised");
    if (!pending_.empty()) {
        const std::string line = pending_;
        pending_.clear();
        if (const int rc = handle_line(line); rc < 0) return rc;
    }
    if (mode_ == Mode::kInProcess) {
        synth_->flush();
        return 1;
    }
    if (child_.pid < 0 || child_draining_) return 1;
    if (!os::write_all(child_, "#\n", child_output_, child_errors_))
        return child_failure(end_after_failed_write());
    os::close_input(child_);
    child_draining_ = true;
    return 1;
}

int Session::child_step(int wait_ms) {
    const os::ReadResult result = os::read_some(child_, child_output_, child_errors_, wait_ms);
    if (result == os::ReadResult::kEnd) {
        const os::Exit exit = os::finish(child_, false);
        child_draining_ = false;
        if (exit.signalled || exit.code != 0) return child_failure(exit);
    } else if (result == os::ReadResult::kNothing && wait_ms > 0) {
        os::finish(child_, true);
        child_draining_ = false;
        return fail(kErrorChild, "the mbrola program stopped giving samples; it was ended");
    }
    return 0;
}

int Session::finish_draining() {
    while (child_.pid >= 0)
        if (const int rc = child_step(kChildSilenceLimitMs); rc < 0) return rc;
    return 0;
}

int Session::read(int16_t* samples, int wanted) {
    if (mode_ == Mode::kClosed) return fail(kErrorNotOpen, "the synthesizer is not initialised");
    if (!samples || wanted <= 0) return 0;
    if (mode_ == Mode::kInProcess)
        return static_cast<int>(synth_->read(samples, static_cast<size_t>(wanted)));
    // Before a flush only what is there is returned; after it, reading
    // waits for the samples until the program ends.
    if (child_.pid >= 0 && !child_draining_) {
        if (const int rc = child_step(0); rc < 0) return rc;
    }
    while (child_output_.size() - child_read_at_ < 2 && child_.pid >= 0 && child_draining_)
        if (const int rc = child_step(kChildSilenceLimitMs); rc < 0) return rc;
    const size_t whole = (child_output_.size() - child_read_at_) / 2;
    const size_t n = std::min(whole, static_cast<size_t>(wanted));
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &child_output_[child_read_at_ + 2 * i];
        const int16_t v = static_cast<int16_t>(p[0] | (p[1] << 8));
        samples[i] = static_cast<int16_t>(
            std::clamp(std::lround(v * static_cast<double>(volume_)), -32768L, 32767L));
    }
    child_read_at_ += 2 * n;
    if (child_read_at_ > 65536 && child_read_at_ * 2 > child_output_.size()) {
        child_output_.erase(child_output_.begin(),
                            child_output_.begin() + static_cast<std::ptrdiff_t>(child_read_at_));
        child_read_at_ = 0;
    }
    return static_cast<int>(n);
}

int Session::read_type(void* out, int wanted, int type) {
    if (type == kLin16) return read(static_cast<int16_t*>(out), wanted);
    if (!out || wanted <= 0) return read(nullptr, 0);
    if (type != kLin8 && type != kUlaw && type != kAlaw)
        return fail(kErrorInput, "unknown audio type " + std::to_string(type));
    std::vector<int16_t> buffer(static_cast<size_t>(wanted));
    const int n = read(buffer.data(), wanted);
    auto* bytes = static_cast<uint8_t*>(out);
    for (int i = 0; i < n; ++i) {
        const int16_t s = buffer[static_cast<size_t>(i)];
        bytes[i] = type == kLin8   ? static_cast<uint8_t>((s >> 8) + 128)
                   : type == kUlaw ? to_ulaw(s)
                                   : to_alaw(s);
    }
    return n;
}

std::vector<std::string> Session::child_arguments() const {
    std::vector<std::string> args{program_};
    if (no_error_) args.push_back("-e");
    if (rate_hz_ != 16000) {
        args.push_back("-l");
        args.push_back(std::to_string(rate_hz_));
    }
    if (!rename_.empty()) {
        args.push_back("-R");
        args.push_back(rename_);
    }
    if (!clone_.empty()) {
        args.push_back("-C");
        args.push_back(clone_);
    }
    // The volume is applied here to what the program returns.
    args.push_back(database_path_);
    args.push_back("-");
    args.push_back("-");
    return args;
}

int Session::start_child() {
    child_errors_.clear();
    std::string error;
    if (!os::spawn(child_arguments(), child_, error))
        return fail(kErrorChild, "cannot start " + program_ + ": " + error);
    child_draining_ = false;
    return 0;
}

void Session::stop_child(bool kill) {
    if (child_.pid >= 0) os::finish(child_, kill);
    child_draining_ = false;
    if (kill) {
        child_output_.clear();
        child_read_at_ = 0;
    }
}

// The program stopped reading, most likely because it has ended: what it
// printed on its way out says why, so read it before the pipes close.
os::Exit Session::end_after_failed_write() {
    for (int i = 0; i < 50; ++i)
        if (os::read_some(child_, child_output_, child_errors_, 100) != os::ReadResult::kData)
            break;
    return os::finish(child_, false);
}

int Session::child_failure(const os::Exit& exit) {
    child_draining_ = false;
    std::string text =
        exit.signalled ? "the mbrola program ended with signal " + std::to_string(exit.code)
                       : "the mbrola program failed (exit code " + std::to_string(exit.code) + ")";
    const std::string said = first_line(child_errors_);
    if (!said.empty()) text += ": " + said;
    return fail(kErrorChild, text);
}

}  // namespace mbrola
