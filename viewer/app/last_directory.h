// The remembered directory of the file list, checked at start: lower-cased,
// with a trailing backslash, on a drive that exists, else "C:\". An empty
// value stays empty (the file list then starts with the drives).
#pragma once

#include <cstdint>
#include <string>

namespace viewer {

constexpr char kFallbackDirectory[] = "C:\\";

// driveMask: GetLogicalDrives's bits, bit 0 for A.
std::string ValidateLastDirectory(const std::string& stored, uint32_t driveMask);

}  // namespace viewer
