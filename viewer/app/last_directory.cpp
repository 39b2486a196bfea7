#include "last_directory.h"

#include "lower_case.h"

namespace viewer {

namespace {

// The drive letter's position after 'a', modulo 32: upper and lower case
// name the same bit ('C' - 'a' is -30, which is 2 modulo 32).
bool DrivePresent(char letter, uint32_t driveMask) {
    int bit = ((static_cast<unsigned char>(letter) - 'a') % 32 + 32) % 32;
    return (driveMask >> bit) & 1;
}

}  // namespace

std::string ValidateLastDirectory(const std::string& stored, uint32_t driveMask) {
    if (stored.empty()) return stored;
    std::string dir = LowerCaseAscii(stored);
    if (dir.size() < 3 || dir.size() >= 260)
        dir = kFallbackDirectory;
    else if (dir.back() != '\\')
        dir += '\\';
    if (dir[1] != ':') dir = kFallbackDirectory;
    if (!DrivePresent(dir[0], driveMask)) dir = kFallbackDirectory;
    return dir;
}

}  // namespace viewer
