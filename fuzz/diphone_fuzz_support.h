// Shared pieces of the diphone fuzz targets: a small rule set written the
// way a real rules file is, and a unit player that finds a name when its
// hash says so, so that every fallback path is reached.
#pragma once
#include <cstdint>
#include <string_view>

#include "diphone/speaker.h"

namespace diphone_fuzz {

inline constexpr std::string_view sample_rules =
    "(A~O)=a~w|\n(A~)=a~|\n(A^)=a^|\n(A')=a|\n(AM)%=a~w|\n(AN)[=a~|\n(A)=a|\n(B)=b|\n"
    "(CH)=x|\n(C)+=s|\n(C)=k|\n(D)+=dj|\n(D)=d|\n(E')=e|\n(E^)=e^|\n(EM)%=e~y|\n(E)%=i|\n"
    "(E)=e|\n(F)=f|\n(GU)+=g|\n(G)+=j|\n(G)=g|\n(H)=|\n(I)=i|\n(J)=j|\n(L)%=w|\n(L)*=w|\n"
    "(LH)=ly|\n(L)=l|\n(M)=m|\n(NH)=nh|\n(N)=n|\n(O~)=o~|\n(O^)=o^|\n(O)\\%=u|\n(O)=o|\n"
    "(P)=p|\n(QU)+=k|\n(Q)=k|\n%(R)=rr|\n(RR)=rr|\n|(R)=rr|\n(R)=r|\n#(S)#=z|\n(SS)=s|\n"
    "(S)=s|\n(T)+=tch|\n(T)=t|\n(U)=u|\n(V)=v|\n(X)=x|\n(Z)=z|\n]_(A)&=a ka|\n(1)=_1|\n"
    "(,)= /_,|\n";

struct HashPlayer : diphone::UnitPlayer {
    uint64_t fetched = 0;
    static bool hashed(std::string_view name) {
        uint32_t h = 2166136261u;
        for (const char c : name) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
        return (h & 3) != 0;
    }
    void begin_utterance() override {}
    bool play_unit(std::string_view name, diphone::StressMode, double factor) override {
        ++fetched;
        return factor >= 0 && hashed(name);
    }
    bool play_letter_sound(std::string_view name) override { return ++fetched, hashed(name); }
    void append_silence(int) override {}
    void append_noise() override {}
    void flush_speech() override {}
};

}  // namespace diphone_fuzz
