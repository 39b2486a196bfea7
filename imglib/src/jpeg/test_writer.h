// Test fixtures: writes small baseline greyscale JPEGs of flat 8x8 blocks
// with simple tables (DC categories as 4-bit codes, AC only end-of-block),
// optionally with restart markers and an EXIF orientation. For tests only.
#pragma once

#include <cstdint>
#include <vector>

#include "test_support.h"

namespace imglib::jpeg::test {

class BitWriter {
public:
    void Put(uint32_t bits, int n) {
        for (int i = n - 1; i >= 0; --i) {
            m_acc = m_acc << 1 | ((bits >> i) & 1);
            if (++m_count == 8) Flush();
        }
    }
    // Pads the last byte with 1 bits.
    void Align() {
        while (m_count) Put(1, 1);
    }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    void Flush() {
        m_bytes.push_back(static_cast<uint8_t>(m_acc));
        if (m_acc == 0xFF) m_bytes.push_back(0);  // stuffing
        m_acc = 0;
        m_count = 0;
    }
    std::vector<uint8_t> m_bytes;
    uint32_t m_acc = 0;
    int m_count = 0;
};

struct GreyJpeg {
    int width = 16, height = 16;
    std::vector<int> blockValues;  // sample value of each block, raster order
    int restartInterval = 0;       // in blocks
    int orientation = 0;           // 0: no EXIF
    bool bigEndianExif = false;

    static void Segment(std::vector<uint8_t>& v, uint8_t marker, const std::vector<uint8_t>& body) {
        v.push_back(0xFF);
        v.push_back(marker);
        imglib::test::Put16BE(v, unsigned(body.size() + 2));
        v.insert(v.end(), body.begin(), body.end());
    }

    std::vector<uint8_t> Exif() const {
        std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
        auto p16 = [&](unsigned x) { bigEndianExif ? imglib::test::Put16BE(b, x) : imglib::test::Put16(b, x); };
        auto p32 = [&](uint32_t x) { bigEndianExif ? imglib::test::Put32BE(b, x) : imglib::test::Put32(b, x); };
        b.push_back(bigEndianExif ? 'M' : 'I');
        b.push_back(bigEndianExif ? 'M' : 'I');
        p16(42);
        p32(8);
        p16(2);  // two entries: another tag first, then orientation
        p16(0x010F), p16(2), p32(4), p32(0);
        p16(0x0112), p16(3), p32(1), p16(unsigned(orientation)), p16(0);
        p32(0);
        return b;
    }

    // The scan's entropy-coded bytes (with restart markers), separately, so
    // tests can damage them.
    std::vector<uint8_t> ScanData() const {
        BitWriter w;
        std::vector<uint8_t> out;
        int pred = 0, rst = 0;
        for (size_t i = 0; i < blockValues.size(); ++i) {
            if (restartInterval && i > 0 && i % restartInterval == 0) {
                w.Align();
                out.insert(out.end(), w.Bytes().begin(), w.Bytes().end());
                w.Bytes().clear();
                out.push_back(0xFF);
                out.push_back(uint8_t(0xD0 + (rst++ & 7)));
                pred = 0;
            }
            int dc = 8 * (blockValues[i] - 128);
            int diff = dc - pred;
            pred = dc;
            int s = 0;
            for (int a = diff < 0 ? -diff : diff; a; a >>= 1) ++s;
            w.Put(unsigned(s), 4);
            if (s) w.Put(unsigned(diff < 0 ? diff + (1 << s) - 1 : diff), s);
            w.Put(0, 1);  // end of block
        }
        w.Align();
        out.insert(out.end(), w.Bytes().begin(), w.Bytes().end());
        return out;
    }

    // Everything up to and including the SOS header.
    std::vector<uint8_t> Header() const {
        std::vector<uint8_t> v = {0xFF, 0xD8};
        if (orientation) Segment(v, 0xE1, Exif());
        std::vector<uint8_t> dqt(65, 1);
        dqt[0] = 0;
        Segment(v, 0xDB, dqt);
        Segment(v, 0xC0, {8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 1, 1, 0x11, 0});
        std::vector<uint8_t> dht = {0x00, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (int i = 0; i < 12; ++i) dht.push_back(uint8_t(i));
        std::vector<uint8_t> ac = {0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
        dht.insert(dht.end(), ac.begin(), ac.end());
        Segment(v, 0xC4, dht);
        if (restartInterval) Segment(v, 0xDD, {uint8_t(restartInterval >> 8), uint8_t(restartInterval)});
        Segment(v, 0xDA, {1, 1, 0x00, 0, 63, 0});
        return v;
    }

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> v = Header(), data = ScanData();
        v.insert(v.end(), data.begin(), data.end());
        v.push_back(0xFF);
        v.push_back(0xD9);
        return v;
    }
};

}  // namespace imglib::jpeg::test
