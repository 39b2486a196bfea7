// The texts a user sees when an image file cannot be shown. Window-free, so
// the image holder of both programs and the imgconv tool say the same thing.
#pragma once

#include <cstddef>
#include <cstdio>

// Message buffers hold 260 characters; longer texts are cut and terminated.
constexpr size_t kImageMessageSize = 260;

// The message format for ImgLib's last-error code, or null for the codes
// that are reported silently.
inline const char* ImgLibErrorFormat(int code) {
    switch (code) {
        case 3: return "%s:\nOut of memory reading image.";
        case 5: return "%s:\nAccess violation.  Bad pointer";
        case 7: return "%s:\nUnsupported image type.";
        default: return nullptr;
    }
}

// Formats `format` (one %s) with `path` into `buf`, cut to `size` - 1
// characters and always terminated.
inline void FormatPathMessage(char* buf, size_t size, const char* format, const char* path) {
    if (size == 0) return;
    std::snprintf(buf, size, format, path ? path : "");
    buf[size - 1] = '\0';
}
