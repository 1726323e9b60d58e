// The library binding: all 23 entry points or none, the registry lookups, and
// the project's own library loaded by its Windows name.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/native.h"
#include "vedra/mbrola_binding.h"

namespace {

int dummy_entry() {
    return 0;
}

class FakeLibraries : public host::Libraries {
public:
    void* load(std::string_view name) override {
        loaded.push_back(std::string(name));
        return present ? this : nullptr;
    }
    void* symbol(void* library, std::string_view name) override {
        looked_up.push_back(std::string(name));
        if (library != this || name == missing) return nullptr;
        return reinterpret_cast<void*>(&dummy_entry);
    }
    void free(void* library) override { freed.push_back(library); }

    bool present = true;
    std::string missing;
    std::vector<std::string> loaded, looked_up;
    std::vector<void*> freed;
};

class FakeRegistry : public host::Registry {
public:
    std::optional<std::string> read_string(std::string_view key, std::string_view value) override {
        asked.emplace_back(key, value);
        const auto it = values.find(std::string(key) + "|" + std::string(value));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> asked;
};

TEST(MbrolaBinding, AllTwentyThreeNamesOrNothing) {
    FakeLibraries libraries;
    FakeRegistry registry;
    vedra::MbrolaBinding binding(libraries, registry);
    ASSERT_TRUE(binding.load_mbrola());
    EXPECT_EQ(libraries.loaded, std::vector<std::string>{"mbrola.dll"});
    EXPECT_EQ(libraries.looked_up, std::vector<std::string>(vedra::mbrola_entry_names.begin(),
                                                            vedra::mbrola_entry_names.end()));
    EXPECT_NE(binding.api().appendf0_Phone, nullptr);
    EXPECT_TRUE(libraries.freed.empty());
    binding.unload_mbrola();
    EXPECT_EQ(libraries.freed.size(), 1u);
    EXPECT_EQ(binding.api().init_MBR, nullptr);
    binding.unload_mbrola();  // a second unload frees nothing
    EXPECT_EQ(libraries.freed.size(), 1u);

    // Each name missing on its own refuses the library, even the ones the
    // engine never calls, and frees it.
    for (std::string_view name : vedra::mbrola_entry_names) {
        SCOPED_TRACE(std::string(name));
        FakeLibraries lacking;
        lacking.missing = std::string(name);
        vedra::MbrolaBinding b(lacking, registry);
        EXPECT_FALSE(b.load_mbrola());
        EXPECT_FALSE(b.loaded());
        EXPECT_EQ(lacking.freed.size(), 1u);
        EXPECT_EQ(b.api().init_MBR, nullptr);
    }
    FakeLibraries none;
    none.present = false;
    vedra::MbrolaBinding b(none, registry);
    EXPECT_FALSE(b.load_mbrola());
    EXPECT_TRUE(none.freed.empty());
}

TEST(MbrolaBinding, RegistryStringsAndVoiceLookup) {
    FakeRegistry registry;
    registry.values["SOFTWARE\\X|Nome"] = "valor";
    registry.values["SOFTWARE\\X|Vazio"] = "";
    registry.values["SOFTWARE\\X|Zero"] = std::string("com zero\0", 9);
    registry.values["SOFTWARE\\TCTS\\Mbrola\\databases\\br4|"] = "/voz/br4";
    std::string value = "antes";
    EXPECT_FALSE(vedra::read_registry_string(registry, "sem barra", value));
    EXPECT_TRUE(registry.asked.empty());  // refused before the registry is asked
    EXPECT_FALSE(vedra::read_registry_string(registry, "SOFTWARE\\X\\Falta", value));
    EXPECT_EQ(value, "antes");
    EXPECT_TRUE(vedra::read_registry_string(registry, "SOFTWARE\\X\\Nome", value));
    EXPECT_EQ(value, "valor");
    EXPECT_TRUE(vedra::read_registry_string(registry, "SOFTWARE\\X\\Vazio", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(vedra::read_registry_string(registry, "SOFTWARE\\X\\Zero", value));
    EXPECT_EQ(value, "com zero");

    FakeLibraries libraries;
    vedra::MbrolaBinding binding(libraries, registry);
    std::string voice = "br4";
    binding.find_voice_database(voice);
    EXPECT_EQ(voice, "/voz/br4");
    EXPECT_EQ(registry.asked.back(),
              (std::pair<std::string, std::string>{"SOFTWARE\\TCTS\\Mbrola\\databases\\br4", ""}));
    voice = "fr1";
    binding.find_voice_database(voice);
    EXPECT_EQ(voice, "fr1");  // unchanged when the registry has nothing
}

// The host's own library and registry stand-in: "mbrola.dll" and the "br4"
// voice are found on this machine, and the 23 entry points speak.
TEST(MbrolaBinding, TheProjectsLibrarySpeaksWithTheGeneratedVoice) {
    host::native::Libraries libraries;
    host::native::Registry registry;
    vedra::MbrolaBinding binding(libraries, registry);
    ASSERT_TRUE(binding.load_mbrola());
    std::string voice = "BR4";
    binding.find_voice_database(voice);
    ASSERT_NE(voice, "BR4");
    const vedra::MbrolaApi& mbr = binding.api();
    ASSERT_EQ(mbr.init_MBR(voice.data()), 0);
    mbr.setNoError_MBR(1);
    EXPECT_EQ(mbr.getNoError_MBR(), 1);
    mbr.reset_MBR();
    char line[] = "_ 50\r\nk 70\r\na 120 50 130\r\nz 60\r\na 100 50 100\r\n";
    EXPECT_GT(mbr.write_MBR(line), 0);
    EXPECT_EQ(mbr.lastError_MBR(), 0);
    EXPECT_EQ(mbr.flush_MBR(), 1);
    std::vector<short> samples(16000);
    EXPECT_EQ(mbr.read_MBR(samples.data(), 16000), 400 * 16);
    EXPECT_EQ(mbr.read_MBR(samples.data(), 16000), 0);
    char text[200];
    EXPECT_GT(mbr.getVersion_MBR(text, sizeof text), 0);
    EXPECT_GT(mbr.getDatabaseInfo_MBR(text, sizeof text, 0), 0);
    EXPECT_EQ(mbr.getFreq_MBR(), 16000);
    char bad[] = "a x\r\n";
    EXPECT_LT(mbr.write_MBR(bad), 0);
    EXPECT_NE(mbr.lastError_MBR(), 0);
    EXPECT_GT(mbr.lastErrorStr_MBR(text, 8), 0);
    EXPECT_EQ(std::string(text).size(), 7u);  // cut to the buffer with its zero
    mbr.close_MBR();
    binding.unload_mbrola();
}

}  // namespace
