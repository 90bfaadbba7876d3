#pragma once
// Whether the program's file belongs to a Debian package. Such a copy is
// updated by the system's package manager: the online update only says which
// version is available and never replaces a packaged file.

#include <chrono>
#include <filesystem>
#include <functional>
#include <string_view>

#include "core/event.h"

namespace larkspur::update {

// Whether `file` belongs to an installed package.
using PackageOwnershipCheck = std::function<bool(const std::filesystem::path& file)>;

inline constexpr std::chrono::milliseconds kPackageQueryTimeout{10000};

// The package the update message names for the package manager.
inline constexpr std::string_view kPackageName = "larkspur";

// Runs `dpkg -S FILE` (dpkg found on PATH and started without a shell, the
// file made absolute, nothing read from or shown of its input and output) and
// answers whether it exited with status 0. A dpkg that cannot be started,
// ends otherwise, runs longer than `timeout` or is overtaken by `cancel` (may
// be null) is killed and the answer is false.
bool ownedByDebianPackage(const std::filesystem::path& file,
                          std::chrono::milliseconds timeout = kPackageQueryTimeout,
                          const core::Event* cancel = nullptr);

}  // namespace larkspur::update
