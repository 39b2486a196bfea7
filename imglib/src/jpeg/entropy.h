// Entropy decoding of 8x8 blocks: sequential (T.81 F.2.2) and the four
// kinds of progressive scan (T.81 G.1.2). Blocks are in natural order and
// hold quantised coefficients; progressive scans accumulate into them.
#pragma once

#include <cstdint>

#include "jpeg/huffman.h"

namespace imglib::jpeg {

// A sequential block into a zeroed `block`, each coefficient multiplied by
// its `quant` entry (see DequantizeOne). Returns one past the zig-zag index
// of the last coefficient decoded (1 when only DC).
int DecodeSequential(BitReader& br, const HuffTable& dc, const HuffTable& ac, const int16_t* quant, int* pred,
                     int16_t* block);

// DC first scan: the predicted DC, scaled by 2^al.
void DecodeDcFirst(BitReader& br, const HuffTable& dc, int al, int* pred, int16_t* block);
// DC refinement: one more bit of DC.
void DecodeDcRefine(BitReader& br, int al, int16_t* block);
// AC first scan of the band ss..se. *eobrun counts the blocks left in the
// current run of empty blocks.
void DecodeAcFirst(BitReader& br, const HuffTable& ac, int ss, int se, int al, int* eobrun, int16_t* block);
// AC refinement of the band ss..se.
void DecodeAcRefine(BitReader& br, const HuffTable& ac, int ss, int se, int al, int* eobrun, int16_t* block);

}  // namespace imglib::jpeg
