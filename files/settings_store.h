// The user's settings store: an XML file whose configuration/appSettings
// section is a flat list of <add key="…" value="…"/> entries, every value text.
// Lives in the user's configuration folder and is replaced atomically on save,
// so a crash while saving leaves the previous store whole.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pugi {
class xml_document;
}

namespace korin {

inline constexpr const char* kSettingsFolderName = "Korin16";
inline constexpr const char* kSettingsFileName = "Korin16.config";
// A store that cannot be read is renamed with this suffix, not overwritten unseen.
inline constexpr const char* kDamagedStoreSuffix = ".bad";
// The name of the kept copy number `copy` of a damaged store: path + ".bad" for
// the first (0), then ".bad.1", ".bad.2", …; no copy ever takes another's name.
std::string damagedCopyPath(const std::string& path, int copy);

// $XDG_CONFIG_HOME/Korin16, or $HOME/.config/Korin16 when it is unset or empty;
// a relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
std::string settingsFolderFor(const char* xdgConfigHome, const char* home);
// The folder of this process: the override when one is set, else settingsFolderFor
// the environment.
std::string settingsFolder();
// Points settingsFolder() elsewhere (tests, a portable set-up); "" restores the default.
void setSettingsFolderOverride(std::string folder);
std::string settingsStorePath(const std::string& folder);

class SettingsStore {
public:
    enum class Damaged { KeepAside, LeaveInPlace };

    // Reads the store at `path`. A missing file is an empty store. A file that
    // cannot be read, is not a regular file (a FIFO, a device, a folder), is not
    // XML, is truncated or is not a configuration is an empty store too:
    // damaged() is set, message() holds the one line to show, and with
    // KeepAside the file is renamed to the first free damagedCopyPath.
    static SettingsStore open(const std::string& path, Damaged damaged = Damaged::KeepAside);

    SettingsStore();
    ~SettingsStore();
    SettingsStore(SettingsStore&&) noexcept;
    SettingsStore& operator=(SettingsStore&&) noexcept;

    // The value of the last entry with this key.
    std::optional<std::string> value(std::string_view key) const;
    // Removes every entry with this key.
    void remove(std::string_view key);
    // Appends an entry; remove the key first to replace it.
    void add(std::string_view key, std::string_view value);
    std::vector<std::pair<std::string, std::string>> entries() const;

    // Writes the whole file atomically; other sections of a file that was read
    // are kept. False with the reason in `error` when it cannot be written; a
    // damaged file that could not be kept aside is never overwritten.
    bool save(std::string* error = nullptr,
              const std::function<bool(const std::string& tempPath)>& beforeRename = {}) const;

    const std::string& path() const { return path_; }
    bool damaged() const { return damaged_; }
    const std::string& message() const { return message_; }

private:
    std::string path_;
    std::unique_ptr<pugi::xml_document> doc_;
    bool damaged_ = false;
    bool damagedStillInPlace_ = false;
    std::string message_;
};

}  // namespace korin
