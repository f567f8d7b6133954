// Writes a few settings-store-and-pulse-list inputs into the folder given as
// the only argument: the seed corpus of the settings fuzz target. The stores
// are written by the program's own writer, the lists by its own list texts.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files/settings_memory.h"
#include "files/text_encoding.h"
#include "settings_fuzz_input.h"
#include "stimulation/pulse_parameters.h"

namespace {

std::string storeText(const korin::SettingsValues& values, const std::string& folder) {
    korin::SettingsStore store = korin::SettingsStore::open(korin::settingsStorePath(folder));
    korin::writeSettings(store, values);
    if (!store.save()) return {};
    std::ifstream in(korin::settingsStorePath(folder), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void save(const std::string& folder, const char* name, const std::string& bytes) {
    std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
}

PulseConfigs pulse(const char* type, const char* duration, const char* intensity, const char* pre, const char* post) {
    PulseConfigs p;
    p.setParameter(type, duration, intensity, pre, post);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_settings_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string scratch = folder + "/.store";
    std::filesystem::create_directories(scratch);

    const std::string defaults = storeText(korin::SettingsValues::defaults(), scratch);
    korin::SettingsValues odd = korin::SettingsValues::defaults();
    odd.text[static_cast<std::size_t>(korin::SettingKey::InputRange)] = "5000";
    odd.text[static_cast<std::size_t>(korin::SettingKey::LowCut)] = "7";
    odd.text[static_cast<std::size_t>(korin::SettingKey::Step1F)] = "S3";
    odd.text[static_cast<std::size_t>(korin::SettingKey::Step1S1Ch)] = "abc";
    odd.text[static_cast<std::size_t>(korin::SettingKey::Min)] = "1.5";
    odd.text[static_cast<std::size_t>(korin::SettingKey::Sec)] = "0.1";
    const std::string oddStore = storeText(odd, scratch);
    std::filesystem::remove_all(scratch);

    PulseParameters program;
    program.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.2", "-10", "0", "99.8"),
                                             pulse("Const", "1", "5", "0.5", "8.5")});
    program.addIncrementByRepS1 = 1;
    const std::string step = korin::toShiftJis(korin::stepPulseListText(program, PulseParameters::kS1));
    const std::string manual = korin::toShiftJis(korin::manualPulseListText(program, PulseParameters::kS1));
    const std::string refused = step + "biphasic,0.1,-10,0,99.9\r\nBiphasic,0.1,-200,0,99.9\r\n";

    using fuzzinput::join;
    save(folder, "defaults-step1-s1", join(0, defaults, step));
    save(folder, "odd-values-step2-s2", join(3, oddStore, step));
    save(folder, "defaults-manual-s2", join(5, defaults, manual));
    save(folder, "odd-values-refused-lines", join(0, oddStore, refused));
    save(folder, "truncated-store", join(1, defaults.substr(0, defaults.size() / 2), step));
    return 0;
}
