#include <gtest/gtest.h>

#include "diphone_helpers.h"

namespace {

using diphone_test::RecordingPlayer;
using Log = std::vector<std::string>;

Log speak(const std::string& phonemes, std::set<std::string> available, bool no_pause = false,
          diphone::UnitStats* stats = nullptr) {
    RecordingPlayer player;
    player.available = std::move(available);
    diphone::speak_phonemes(phonemes, no_pause, 100, player, stats);
    return player.log;
}

TEST(Speaker, WorkedExamples) {
    // Spelled letters: one letter sound per group, word silence between them.
    EXPECT_EQ(speak("[ /_b][ /_c][ /_d]", {"_98", "_99", "_100"}),
              (Log{"begin", "letter _98", "silence 100", "letter _99", "silence 100", "letter _100",
                   "flush"}));
    // A leading consonant is said alone at full factor; "ras" splits before its s.
    EXPECT_EQ(speak("[tras]", {"$t", "$ra", "$s"}),
              (Log{"begin", "unit $t 1 1", "unit $ra 1 1", "unit $s 1 1", "flush"}));
    EXPECT_EQ(speak("[be^]", {"$b", "$eCIRC"}), (Log{"begin", "unit $beCIRC 1 1 missing",
                                                     "unit $b 1 0.9", "unit $eCIRC 1 1", "flush"}));
    EXPECT_EQ(
        speak("[ba~]", {"$baCIRC", "$nn"}),
        (Log{"begin", "unit $baTIL 1 1 missing", "unit $baCIRC 2 0.9", "unit $nn 1 0.9", "flush"}));
}

TEST(Speaker, SplittingCases) {
    struct Case {
        const char* group;
        Log units;
    };
    const Case cases[] = {
        {"sta", {"unit $s 1 1", "unit $ta 1 1"}},
        {"karr", {"unit $ka 1 1", "unit $rr 1 1"}},
        {"dja", {"unit $dja 1 1"}},  // clusters stay whole
        {"nha", {"unit $nha 1 1"}},
        {"tcha", {"unit $tcha 1 1"}},
        {"ksa", {"unit $ksa 1 1"}},
        {"rra", {"unit $rra 1 1"}},
        {"kas", {"unit $ka 1 1", "unit $s 1 1"}},
        {"as", {"unit $a 1 0.7", "unit $s 1 1"}},
        {"_s", {"letter _115"}},
        {"kay", {"unit $ka 1 0.6", "unit $ay 1 1"}},
        {"ay", {"unit $ay 1 1"}},
        {"a^y", {"unit $ayCIRC 1 1"}},  // the mark moves after the semivowel
        {"ka~y", {"unit $kaCIRC 1 0.6", "unit $ayTIL 1 1"}},
        {"ke^y", {"unit $keCIRC 1 0.6", "unit $eyCIRC 1 1"}},
        {"~y",
         {"unit $TIL 1 1 missing", "unit $CIRC 2 0.9 missing", "unit $nn 1 0.9 missing",
          "unit $y 1 1"}},
        {"pe^", {"unit $peCIRC 1 1"}},
        {"e~", {"unit $eTIL 1 1"}},
    };
    const std::set<std::string> units = {"$s",      "$ta",     "$ka",     "$rr",     "$dja",
                                         "$nha",    "$tcha",   "$ksa",    "$rra",    "$a",
                                         "_115",    "$ay",     "$ayCIRC", "$kaCIRC", "$ayTIL",
                                         "$keCIRC", "$eyCIRC", "$y",      "$peCIRC", "$eTIL"};
    for (const auto& c : cases) {
        Log expected{"begin"};
        expected.insert(expected.end(), c.units.begin(), c.units.end());
        expected.push_back("flush");
        EXPECT_EQ(speak(std::string("[") + c.group + "]", units), expected) << c.group;
    }
}

TEST(Speaker, StressModeFollowsTheStressedSyllable) {
    EXPECT_EQ(speak("[ka zA da][ka]", {"$ka", "$zA", "$da"}),
              (Log{"begin", "unit $ka 1 1", "unit $zA 2 1", "unit $da 0 1", "silence 100",
                   "unit $ka 1 1", "flush"}));
}

TEST(Speaker, GroupsJoinUpToEightCharactersAndPausesAtPunctuation) {
    EXPECT_EQ(speak("[aeiouaeio/ua]", {"$aeiouaeio", "$ua"}),
              (Log{"begin", "unit $aeiouaeio 1 1", "silence 100", "unit $ua 1 1", "flush"}));
    EXPECT_EQ(speak("[aeiouaei/ua]", {"$aeiouaeiua"}),
              (Log{"begin", "unit $aeiouaeiua 1 1", "flush"}));
    const std::pair<char, int> pauses[] = {{',', 4000}, {'.', 8000}, {':', 8000}, {';', 6000}};
    for (const auto& [mark, samples] : pauses) {
        const std::string phonemes = std::string("[ /_") + mark + "]";
        EXPECT_EQ(speak(phonemes, {}),
                  (Log{"begin", "silence " + std::to_string(samples), "flush"}))
            << mark;
        // Without pauses the mark is a letter sound like any other (too long
        // a name to be replaced by noise when missing).
        EXPECT_EQ(speak(phonemes, {}, true),
                  (Log{"begin", "letter _" + std::to_string(mark) + " missing", "flush"}));
    }
    EXPECT_EQ(speak("", {}), (Log{"begin", "flush"}));
}

TEST(Speaker, MissingUnitsFallBackOrGiveNoise) {
    EXPECT_EQ(speak("[k]", {}), (Log{"begin", "unit $k 1 1 missing", "noise", "flush"}));
    // A longer unit ending in a consonant plays nothing.
    EXPECT_EQ(speak("[tr]", {}), (Log{"begin", "unit $tr 1 1 missing", "flush"}));
    EXPECT_EQ(speak("[bi~]", {"$bi", "$nn"}), (Log{"begin", "unit $biTIL 1 1 missing",
                                                   "unit $bi 1 0.9", "unit $nn 1 0.9", "flush"}));
    // The factor compounds down a chain of fallbacks.
    EXPECT_EQ(speak("[aea]", {"$a", "$e"}),
              (Log{"begin", "unit $aea 1 1 missing", "unit $ae 1 0.9 missing", "unit $a 1 0.81",
                   "unit $e 1 0.9", "unit $a 1 1", "flush"}));
}

TEST(Speaker, CountsRequestedAndFoundUnits) {
    diphone::UnitStats stats;
    speak("[be^][ka]", {"$b", "$eCIRC", "$ka"}, false, &stats);
    EXPECT_EQ(stats.requested, 2u);
    EXPECT_EQ(stats.found, 1u);
    EXPECT_EQ(stats.fetches, 4u);
    EXPECT_EQ(stats.missing, 1u);
    EXPECT_EQ(stats.noise, 0u);
}

}  // namespace
