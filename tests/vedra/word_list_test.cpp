#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "fake_mbrola.h"
#include "host/random.h"
#include "host/text.h"
#include "support.h"
#include "textwindow/text_window.h"
#include "vedra/engine.h"

namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A long run kept out of the normal suite; run under the sanitizers with
//   build-asan/tests/vedra_tests --gtest_also_run_disabled_tests
//     --gtest_filter='*WordListAndMixedText*'
// Every word of Debian's Brazilian list, and then about 1 MB of mixed text
// (words, numbers of every form, abbreviations, symbols, any byte), through
// the whole speak path over the shipped data into the recording stand-in.
TEST(Pipeline, DISABLED_WholeWordListAndMixedText) {
    const std::string list = host::utf8_to_cp1252(read_text("/usr/share/dict/brazilian"));
    ASSERT_FALSE(list.empty()) << "the wbrazilian word list is not installed";

    testsupport::Headless headless;
    textwindow::TextWindow window(headless.host(), "falar");
    sound::WavePlayer player(headless.host(), window);
    vedratest::FakeLibrary library;
    vedratest::reset_fake_mbrola();
    vedratest::fake_mbrola().samples_per_line = 3;
    vedra::Engine engine(headless.host(), player, library);
    const std::string dir = testsupport::make_temp_dir("vedra-words");
    const std::string data = std::string(ZIMBALOT_SOURCE_DIR) + "/data/vedra/";
    for (const char* name : {"portug.nrl", "portug.exc", "portug.abr", "portug.pro", "portug.dfn"})
        testsupport::write_file(dir + "/" + name, host::utf8_to_cp1252(read_text(data + name)));
    engine.vedra_set_output_file(dir + "/fala.wav");  // file mode: no playback to wait for
    ASSERT_TRUE(engine.vedra_init("", dir + "/portug.nrl", dir + "/portug.exc", dir + "/portug.abr",
                                  dir + "/portug.pro", dir + "/portug.dfn"));

    // Each word on its own, in batches so that the output file stays small.
    size_t words = 0;
    size_t pos = 0;
    std::string batch;
    while (pos < list.size()) {
        size_t end = list.find('\n', pos);
        if (end == std::string::npos) end = list.size();
        batch += list.substr(pos, end - pos) + ". ";
        ++words;
        if (words % 200 == 0) {
            EXPECT_TRUE(engine.vedra_speak(batch));
            batch.clear();
            engine.vedra_close();
            ASSERT_TRUE(engine.vedra_init("", dir + "/portug.nrl", dir + "/portug.exc",
                                          dir + "/portug.abr", dir + "/portug.pro",
                                          dir + "/portug.dfn"));
        }
        pos = end + 1;
    }
    EXPECT_TRUE(engine.vedra_speak(batch));
    EXPECT_GT(words, 200000u);

    // About 1 MB of mixed text in 4 KB texts.
    host::Random random(2024);
    const char* const pieces[] = {
        "Sr.", "Dra.", "Av.",  "kg",   "km",        "1.000", "3,14",
        "-5",  "5-3",  "1º",   "2ª",   "3os.",      "007",   "1234567890123456789",
        "...", "?",    "!",    ",",    ";",         ":",     "(",
        ")",   "#",    "R$",   "%",    "\xE7\xE3o", "BH",    "CD",
        "xyz", "\t",   "\r\n", "\xA8", ">"};
    size_t total = 0;
    while (total < 1'000'000) {
        std::string text;
        while (text.size() < 4096) {
            const uint32_t kind = random.next(4);
            if (kind == 0) {
                const size_t at = random.next(uint32_t(list.size()));
                const size_t start =
                    list.rfind('\n', at) == std::string::npos ? 0 : list.rfind('\n', at) + 1;
                text += list.substr(start, list.find('\n', start) - start);
            } else if (kind == 1) {
                text += pieces[random.next(sizeof pieces / sizeof pieces[0])];
            } else if (kind == 2) {
                text += std::to_string(random.next(1'000'000'000));
            } else {
                text += static_cast<char>(random.next(256));
            }
            text += random.next(3) == 0 ? "" : " ";
        }
        engine.vedra_speak(text);
        total += text.size();
        engine.vedra_close();
        ASSERT_TRUE(engine.vedra_init("", dir + "/portug.nrl", dir + "/portug.exc",
                                      dir + "/portug.abr", dir + "/portug.pro",
                                      dir + "/portug.dfn"));
    }
    engine.vedra_close();
}

}  // namespace
