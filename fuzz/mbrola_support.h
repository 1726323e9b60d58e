// A small voice database for the synthesizer fuzz targets: the pause and two
// phonemes, each diphone a decaying pulse train with marks.
#pragma once
#include <cmath>

#include "mbrola/database.h"

inline mbrola::Database fuzz_voice() {
    mbrola::Database db;
    db.info = "fuzz";
    db.recorded_pitch_hz = 100;
    db.phonemes = {"_", "a", "s"};
    for (uint16_t l = 0; l < 3; ++l)
        for (uint16_t r = 0; r < 3; ++r) {
            mbrola::Diphone d;
            d.left = l;
            d.right = r;
            d.first_sample = static_cast<uint32_t>(db.samples.size());
            d.sample_count = 960;
            d.boundary = 480;
            d.first_mark = static_cast<uint32_t>(db.marks.size());
            d.mark_count = 6;
            for (uint32_t m = 0; m < 6; ++m) db.marks.push_back({m * 160 + 20, r != 2});
            for (int i = 0; i < 960; ++i)
                db.samples.push_back(static_cast<int16_t>(
                    (l + r) * 3000 * std::exp(-((i - 20) % 160) / 30.0) * std::cos(i * 0.3)));
            db.diphones.push_back(d);
        }
    db.build_lookup();
    return db;
}
