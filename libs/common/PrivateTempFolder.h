#pragma once

#include <string>

namespace veltrano {

// The per-user folder "Tavisk" where the resource libraries write the picture files whose
// paths they return, and which the main window empties when it closes. It lies below
// $XDG_RUNTIME_DIR (or /tmp/veltrano-<uid> when that is unset), is created with mode 0700
// and must be a real folder owned by the current user: a folder that another account
// could have planted (a link, a foreign owner, group or world access) is refused.
// Returns the folder with a trailing '/', or an empty string when no safe folder exists.
std::string PrivateTempFolder();

// The same check on a given folder: creates it (mode 0700) when absent, then accepts it
// only when it is a directory (not a link) owned by the current user with no group or
// other access.
bool EnsurePrivateFolder(const std::string& path);

} // namespace veltrano
