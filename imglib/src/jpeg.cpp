// JPEG decoding (ITU-T T.81): baseline, extended sequential and progressive
// Huffman-coded 8-bit frames with 1, 3 or 4 components, JFIF, EXIF
// orientation and Adobe CMYK/YCCK. A single interleaved sequential scan is
// decoded straight into the DIB band by band; anything else collects the
// coefficients of all scans first.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "checked.h"
#include "decoders.h"
#include "jpeg/entropy.h"
#include "jpeg/idct.h"
#include "jpeg/markers.h"
#include "jpeg/output.h"
#include "jpeg/scan.h"

namespace imglib {
namespace {

using namespace jpeg;

// A file has no use for more scans than this (a progressive colour file
// typically has ten); each scan may cost a pass over the whole image.
constexpr int kMaxScans = 256;
constexpr int kMaxSegments = 1 << 20;
// T.81 B.2.3: at most ten blocks in an interleaved MCU.
constexpr int kMaxMcuBlocks = 10;

// Eight 16-byte copies: a 128-byte memset compiles to a slow `rep stos`.
const int16_t kZeroRow[8] = {};
void ZeroBlock(int16_t* b) {
    for (int i = 0; i < 64; i += 8) std::memcpy(b + i, kZeroRow, sizeof kZeroRow);
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// Buffered coefficients stay quantised until the output pass.
const int16_t kUnitQuant[64] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

class JpegDecoder {
public:
    explicit JpegDecoder(Bytes in) : m_data(in.data), m_size(in.size) {}
    Status Run(Dib* dib);

private:
    Status StartOutput(const ScanHeader& scan, Dib* dib);
    void LatchQuant(const ScanHeader& scan);
    ScanEnd DecodeDirect(const ScanHeader& scan, size_t pos);
    ScanEnd DecodeBuffered(const ScanHeader& scan, size_t pos);
    void OutputBuffered();
    int16_t* Block(int c, int row, int col) {
        return m_coef[c].get() + (static_cast<size_t>(row) * m_frame.comp[c].paddedW + col) * 64;
    }
    void GreyBlock(int c, int row, int col);

    const uint8_t* m_data;
    size_t m_size;
    Tables m_tables;
    Frame m_frame;
    bool m_haveFrame = false;
    bool m_started = false;  // a scan began: from here on the picture is shown
    bool m_direct = false;
    BandOutput m_out;
    QuantTable m_quant[kMaxComponents];
    bool m_latched[kMaxComponents] = {};
    std::unique_ptr<int16_t[], FreeDeleter> m_coef[kMaxComponents];
};

Status JpegDecoder::Run(Dib* dib) {
    if (m_size < 4 || m_data[0] != 0xFF || m_data[1] != kSoi) return Status::Unsupported;
    LoadDefaultHuffman(&m_tables);
    m_tables.dc[2] = m_tables.dc[0];
    m_tables.dc[3] = m_tables.dc[1];
    m_tables.ac[2] = m_tables.ac[0];
    m_tables.ac[3] = m_tables.ac[1];

    size_t pos = 2;
    int scans = 0;
    // A header fault before the first scan means no picture; after it, the
    // scans so far are shown.
    auto fail = [&]() { return m_started ? Status::Ok : Status::Unsupported; };
    bool done = false;
    for (int segments = 0; !done && segments < kMaxSegments; ++segments) {
        size_t m = FindMarker(m_data, m_size, pos);
        if (m >= m_size) break;
        uint8_t code = m_data[m + 1];
        pos = m + 2;
        if (code == kSoi || (code >= kRst0 && code <= kRst7) || code == 0x01) continue;  // no length
        if (code == kEoi) break;
        if (pos + 2 > m_size) break;
        size_t len = static_cast<size_t>(m_data[pos]) << 8 | m_data[pos + 1];
        if (len < 2 || len > m_size - pos) break;
        const uint8_t* seg = m_data + pos + 2;
        size_t segLen = len - 2;
        pos += len;
        switch (code) {
            case kSof0: case kSof1: case kSof2: {
                if (m_haveFrame) {  // a second frame: hierarchical, or junk
                    done = true;
                    break;
                }
                Status s = ParseFrame(code, seg, segLen, &m_frame);
                if (s != Status::Ok) return s;
                int w = m_frame.width, h = m_frame.height;
                s = CheckDibSize(w, h, m_frame.count == 1 ? 8 : 24);
                if (s != Status::Ok) return s;
                m_haveFrame = true;
                break;
            }
            case kDht:
                if (!ParseHuffman(seg, segLen, &m_tables)) return fail();
                break;
            case kDqt:
                if (!ParseQuant(seg, segLen, &m_tables)) return fail();
                break;
            case kDri:
                if (!ParseRestart(seg, segLen, &m_tables)) return fail();
                break;
            case kSos: {
                ScanHeader scan;
                if (!m_haveFrame || !ParseScan(seg, segLen, m_frame, &scan)) return fail();
                if (++scans > kMaxScans) {
                    done = true;
                    break;
                }
                if (!m_started) {
                    Status s = StartOutput(scan, dib);
                    if (s != Status::Ok) return s;
                }
                LatchQuant(scan);
                ScanEnd end = m_direct ? DecodeDirect(scan, pos) : DecodeBuffered(scan, pos);
                pos = end.next;
                if (end.endOfData || m_direct) done = true;
                break;
            }
            default:
                if (code >= kSof3 && code <= kSof15 && code != kDht && code != 0xC8 && code != kDac)
                    return m_haveFrame ? fail() : Status::Unsupported;  // lossless, hierarchical, arithmetic
                if (code >= kApp0 && code <= kApp14 + 1) ParseApp(code, seg, segLen, &m_tables);
                break;
        }
    }
    if (!m_started) return Status::Unsupported;
    if (!m_direct) OutputBuffered();
    return Status::Ok;
}

Status JpegDecoder::StartOutput(const ScanHeader& scan, Dib* dib) {
    int blocks = 0;
    for (int i = 0; i < scan.count; ++i) blocks += m_frame.comp[scan.comp[i]].h * m_frame.comp[scan.comp[i]].v;
    if (scan.count > 1 && blocks > kMaxMcuBlocks) return Status::Unsupported;
    // Every quantisation table must be there when the scan that needs it starts.
    for (int i = 0; i < scan.count; ++i)
        if (!m_tables.quant[m_frame.comp[scan.comp[i]].tq].defined) return Status::Unsupported;
    m_direct = !m_frame.progressive && scan.count == m_frame.count;
    if (!m_direct) {
        // The coefficient buffer: 128 bytes a block, for every block of every MCU.
        size_t total = 0;
        for (int c = 0; c < m_frame.count; ++c) {
            size_t n;
            if (!CheckedMul(static_cast<size_t>(m_frame.comp[c].paddedW), m_frame.comp[c].paddedH, &n) ||
                !CheckedMulAdd(n, 128, total, &total) || total > kMaxDibBytes)
                return Status::Memory;
        }
    }
    Status s = m_out.Init(m_frame, ChooseColorModel(m_frame, m_tables), m_tables.orientation, dib);
    if (s != Status::Ok) return s;
    if (!m_direct) {
        for (int c = 0; c < m_frame.count; ++c) {
            size_t n = static_cast<size_t>(m_frame.comp[c].paddedW) * m_frame.comp[c].paddedH * 64;
            m_coef[c].reset(static_cast<int16_t*>(std::calloc(n, sizeof(int16_t))));
            if (!m_coef[c]) return Status::Memory;
        }
    }
    m_started = true;
    return Status::Ok;
}

void JpegDecoder::LatchQuant(const ScanHeader& scan) {
    // A component keeps the table that was current at its first scan.
    for (int i = 0; i < scan.count; ++i) {
        int c = scan.comp[i];
        if (m_latched[c]) continue;
        const QuantTable& q = m_tables.quant[m_frame.comp[c].tq];
        if (q.defined) {
            m_quant[c] = q;
            m_latched[c] = true;
        }
    }
}

void JpegDecoder::GreyBlock(int c, int row, int col) {
    const Component& comp = m_frame.comp[c];
    if (row >= comp.blocksH || col >= comp.blocksW) return;
    for (int r = 0; r < 8; ++r) std::memset(m_out.Plane(c, row * 8 + r) + col * 8, m_out.Grey(c), 8);
}

ScanEnd JpegDecoder::DecodeDirect(const ScanHeader& scan, size_t pos) {
    BitReader br(m_data, m_size, pos);
    int pred[kMaxComponents] = {};
    // Zero between MCUs: after use only what was written is cleared.
    alignas(16) int16_t blocks[kMaxMcuBlocks][64] = {};
    int ends[kMaxMcuBlocks];
    const HuffTable* dc[kMaxComponents];
    const HuffTable* ac[kMaxComponents];
    for (int i = 0; i < scan.count; ++i) {
        dc[i] = &m_tables.dc[scan.dc[i]];
        ac[i] = &m_tables.ac[scan.ac[i]];
    }
    auto mcu = [&](int mx, int my, bool live) {
        int n = 0;
        if (live) {
            for (int i = 0; i < scan.count; ++i) {
                const Component& comp = m_frame.comp[scan.comp[i]];
                for (int b = 0; b < comp.h * comp.v; ++b, ++n)
                    ends[n] = DecodeSequential(br, *dc[i], *ac[i], m_quant[scan.comp[i]].q, &pred[i], blocks[n]);
            }
            live = !br.Overrun();
            if (!live)
                for (int b = 0; b < n; ++b) ZeroBlock(blocks[b]);
        }
        n = 0;
        for (int i = 0; i < scan.count; ++i) {
            int c = scan.comp[i];
            const Component& comp = m_frame.comp[c];
            for (int by = 0; by < comp.v; ++by) {
                for (int bx = 0; bx < comp.h; ++bx, ++n) {
                    int row = my * comp.v + by, col = mx * comp.h + bx;
                    if (!live) {
                        GreyBlock(c, row, col);
                        continue;
                    }
                    if (row < comp.blocksH && col < comp.blocksW)  // else padding only
                        Idct(blocks[n], ends[n], m_out.Plane(c, row * 8) + col * 8, m_out.Stride(c));
                    if (ends[n] <= 1) blocks[n][0] = 0;
                    else ZeroBlock(blocks[n]);
                }
            }
        }
    };
    auto restart = [&]() { std::memset(pred, 0, sizeof pred); };
    auto rowDone = [&](int my) { m_out.BandDone(my); };
    return WalkScan(br, m_data, m_size, m_frame.mcusX, m_frame.mcusY, m_tables.restartInterval, mcu, restart,
                    rowDone);
}

ScanEnd JpegDecoder::DecodeBuffered(const ScanHeader& scan, size_t pos) {
    BitReader br(m_data, m_size, pos);
    const bool progressive = m_frame.progressive;
    if (progressive) {
        // T.81 G.1.1.1.1: DC scans cover 0..0; AC scans one component and a band within 1..63.
        bool dcScan = scan.ss == 0;
        bool valid = scan.ah <= 13 && scan.al <= 13 &&
                     (dcScan ? scan.se == 0 : scan.count == 1 && scan.ss <= scan.se && scan.se <= 63);
        if (!valid) return ScanEnd{FindMarker(m_data, m_size, pos), false};
    }
    int pred[kMaxComponents] = {};
    int eobrun = 0;
    const ScanHeader& s = scan;
    auto blockAt = [&](int i, int mx, int my, int b, int* row, int* col) {
        const Component& comp = m_frame.comp[s.comp[i]];
        if (s.count == 1) {
            *row = my;
            *col = mx;
        } else {
            *row = my * comp.v + b / comp.h;
            *col = mx * comp.h + b % comp.h;
        }
        return Block(s.comp[i], *row, *col);
    };
    auto mcu = [&](int mx, int my, bool live) {
        if (!live) return;  // missing data leaves the coefficients as they were
        for (int i = 0; i < s.count; ++i) {
            const Component& comp = m_frame.comp[s.comp[i]];
            int blocks = s.count == 1 ? 1 : comp.h * comp.v;
            for (int b = 0; b < blocks; ++b) {
                int row, col;
                int16_t* blk = blockAt(i, mx, my, b, &row, &col);
                const HuffTable& dc = m_tables.dc[s.dc[i]];
                const HuffTable& ac = m_tables.ac[s.ac[i]];
                if (!progressive) {
                    std::memset(blk, 0, 64 * sizeof(int16_t));
                    DecodeSequential(br, dc, ac, kUnitQuant, &pred[i], blk);  // dequantised at output
                } else if (s.ss == 0) {
                    if (s.ah == 0) DecodeDcFirst(br, dc, s.al, &pred[i], blk);
                    else DecodeDcRefine(br, s.al, blk);
                } else if (s.ah == 0) {
                    DecodeAcFirst(br, ac, s.ss, s.se, s.al, &eobrun, blk);
                } else {
                    DecodeAcRefine(br, ac, s.ss, s.se, s.al, &eobrun, blk);
                }
            }
        }
    };
    auto restart = [&]() {
        std::memset(pred, 0, sizeof pred);
        eobrun = 0;
    };
    auto rowDone = [](int) {};
    // A scan of one component visits its own blocks, not whole MCUs.
    int mcusX = m_frame.mcusX, mcusY = m_frame.mcusY;
    if (scan.count == 1) {
        mcusX = m_frame.comp[scan.comp[0]].blocksW;
        mcusY = m_frame.comp[scan.comp[0]].blocksH;
    }
    return WalkScan(br, m_data, m_size, mcusX, mcusY, m_tables.restartInterval, mcu, restart, rowDone);
}

void JpegDecoder::OutputBuffered() {
    for (int c = 0; c < m_frame.count; ++c)
        if (!m_latched[c]) {  // never scanned: its coefficients are all zero
            m_quant[c] = m_tables.quant[m_frame.comp[c].tq];
            if (!m_quant[c].defined) std::memset(m_quant[c].q, 0, sizeof m_quant[c].q);
        }
    for (int band = 0; band < m_frame.mcusY; ++band) {
        for (int c = 0; c < m_frame.count; ++c) {
            const Component& comp = m_frame.comp[c];
            for (int by = 0; by < comp.v; ++by) {
                int row = band * comp.v + by;
                if (row >= comp.blocksH) break;
                uint8_t* out = m_out.Plane(c, row * 8);
                for (int col = 0; col < comp.blocksW; ++col) {
                    alignas(16) int16_t dq[64];
                    Dequantize(Block(c, row, col), m_quant[c].q, dq);
                    Idct(dq, BlockShape(dq), out + col * 8, m_out.Stride(c));
                }
            }
        }
        m_out.BandDone(band);
    }
}

}  // namespace

Status DecodeJpeg(Bytes in, Dib* out) {
    try {
        JpegDecoder decoder(in);
        return decoder.Run(out);
    } catch (const std::bad_alloc&) {
        return Status::Memory;
    }
}

}  // namespace imglib
