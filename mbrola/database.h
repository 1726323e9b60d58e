// The in-process voice database: diphones cut from recorded speech, with the
// pitch marks of each. The file layout (all integers little-endian):
//
//   "ZDIFONES"                 8 bytes, the format's mark
//   u32 version (1), u32 sample rate in Hz, u32 recorded pitch in centi-Hz
//   u16 info length, info bytes (a line of text about the voice)
//   u16 phoneme count, each: u8 length, name bytes
//   u32 diphone count, each: u16 left, u16 right (phoneme numbers),
//       u32 first sample, u32 sample count, u32 boundary (offset of the right
//       phoneme's start), u32 first mark, u32 mark count
//   u32 mark count, each u32: offset in its diphone, bit 31 set when voiced
//   u32 sample count, each i16
//
// A diphone runs from the middle of its left phoneme to the middle of its
// right one. Marks are pitch-synchronous inside voiced stretches and evenly
// spaced at the recorded pitch elsewhere.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mbrola {

inline constexpr char kDatabaseMark[8] = {'Z', 'D', 'I', 'F', 'O', 'N', 'E', 'S'};
constexpr uint32_t kDatabaseVersion = 1;
constexpr uint32_t kVoicedFlag = 0x80000000u;
// Files above this size are refused before they are read whole.
constexpr uint64_t kMaxDatabaseBytes = 64u << 20;
// The diphone lookup is a square table over the phonemes.
constexpr uint16_t kMaxPhonemes = 256;

struct Mark {
    uint32_t offset = 0;
    bool voiced = false;
};

struct Diphone {
    uint16_t left = 0, right = 0;
    uint32_t first_sample = 0, sample_count = 0;
    uint32_t boundary = 0;
    uint32_t first_mark = 0, mark_count = 0;
};

struct Database {
    uint32_t rate_hz = 16000;
    double recorded_pitch_hz = 100;
    std::string info;
    std::vector<std::string> phonemes;
    std::vector<Diphone> diphones;
    std::vector<Mark> marks;
    std::vector<int16_t> samples;

    // Filled by decode_database: diphone number for left * count + right, -1 if none.
    std::vector<int32_t> lookup;

    int phoneme_index(std::string_view name) const;
    const Diphone* find(int left, int right) const;
    void build_lookup();
};

std::vector<uint8_t> encode_database(const Database& db);
// True when the bytes start with the format's mark (the file is ours).
bool has_database_mark(const uint8_t* bytes, size_t size);
// Checks every count, offset and index; false with a reason on any fault.
bool decode_database(const uint8_t* bytes, size_t size, Database& db, std::string& error);

}  // namespace mbrola
