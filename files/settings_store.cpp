#include "files/settings_store.h"

#include <fcntl.h>
#include <pugixml.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>

#include "files/atomic_file.h"
#include "files/regular_file.h"

namespace korin {

namespace {

constexpr const char* kRoot = "configuration";
constexpr const char* kSection = "appSettings";
constexpr const char* kEntry = "add";
constexpr const char* kKey = "key";
constexpr const char* kValue = "value";

std::mutex& overrideMutex() {
    static std::mutex m;
    return m;
}
std::string& folderOverride() {
    static std::string folder;
    return folder;
}

// Past this many kept copies something keeps damaging the store; the next one
// stays in place rather than take an old copy's name.
constexpr int kMaxDamagedCopies = 1000;

// Renames `from` to `to` unless `to` exists. 0 on success, else the errno.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the no-replace rename: check, then rename.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, ec))) return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

pugi::xml_node section(pugi::xml_document& doc) {
    pugi::xml_node root = doc.child(kRoot);
    if (!root) root = doc.append_child(kRoot);
    pugi::xml_node s = root.child(kSection);
    if (!s) s = root.append_child(kSection);
    return s;
}

pugi::xml_node sectionIfAny(const pugi::xml_document& doc) { return doc.child(kRoot).child(kSection); }

}  // namespace

std::string settingsFolderFor(const char* xdgConfigHome, const char* home) {
    namespace fs = std::filesystem;
    if (xdgConfigHome != nullptr && *xdgConfigHome != '\0' && fs::path(xdgConfigHome).is_absolute())
        return (fs::path(xdgConfigHome) / kSettingsFolderName).string();
    const std::string base = (home != nullptr && *home != '\0') ? home : ".";
    return (fs::path(base) / ".config" / kSettingsFolderName).string();
}

std::string settingsFolder() {
    {
        std::lock_guard lock(overrideMutex());
        if (!folderOverride().empty()) return folderOverride();
    }
    return settingsFolderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

void setSettingsFolderOverride(std::string folder) {
    std::lock_guard lock(overrideMutex());
    folderOverride() = std::move(folder);
}

std::string damagedCopyPath(const std::string& path, int copy) {
    std::string aside = path + kDamagedStoreSuffix;
    if (copy > 0) aside += "." + std::to_string(copy);
    return aside;
}

std::string settingsStorePath(const std::string& folder) {
    return (std::filesystem::path(folder) / kSettingsFileName).string();
}

SettingsStore::SettingsStore() : doc_(std::make_unique<pugi::xml_document>()) {}
SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

SettingsStore SettingsStore::open(const std::string& path, Damaged damaged) {
    SettingsStore store;
    store.path_ = path;
    std::string bytes, why;
    const ReadStatus read = readRegularFile(path, &bytes, &why);
    if (read == ReadStatus::Missing) return store;
    if (read == ReadStatus::Read) {
        const pugi::xml_parse_result parsed = store.doc_->load_buffer(bytes.data(), bytes.size());
        if (!parsed)
            why = std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset);
        else if (!store.doc_->child(kRoot))
            why = "no <configuration> element";
        else
            return store;
    }
    store.doc_->reset();
    store.damaged_ = true;
    store.message_ = "Settings store " + path + " cannot be read (" + why + "); starting with the defaults";
    if (damaged == Damaged::LeaveInPlace) {
        store.damagedStillInPlace_ = true;
        return store;
    }
    int err = EEXIST;
    for (int copy = 0; copy <= kMaxDamagedCopies && err == EEXIST; ++copy) {
        const std::string aside = damagedCopyPath(path, copy);
        err = renameNoReplace(path, aside);
        if (err == 0) store.message_ += ", the file is kept as " + aside;
    }
    if (err != 0) {
        store.damagedStillInPlace_ = true;
        store.message_ += std::string(", and it cannot be kept aside: ") + std::strerror(err);
    }
    return store;
}

std::optional<std::string> SettingsStore::value(std::string_view key) const {
    std::optional<std::string> found;
    for (pugi::xml_node e : sectionIfAny(*doc_).children(kEntry))
        if (key == e.attribute(kKey).value()) found = e.attribute(kValue).value();
    return found;
}

void SettingsStore::remove(std::string_view key) {
    pugi::xml_node s = sectionIfAny(*doc_);
    for (pugi::xml_node e = s.child(kEntry); e;) {
        pugi::xml_node next = e.next_sibling(kEntry);
        if (key == e.attribute(kKey).value()) s.remove_child(e);
        e = next;
    }
}

void SettingsStore::add(std::string_view key, std::string_view value) {
    pugi::xml_node e = section(*doc_).append_child(kEntry);
    e.append_attribute(kKey) = std::string(key).c_str();
    e.append_attribute(kValue) = std::string(value).c_str();
}

std::vector<std::pair<std::string, std::string>> SettingsStore::entries() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (pugi::xml_node e : sectionIfAny(*doc_).children(kEntry))
        out.emplace_back(e.attribute(kKey).value(), e.attribute(kValue).value());
    return out;
}

bool SettingsStore::save(std::string* error, const std::function<bool(const std::string&)>& beforeRename) const {
    if (damagedStillInPlace_) {
        if (error) *error = "the unreadable store " + path_ + " was not kept aside, so it is not overwritten";
        return false;
    }
    // Saving an empty store still writes a configuration with its section.
    pugi::xml_document copy;
    copy.reset(*doc_);
    section(copy);
    std::ostringstream text;
    copy.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    if (!folder.empty() && !ensureFolder(folder, error)) return false;
    return writeFileAtomically(path_, text.str(), error, beforeRename);
}

}  // namespace korin
