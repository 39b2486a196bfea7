#include "tiff_ifd.h"

#include <gtest/gtest.h>

#include "tiff_test_writer.h"

namespace imglib::test {
namespace {

TEST(TiffIfd, ReadsEveryNumericTypeInlineAndByOffsetInBothOrders) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        TiffWriter w(big);
        w.Tag(256, kByte, {200});
        w.Tag(257, kShort, {60000});
        w.Tag(258, kShort, {8, 16, 8});        // 6 bytes: by offset
        w.Tag(273, kLong, {70000, 80000});     // 8 bytes: by offset
        w.Tag(278, kRational, {12});           // always by offset
        w.Tag(320, kByte, {1, 2, 3, 4});       // exactly fills the entry
        auto file = w.Build();
        TiffDirectory dir;
        ASSERT_EQ(dir.Read(Bytes{file.data(), file.size()}), Status::Ok);
        EXPECT_EQ(dir.BigEndian(), big);
        EXPECT_EQ(dir.Get(256, 0), 200u);
        EXPECT_EQ(dir.Get(257, 0), 60000u);
        const TiffField* bps = dir.Find(258);
        ASSERT_NE(bps, nullptr);
        EXPECT_EQ(bps->count, 3u);
        EXPECT_EQ(dir.Value(*bps, 1), 16u);
        EXPECT_EQ(dir.Value(*bps, 3), 0u);  // past the count
        EXPECT_EQ(dir.Value(*dir.Find(273), 1), 80000u);
        EXPECT_EQ(dir.Get(278, 0), 12u);
        EXPECT_EQ(dir.Value(*dir.Find(320), 3), 4u);
        EXPECT_EQ(dir.Get(259, 77), 77u);  // absent
    }
}

TEST(TiffIfd, CountsPastTheEndOfTheFileAreCut) {
    TiffWriter w;
    w.Tag(273, kLong, {1, 2, 3});
    auto file = w.Build();
    // Claim four billion offsets: only those inside the file remain.
    for (size_t i = 0; i + 12 <= file.size(); ++i) {
        if (file[i] == 0x11 && file[i + 1] == 0x01 && file[i + 2] == kLong) {
            file[i + 4] = file[i + 5] = file[i + 6] = file[i + 7] = 0xFF;
            break;
        }
    }
    TiffDirectory dir;
    ASSERT_EQ(dir.Read(Bytes{file.data(), file.size()}), Status::Ok);
    const TiffField* f = dir.Find(273);
    ASSERT_NE(f, nullptr);
    EXPECT_LE(f->offset + f->count * 4, file.size());
}

TEST(TiffIfd, RefusesWhatIsNoTiffAndDirectoriesOutsideTheFile) {
    TiffDirectory dir;
    std::vector<uint8_t> notTiff = {'I', 'M', 42, 0, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(dir.Read(Bytes{notTiff.data(), notTiff.size()}), Status::Unsupported);
    std::vector<uint8_t> shortBig = {'I', 'I', 43, 0, 8, 0, 0, 0};
    EXPECT_EQ(dir.Read(Bytes{shortBig.data(), shortBig.size()}), Status::Unsupported);
    std::vector<uint8_t> outside = {'M', 'M', 0, 42, 0x7F, 0, 0, 0};
    EXPECT_EQ(dir.Read(Bytes{outside.data(), outside.size()}), Status::Unsupported);
    // A directory that claims more entries than the file holds keeps the whole ones.
    std::vector<uint8_t> shortIfd = {'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF,
                                     0x00, 0x01, 3, 0, 1, 0, 0, 0, 9, 0, 0, 0, 0x01};
    ASSERT_EQ(dir.Read(Bytes{shortIfd.data(), shortIfd.size()}), Status::Ok);
    EXPECT_EQ(dir.Get(256, 0), 9u);
}

TEST(TiffIfd, ReadsABigTiffDirectory) {
    // BigTIFF: version 43, 8-byte offsets, 20-byte entries with 8-byte values.
    std::vector<uint8_t> f = {'I', 'I', 43, 0, 8, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
    auto put = [&](uint64_t v, int n) {
        for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(2, 8);
    put(256, 2), put(16, 2), put(1, 8), put(123456789012ull, 8);  // LONG8 inline
    put(258, 2), put(3, 2), put(4, 8), put(0x0010000800080008ull, 8);  // four SHORTs inline
    put(0, 8);
    TiffDirectory dir;
    ASSERT_EQ(dir.Read(Bytes{f.data(), f.size()}), Status::Ok);
    EXPECT_EQ(dir.Get(256, 0), 123456789012ull);
    EXPECT_EQ(dir.Value(*dir.Find(258), 3), 16u);
}

}  // namespace
}  // namespace imglib::test
