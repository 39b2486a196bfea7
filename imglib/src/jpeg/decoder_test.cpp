// The whole decoder on hand-made files: orientation, restart markers and
// recovery from damage, truncation, and the files it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoders.h"
#include "jpeg/test_writer.h"

namespace imglib::jpeg {
namespace {

using test::GreyJpeg;

GreyJpeg Blocks(int bw, int bh) {
    GreyJpeg g;
    g.width = 8 * bw;
    g.height = 8 * bh;
    for (int i = 0; i < bw * bh; ++i) g.blockValues.push_back(20 + 35 * (i % 7));
    return g;
}

Status Decode(const std::vector<uint8_t>& f, Dib* dib) { return DecodeJpeg(Bytes{f.data(), f.size()}, dib); }

int Pixel(Dib& d, int x, int y) { return d.Row(y)[x]; }

TEST(JpegDecoder, FlatBlocksComeOutAsGreyPalette) {
    GreyJpeg g = Blocks(3, 2);
    Dib dib;
    ASSERT_EQ(Decode(g.Build(), &dib), Status::Ok);
    ASSERT_EQ(dib.Width(), 24);
    ASSERT_EQ(dib.Height(), 16);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.Colors(), 256);
    EXPECT_EQ(dib.PaletteEntry(77)[0], 77);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) ASSERT_EQ(Pixel(dib, x, y), g.blockValues[(y / 8) * 3 + x / 8]) << x << "," << y;
}

// Orientation: the stored picture is 3 x 2 blocks, all different. For each
// tag value, where the stored block (bx, by) must appear on screen, as the
// EXIF definition words it (which side the 0th row and column become).
TEST(JpegDecoder, AppliesEachExifOrientation) {
    const int bw = 3, bh = 2;
    for (bool big : {false, true}) {
        for (int o = 1; o <= 8; ++o) {
            SCOPED_TRACE(std::to_string(o) + (big ? " MM" : " II"));
            GreyJpeg g = Blocks(bw, bh);
            g.orientation = o;
            g.bigEndianExif = big;
            Dib dib;
            ASSERT_EQ(Decode(g.Build(), &dib), Status::Ok);
            bool swap = o >= 5;
            ASSERT_EQ(dib.Width(), 8 * (swap ? bh : bw));
            ASSERT_EQ(dib.Height(), 8 * (swap ? bw : bh));
            for (int by = 0; by < bh; ++by)
                for (int bx = 0; bx < bw; ++bx) {
                    // 0th row at top/bottom/left/right, 0th column at left/right/top/bottom.
                    int dx = bx, dy = by;
                    switch (o) {
                        case 2: dx = bw - 1 - bx; break;
                        case 3: dx = bw - 1 - bx; dy = bh - 1 - by; break;
                        case 4: dy = bh - 1 - by; break;
                        case 5: dx = by; dy = bx; break;
                        case 6: dx = bh - 1 - by; dy = bx; break;
                        case 7: dx = bh - 1 - by; dy = bw - 1 - bx; break;
                        case 8: dx = by; dy = bw - 1 - bx; break;
                    }
                    EXPECT_EQ(Pixel(dib, 8 * dx + 4, 8 * dy + 4), g.blockValues[by * bw + bx]) << bx << "," << by;
                }
        }
    }
}

TEST(JpegDecoder, IgnoresOrientationOutOfRange) {
    GreyJpeg g = Blocks(3, 2);
    g.orientation = 9;
    Dib dib;
    ASSERT_EQ(Decode(g.Build(), &dib), Status::Ok);
    EXPECT_EQ(dib.Width(), 24);
    EXPECT_EQ(Pixel(dib, 0, 0), g.blockValues[0]);
}

TEST(JpegDecoder, RestartIntervalsDecodeAndResetPrediction) {
    GreyJpeg g = Blocks(5, 3);
    g.restartInterval = 2;
    Dib dib;
    ASSERT_EQ(Decode(g.Build(), &dib), Status::Ok);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(Pixel(dib, 8 * (i % 5) + 3, 8 * (i / 5) + 3), g.blockValues[i]) << i;
}

// Damage inside one interval stays inside it: the next restart marker
// brings the decoder back in step.
TEST(JpegDecoder, RecoversAtNextRestartMarker) {
    GreyJpeg g = Blocks(6, 2);
    g.restartInterval = 3;
    std::vector<uint8_t> head = g.Header(), data = g.ScanData();
    // Find the first restart marker; garble the interval before it.
    size_t rst = 0;
    while (!(data[rst] == 0xFF && data[rst + 1] == 0xD0)) ++rst;
    for (size_t i = 0; i < rst; ++i) data[i] = uint8_t(data[i] ^ 0x5A) == 0xFF ? 0x00 : uint8_t(data[i] ^ 0x5A);
    std::vector<uint8_t> f = head;
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(0xFF), f.push_back(0xD9);
    Dib dib;
    ASSERT_EQ(Decode(f, &dib), Status::Ok);
    for (int i = 3; i < 12; ++i) EXPECT_EQ(Pixel(dib, 8 * (i % 6) + 3, 8 * (i / 6) + 3), g.blockValues[i]) << i;
}

