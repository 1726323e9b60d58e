// Phoneme input lines: "symbol duration [position pitch]...", where the
// duration is in milliseconds and each pair gives a pitch target in Hz at a
// position in percent of the phoneme. ";" starts a comment; a line holding
// only "#" asks for everything written so far to be synthesized.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace mbrola {

// Limits that keep one line from asking for unbounded work or memory.
constexpr size_t kMaxSymbolLength = 15;
constexpr double kMaxDurationMs = 30000;
constexpr size_t kMaxPitchPoints = 64;
constexpr double kMinPitchHz = 20;
constexpr double kMaxPitchHz = 1000;

struct PitchTarget {
    double position_percent = 0;
    double hz = 0;
};

struct PhoneLine {
    std::string symbol;
    double duration_ms = 0;
    std::vector<PitchTarget> pitch;  // sorted by position
};

enum class LineKind { kEmpty, kPhone, kFlush, kError };

struct ParsedLine {
    LineKind kind = LineKind::kEmpty;
    PhoneLine phone;
    std::string error;  // for kError: what is wrong, naming the line
};

// Parses one line (without its line break). Never fails on any input: a
// malformed line gives kError with a message.
ParsedLine parse_line(std::string_view line);

}  // namespace mbrola
