// The GDI side of the library: a logical palette for a DIB's colour table,
// for drawing on displays of 256 colours or fewer.
#include <windows.h>

#include <cstdint>

#include "imglib.h"

HPALETTE CreateDIBPalette(PDIB dib) {
    // Entries past 256 cannot be addressed by any DIB's pixels; a count
    // that large is a damaged header, not a palette.
    if (!dib || dib->biSize != 40 || dib->biClrUsed == 0 || dib->biClrUsed > 256) return nullptr;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } log;
    log.version = 0x300;
    log.count = static_cast<WORD>(dib->biClrUsed);
    const uint8_t* table = reinterpret_cast<const uint8_t*>(dib) + 40;  // blue, green, red, reserved
    for (UINT i = 0; i < log.count; ++i) {
        log.entries[i].peRed = table[4 * i + 2];
        log.entries[i].peGreen = table[4 * i + 1];
        log.entries[i].peBlue = table[4 * i];
        log.entries[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}
