#include "jpeg/entropy.h"

#include "jpeg/idct.h"
#include "jpeg/markers.h"

namespace imglib::jpeg {
namespace {

// DC difference category, then that many magnitude bits (F.2.2.1). A
// damaged table may name categories past 11; 16 is the most bits we take.
int DecodeDcDiff(BitReader& br, const HuffTable& dc) {
    br.Fill();
    int s = br.Decode(dc);
    if (s > 16) s = 16;
    return Extend(br.Bits(s), s);
}

// Keeps the predictor in the 16 bits the blocks store.
int AddDc(int pred, int diff) { return static_cast<int16_t>(static_cast<uint16_t>(pred + diff)); }

void RefineNonZero(BitReader& br, int16_t& c, int p1) {
    br.Fill();
    if (br.Bit() && (c & p1) == 0) c = static_cast<int16_t>(c >= 0 ? c + p1 : c - p1);
}

}  // namespace

int DecodeSequential(BitReader& br, const HuffTable& dc, const HuffTable& ac, const int16_t* quant, int* pred,
                     int16_t* block) {
    BitReader::Cache c = br.Take();
    br.Fill(c);
    int s = br.Decode(c, dc);
    if (s > 16) s = 16;  // see DecodeDcDiff
    *pred = AddDc(*pred, Extend(c.Bits(s), s));
    block[0] = DequantizeOne(*pred, quant[0]);
    int k = 1;
    while (k < 64) {
        br.Fill(c);
        int32_t fast = ac.fastAc[c.Peek(kFastBits)];
        if (fast) {
            c.Skip(fast & 15);
            k += (fast >> 4) & 15;
            int at = kNaturalOrder[k];
            block[at] = DequantizeOne(fast >> 8, quant[at]);
            ++k;
            continue;
        }
        int rs = br.Decode(c, ac);
        int r = rs >> 4;
        s = rs & 15;
        if (s) {
            k += r;
            int at = kNaturalOrder[k];
            block[at] = DequantizeOne(Extend(c.Bits(s), s), quant[at]);
            ++k;
        } else if (r == 15) {
            k += 16;
        } else {
            break;
        }
    }
    br.Put(c);
    return k > 64 ? 64 : k;
}

void DecodeDcFirst(BitReader& br, const HuffTable& dc, int al, int* pred, int16_t* block) {
    *pred = AddDc(*pred, DecodeDcDiff(br, dc));
    block[0] = static_cast<int16_t>(*pred * (1 << al));
}

void DecodeDcRefine(BitReader& br, int al, int16_t* block) {
    br.Fill();
    if (br.Bit()) block[0] = static_cast<int16_t>(block[0] | (1 << al));
}

void DecodeAcFirst(BitReader& br, const HuffTable& ac, int ss, int se, int al, int* eobrun, int16_t* block) {
    if (*eobrun > 0) {
        --*eobrun;
        return;
    }
    for (int k = ss; k <= se; ++k) {
        br.Fill();
        int rs = br.Decode(ac);
        int r = rs >> 4, s = rs & 15;
        if (s) {
            k += r;
            block[kNaturalOrder[k]] = static_cast<int16_t>(Extend(br.Bits(s), s) * (1 << al));
        } else if (r == 15) {
            k += 15;
        } else {
            // EOBn: this block and 2^r - 1 + (r more bits) after it are done.
            *eobrun = (1 << r) - 1;
            if (r) *eobrun += static_cast<int>(br.Bits(r));
            return;
        }
    }
}

void DecodeAcRefine(BitReader& br, const HuffTable& ac, int ss, int se, int al, int* eobrun, int16_t* block) {
    const int p1 = 1 << al;
    int k = ss;
    if (*eobrun == 0) {
        for (; k <= se; ++k) {
            br.Fill();
            int rs = br.Decode(ac);
            int r = rs >> 4, s = rs & 15;
            int value = 0;
            if (s) {
                // A newly non-zero coefficient is always +-1 at this bit.
                value = br.Bit() ? p1 : -p1;
            } else if (r != 15) {
                *eobrun = 1 << r;
                if (r) *eobrun += static_cast<int>(br.Bits(r));
                break;
            }
            // Skip r zero coefficients (ZRL: 15 and then one more); every
            // non-zero one passed on the way takes a correction bit.
            while (k <= se) {
                int16_t& c = block[kNaturalOrder[k]];
                if (c != 0) {
                    RefineNonZero(br, c, p1);
                } else {
                    if (r == 0) break;
                    --r;
                }
                ++k;
            }
            if (value && k <= se) block[kNaturalOrder[k]] = static_cast<int16_t>(value);
        }
    }
    if (*eobrun > 0) {
        // Inside an end-of-band run: only the correction bits remain.
        for (; k <= se; ++k) {
            int16_t& c = block[kNaturalOrder[k]];
            if (c != 0) RefineNonZero(br, c, p1);
        }
        --*eobrun;
    }
}

}  // namespace imglib::jpeg
