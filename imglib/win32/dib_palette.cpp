// The GDI side of the library: a logical palette from a DIB's colour table.
#include "imglib.h"

HPALETTE CreateDIBPalette(PDIB dib) {
    if (!dib || dib->biClrUsed == 0 || dib->biClrUsed > 256) return nullptr;
    struct {
        WORD palVersion;
        WORD palNumEntries;
        PALETTEENTRY entries[256];
    } pal;
    pal.palVersion = 0x300;
    pal.palNumEntries = static_cast<WORD>(dib->biClrUsed);
    // The table follows the 40-byte header as blue, green, red, reserved.
    const BYTE* table = reinterpret_cast<const BYTE*>(dib) + 40;
    for (UINT i = 0; i < dib->biClrUsed; ++i) {
        pal.entries[i].peRed = table[4 * i + 2];
        pal.entries[i].peGreen = table[4 * i + 1];
        pal.entries[i].peBlue = table[4 * i];
        pal.entries[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&pal));
}
