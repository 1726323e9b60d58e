#include "mbrola/database.h"

#include <cstring>

namespace mbrola {
namespace {

class Writer {
public:
    void u8(uint8_t v) { out.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void bytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    }
    std::vector<uint8_t> out;
};

class Reader {
public:
    Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    bool u8(uint8_t& v) {
        if (n_ - at_ < 1) return false;
        v = p_[at_++];
        return true;
    }
    bool u16(uint16_t& v) {
        if (n_ - at_ < 2) return false;
        v = static_cast<uint16_t>(p_[at_] | (p_[at_ + 1] << 8));
        at_ += 2;
        return true;
    }
    bool u32(uint32_t& v) {
        if (n_ - at_ < 4) return false;
        v = p_[at_] | (p_[at_ + 1] << 8) | (p_[at_ + 2] << 16) | (uint32_t(p_[at_ + 3]) << 24);
        at_ += 4;
        return true;
    }
    bool text(size_t length, std::string& s) {
        if (n_ - at_ < length) return false;
        s.assign(reinterpret_cast<const char*>(p_ + at_), length);
        at_ += length;
        return true;
    }
    // Whether `count` items of `each` bytes remain (so that a count read from
    // the file is checked before anything is allocated for it).
    bool holds(uint64_t count, size_t each) const { return count <= (n_ - at_) / each; }

private:
    const uint8_t* p_;
    size_t n_;
    size_t at_ = 0;
};

bool fail(std::string& error, const char* what) {
    error = std::string("voice database: ") + what;
    return false;
}

}  // namespace

int Database::phoneme_index(std::string_view name) const {
    for (size_t i = 0; i < phonemes.size(); ++i)
        if (phonemes[i] == name) return static_cast<int>(i);
    return -1;
}

const Diphone* Database::find(int left, int right) const {
    const size_t n = phonemes.size();
    if (left < 0 || right < 0 || static_cast<size_t>(left) >= n || static_cast<size_t>(right) >= n)
        return nullptr;
    const int32_t at = lookup.empty() ? -1 : lookup[left * n + right];
    return at < 0 ? nullptr : &diphones[static_cast<size_t>(at)];
}

void Database::build_lookup() {
    const size_t n = phonemes.size();
    lookup.assign(n * n, -1);
    for (size_t i = 0; i < diphones.size(); ++i)
        lookup[diphones[i].left * n + diphones[i].right] = static_cast<int32_t>(i);
}

std::vector<uint8_t> encode_database(const Database& db) {
    Writer w;
    w.bytes(kDatabaseMark, sizeof kDatabaseMark);
    w.u32(kDatabaseVersion);
    w.u32(db.rate_hz);
    w.u32(static_cast<uint32_t>(db.recorded_pitch_hz * 100 + 0.5));
    w.u16(static_cast<uint16_t>(db.info.size()));
    w.bytes(db.info.data(), db.info.size());
    w.u16(static_cast<uint16_t>(db.phonemes.size()));
    for (const std::string& name : db.phonemes) {
        w.u8(static_cast<uint8_t>(name.size()));
        w.bytes(name.data(), name.size());
    }
    w.u32(static_cast<uint32_t>(db.diphones.size()));
    for (const Diphone& d : db.diphones) {
        w.u16(d.left);
        w.u16(d.right);
        w.u32(d.first_sample);
        w.u32(d.sample_count);
        w.u32(d.boundary);
        w.u32(d.first_mark);
        w.u32(d.mark_count);
    }
    w.u32(static_cast<uint32_t>(db.marks.size()));
    for (const Mark& m : db.marks) w.u32(m.offset | (m.voiced ? kVoicedFlag : 0));
    w.u32(static_cast<uint32_t>(db.samples.size()));
    for (int16_t s : db.samples) w.u16(static_cast<uint16_t>(s));
    return std::move(w.out);
}

bool has_database_mark(const uint8_t* bytes, size_t size) {
    return size >= sizeof kDatabaseMark &&
           std::memcmp(bytes, kDatabaseMark, sizeof kDatabaseMark) == 0;
}

bool decode_database(const uint8_t* bytes, size_t size, Database& db, std::string& error) {
    db = Database{};
    if (!has_database_mark(bytes, size)) return fail(error, "not a diphone database");
    Reader r(bytes + sizeof kDatabaseMark, size - sizeof kDatabaseMark);
    uint32_t version = 0, rate = 0, pitch = 0;
    if (!r.u32(version) || !r.u32(rate) || !r.u32(pitch)) return fail(error, "truncated header");
    if (version != kDatabaseVersion) return fail(error, "unknown version");
    if (rate < 8000 || rate > 48000) return fail(error, "bad sample rate");
    if (pitch < 30 * 100 || pitch > 500 * 100) return fail(error, "bad recorded pitch");
    db.rate_hz = rate;
    db.recorded_pitch_hz = pitch / 100.0;
    uint16_t info_length = 0, phoneme_count = 0;
    if (!r.u16(info_length) || !r.text(info_length, db.info)) return fail(error, "truncated info");
    if (!r.u16(phoneme_count) || phoneme_count == 0 || phoneme_count > kMaxPhonemes)
        return fail(error, "bad phoneme count");
    for (uint16_t i = 0; i < phoneme_count; ++i) {
        uint8_t length = 0;
        std::string name;
        if (!r.u8(length) || length == 0 || !r.text(length, name))
            return fail(error, "bad phoneme name");
        db.phonemes.push_back(std::move(name));
    }
    uint32_t diphone_count = 0;
    if (!r.u32(diphone_count) || !r.holds(diphone_count, 24))
        return fail(error, "bad diphone count");
    db.diphones.resize(diphone_count);
    for (Diphone& d : db.diphones) {
        if (!r.u16(d.left) || !r.u16(d.right) || !r.u32(d.first_sample) || !r.u32(d.sample_count) ||
            !r.u32(d.boundary) || !r.u32(d.first_mark) || !r.u32(d.mark_count))
            return fail(error, "truncated diphone table");
        if (d.left >= phoneme_count || d.right >= phoneme_count)
            return fail(error, "diphone names an unknown phoneme");
    }
    uint32_t mark_count = 0;
    if (!r.u32(mark_count) || !r.holds(mark_count, 4)) return fail(error, "bad mark count");
    db.marks.resize(mark_count);
    for (Mark& m : db.marks) {
        uint32_t v = 0;
        r.u32(v);
        m.offset = v & ~kVoicedFlag;
        m.voiced = (v & kVoicedFlag) != 0;
    }
    uint32_t sample_count = 0;
    if (!r.u32(sample_count) || !r.holds(sample_count, 2)) return fail(error, "bad sample count");
    db.samples.resize(sample_count);
    for (int16_t& s : db.samples) {
        uint16_t v = 0;
        r.u16(v);
        s = static_cast<int16_t>(v);
    }
    for (const Diphone& d : db.diphones) {
        if (uint64_t(d.first_sample) + d.sample_count > sample_count || d.sample_count == 0 ||
            d.boundary > d.sample_count)
            return fail(error, "diphone outside the samples");
        if (d.mark_count == 0 || uint64_t(d.first_mark) + d.mark_count > mark_count)
            return fail(error, "diphone outside the marks");
        uint32_t previous = 0;
        for (uint32_t m = 0; m < d.mark_count; ++m) {
            const Mark& mark = db.marks[d.first_mark + m];
            if (mark.offset >= d.sample_count || (m > 0 && mark.offset <= previous))
                return fail(error, "pitch marks out of order");
            previous = mark.offset;
        }
    }
    db.build_lookup();
    return true;
}

}  // namespace mbrola
