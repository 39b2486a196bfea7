// Lower-casing of paths the way the C runtime's default locale does it:
// only A-Z change, so bytes of other characters in the system code page
// (including the second bytes of double-byte characters) stay as they are.
#pragma once

#include <string>

namespace viewer {

inline std::string LowerCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace viewer
