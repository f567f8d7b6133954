// korin16-cli settings DIR: the settings the window would start with from the
// store and the pulse-list files in DIR, without changing anything there.
#include <cstdio>
#include <filesystem>
#include <string>

#include "files/settings_memory.h"
#include "tools/cli_commands.h"
#include "tools/cli_record_settings.h"

namespace {

const char* sourceText(korin::SettingSource source) {
    return source == korin::SettingSource::Store ? "store" : "default";
}

void printList(const korin::PulseListInfo& info, const korin::PulseListFile& file) {
    const std::string name(info.fileName);
    if (!file.read()) {
        const bool missing = file.status == korin::ListStatus::Missing;
        std::printf("%s\tnone\t%s\n", name.c_str(), missing ? "missing" : "unreadable");
        return;
    }
    std::string summary;
    if (!info.manual)
        summary = std::string("by rep=") + (file.setsByRep ? "True" : "False") +
                  " repeat all the time=" + (file.setsRepeatAll ? "True" : "False") + " ";
    summary += "units=" + std::to_string(file.units.size());
    std::printf("%s\t%s\tfile\n", name.c_str(), summary.c_str());
    for (const korin::PulseListUnit& u : file.units)
        std::printf("%s\t%d\t%s\t%s\t%s\t%s\t%s\n", name.c_str(), u.index, u.pulse.Pulsetype.c_str(),
                    u.pulse.Duration.c_str(), u.pulse.Intensity.c_str(), u.pulse.Pre.c_str(), u.pulse.Post.c_str());
}

}  // namespace

int cliSettings(int argc, char** argv) {
    if (argc != 1 || std::string(argv[0]) == "--help") {
        std::fprintf(stderr,
                     "usage: korin16-cli settings DIR\n"
                     "  prints the settings the window would apply from DIR/%s and the six\n"
                     "  pulse-list files beside it: KEY<TAB>VALUE<TAB>store|default, then the lists\n"
                     "  (a list that is not there is missing; one that is there but cannot be read,\n"
                     "  unreadable)\n",
                     korin::kSettingsFileName);
        return 2;
    }
    const std::string folder = argv[0];
    if (!std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "error: %s is not a folder\n", folder.c_str());
        return 1;
    }
    const korin::LoadedSettings loaded = korin::loadSettings(folder, korin::SettingsStore::Damaged::LeaveInPlace);
    printLoadWarnings(loaded);
    for (const korin::SettingKeyInfo& info : korin::settingKeys())
        std::printf("%s\t%s\t%s\n", std::string(info.name).c_str(), loaded.values.get(info.id).c_str(),
                    sourceText(loaded.values.from(info.id)));
    for (const korin::PulseListInfo& info : korin::pulseLists())
        printList(info, loaded.lists[static_cast<std::size_t>(info.id)]);
    return 0;
}
