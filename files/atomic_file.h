// Whole-file replacement that a crash or a full disk cannot leave half done:
// the bytes go to a temporary file in the same folder, are flushed to the disk,
// and only then take the place of the old file.
#pragma once

#include <functional>
#include <string>

namespace korin {

// Writes `bytes` as `path`. On any failure the temporary file is removed, the
// previous file (if any) is untouched, `error` tells why and the result is false.
// `beforeRename`, when given, runs once the temporary file is complete; returning
// false abandons the write there, leaving the temporary file as a crash would.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error = nullptr,
                         const std::function<bool(const std::string& tempPath)>& beforeRename = {});

// Creates the folder and any missing parents; true when it exists afterwards.
bool ensureFolder(const std::string& folder, std::string* error = nullptr);

}  // namespace korin