// A lost restart marker and its interval: the marker numbers tell how many
// intervals are missing, and the later ones stay in place.
TEST(JpegDecoder, SkipsLostIntervals) {
    GreyJpeg g = Blocks(6, 2);
    g.restartInterval = 2;
    std::vector<uint8_t> data = g.ScanData();
    std::vector<size_t> markers;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] >= 0xD0 && data[i + 1] <= 0xD7) markers.push_back(i);
    ASSERT_EQ(markers.size(), 5u);
    // Cut out interval 1 (blocks 2, 3) together with the marker before it.
    data.erase(data.begin() + markers[0], data.begin() + markers[1]);
    std::vector<uint8_t> f = g.Header();
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(0xFF), f.push_back(0xD9);
    Dib dib;
    ASSERT_EQ(Decode(f, &dib), Status::Ok);
    for (int i : {0, 1, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(Pixel(dib, 8 * (i % 6) + 3, 8 * (i / 6) + 3), g.blockValues[i]) << i;
    EXPECT_EQ(Pixel(dib, 8 * 2 + 3, 3), 128);  // the lost interval is grey
}

// Cut anywhere, the file gives a clean answer; cut inside the scan, the
// blocks before the cut are shown and the rest is grey.
TEST(JpegDecoder, TruncationAtEveryOffset) {
    for (int interval : {0, 3}) {
        GreyJpeg g = Blocks(4, 3);
        g.restartInterval = interval;
        std::vector<uint8_t> full = g.Build();
        size_t headerSize = g.Header().size();
        for (size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            std::vector<uint8_t> cut(full.begin(), full.begin() + n);
            Dib dib;
            Status s = Decode(cut, &dib);
            if (n < headerSize) {
                EXPECT_EQ(s, Status::Unsupported);
                continue;
            }
            ASSERT_EQ(s, Status::Ok);
            ASSERT_EQ(dib.Width(), 32);
            bool greyTail = false;
            for (int i = 0; i < 12; ++i) {
                int v = Pixel(dib, 8 * (i % 4) + 4, 8 * (i / 4) + 4);
                if (v != g.blockValues[i]) {
                    EXPECT_EQ(v, 128) << "block " << i;
                    greyTail = true;
                } else if (greyTail && interval == 0) {
                    ADD_FAILURE() << "block " << i << " decoded after a missing one";
                }
            }
        }
    }
}

std::vector<uint8_t> WithFrame(const std::vector<uint8_t>& sof, uint8_t marker = 0xC0) {
    GreyJpeg g = Blocks(1, 1);
    std::vector<uint8_t> f = g.Build();
    // Replace the SOF0 segment (after SOI and DQT) with the one given.
    size_t at = 2 + 2 + 2 + 65;
    EXPECT_EQ(f[at + 1], 0xC0);
    f.erase(f.begin() + at, f.begin() + at + 2 + 2 + 9);
    std::vector<uint8_t> seg;
    GreyJpeg::Segment(seg, marker, sof);
    f.insert(f.begin() + at, seg.begin(), seg.end());
    return f;
}

TEST(JpegDecoder, RefusesWhatItCannotShow) {
    Dib dib;
    // Lossless, arithmetic-coded and hierarchical frames.
    for (uint8_t m : {0xC3, 0xC5, 0xC9, 0xCA, 0xCD})
        EXPECT_EQ(Decode(WithFrame({8, 0, 8, 0, 8, 1, 1, 0x11, 0}, m), &dib), Status::Unsupported) << int(m);
    EXPECT_EQ(Decode(WithFrame({12, 0, 8, 0, 8, 1, 1, 0x11, 0}), &dib), Status::Unsupported);  // 12-bit
    EXPECT_EQ(Decode(WithFrame({8, 0, 0, 0, 8, 1, 1, 0x11, 0}), &dib), Status::Unsupported);   // height from DNL
    EXPECT_EQ(Decode(WithFrame({8, 0, 8, 0, 0, 1, 1, 0x11, 0}), &dib), Status::Unsupported);   // zero width
    EXPECT_EQ(Decode(WithFrame({8, 0, 8, 0, 8, 1, 1, 0x51, 0}), &dib), Status::Unsupported);   // sampling 5
    EXPECT_EQ(Decode(WithFrame({8, 0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 0x11, 0}), &dib), Status::Memory);
    EXPECT_TRUE(dib.Empty());

    // No scan, or not even a frame.
    GreyJpeg g = Blocks(1, 1);
    std::vector<uint8_t> head = g.Header();
    std::vector<uint8_t> noScan(head.begin(), head.end() - 10);
    noScan.push_back(0xFF), noScan.push_back(0xD9);
    EXPECT_EQ(Decode(noScan, &dib), Status::Unsupported);
    EXPECT_EQ(Decode({0xFF, 0xD8, 0xFF, 0xD9}, &dib), Status::Unsupported);
    EXPECT_EQ(Decode({}, &dib), Status::Unsupported);
}

TEST(JpegDecoder, RefusesBadHuffmanTable) {
    GreyJpeg g = Blocks(1, 1);
    std::vector<uint8_t> f = g.Build();
    // The DC table's 12 four-bit codes become 20: more than four bits hold.
    size_t dht = 0;
    while (!(f[dht] == 0xFF && f[dht + 1] == 0xC4)) ++dht;
    f[dht + 4 + 1 + 3] = 20;
    Dib dib;
    EXPECT_EQ(Decode(f, &dib), Status::Unsupported);
}

}  // namespace
}  // namespace imglib::jpeg
