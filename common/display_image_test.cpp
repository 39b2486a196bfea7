// CDisplayImage under Wine: palette rules per display depth, failure texts,
// replacement and release. The display depth and the message display are
// injected; the library calls go through counting wrappers around the real
// ImgLib, and ReduceDIB is faked where a test needs a particular answer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "display_image.h"
#include "test_bmp.h"

namespace {

using test_bmp::MakeBmp;

std::string TempDir() {
    char buf[MAX_PATH];
    DWORD n = GetTempPathA(sizeof buf, buf);
    return std::string(buf, n);
}

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = TempDir() + "lumora_display_image_" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// ---- counting library calls -------------------------------------------------

struct Calls {
    int reads = 0;
    int reduces = 0;
    int lastReduceColors = 0;
    int lastReduceDither = 0;
    std::vector<PDIB> freed;
    std::vector<HPALETTE> palettes;
    HCURSOR cursorWhileReading = nullptr;
    // What the fake reduction answers: the real ReduceDIB, null, the DIB
    // passed in, or a prepared replacement.
    enum class Reduce { Real, Null, Same, Replacement } reduce = Reduce::Real;
    PDIB replacement = nullptr;
    // A failing read that reports this code instead of calling the library.
    int forcedFailureCode = 0;
};
Calls g_calls;

PDIB CountingRead(const char* path) {
    ++g_calls.reads;
    g_calls.cursorWhileReading = GetCursor();
    if (g_calls.forcedFailureCode) return nullptr;
    return ReadFileIntoDIB(path);
}
int LastError() { return g_calls.forcedFailureCode ? g_calls.forcedFailureCode : GetLastImgLibError(); }
PDIB CountingReduce(PDIB dib, int colors, int dither) {
    ++g_calls.reduces;
    g_calls.lastReduceColors = colors;
    g_calls.lastReduceDither = dither;
    switch (g_calls.reduce) {
        case Calls::Reduce::Real: return ReduceDIB(dib, colors, dither);
        case Calls::Reduce::Null: return nullptr;
        case Calls::Reduce::Same: return dib;
        case Calls::Reduce::Replacement: return std::exchange(g_calls.replacement, nullptr);
    }
    return nullptr;
}
HPALETTE CountingPalette(PDIB dib) {
    HPALETTE h = CreateDIBPalette(dib);
    g_calls.palettes.push_back(h);
    return h;
}
void CountingFree(PDIB dib) {
    g_calls.freed.push_back(dib);
    DIBFree(dib);
}

CDisplayImage::ImgLibCalls CountingCalls() {
    CDisplayImage::ImgLibCalls c;
    c.readFileIntoDIB = CountingRead;
    c.getLastError = LastError;
    c.reduceDIB = CountingReduce;
    c.createDIBPalette = CountingPalette;
    c.dibFree = CountingFree;
    return c;
}

bool IsLivePalette(HPALETTE h) { return h && GetObjectType(h) == OBJ_PAL; }

class DisplayImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls = Calls{};
        m_image.SetDepthSource([this] { return m_depth; });
        m_image.SetMessageDisplay([this](const char* text) {
            m_messages.push_back(text);
            m_cursorCountAtMessage = CursorCount();
        });
        m_image.SetClearReferences([this] {
            ++m_clears;
            m_freesAtClear = g_calls.freed.size();
        });
        m_trueColour = WriteTempFile("rgb24.bmp", MakeBmp(16, 8, 24, 0));
        m_twoColour = WriteTempFile("pal1.bmp", MakeBmp(16, 8, 1, 2));
        m_sixteenColour = WriteTempFile("pal4.bmp", MakeBmp(16, 8, 4, 16));
        m_256Colour = WriteTempFile("pal8.bmp", MakeBmp(16, 8, 8, 256));
        m_notImage = WriteTempFile("text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
        ASSERT_FALSE(m_trueColour.empty());
    }
    void TearDown() override {
        m_image.ReleaseImage();
        if (g_calls.replacement) DIBFree(g_calls.replacement);
        for (const std::string& p : {m_trueColour, m_twoColour, m_sixteenColour, m_256Colour, m_notImage})
            DeleteFileA(p.c_str());
    }

    // The cursor's display count, left as it was.
    static int CursorCount() {
        int count = ShowCursor(TRUE) - 1;
        ShowCursor(FALSE);
        return count;
    }

    // Loads `path` and requires the decoder to have read it.
    void Load(const std::string& path) {
        ASSERT_TRUE(m_image.LoadImageFile(path.c_str(), CDisplayImage::kInteractive))
            << path << ": code " << GetLastImgLibError();
        ASSERT_NE(m_image.GetDIB(), nullptr);
    }

    int m_depth = 8;
    CDisplayImage m_image{CountingCalls()};
    std::vector<std::string> m_messages;
    int m_cursorCountAtMessage = 0;
    int m_clears = 0;
    size_t m_freesAtClear = 0;
    std::string m_trueColour, m_twoColour, m_sixteenColour, m_256Colour, m_notImage;
};

// ---- palette rules ----------------------------------------------------------

TEST_F(DisplayImageTest, TrueColourOnPaletteDisplayIsReducedAndGetsPalette) {
    // The replacement stands for a good reduction: another DIB with a table.
    g_calls.replacement = ReadFileIntoDIB(m_256Colour.c_str());
    ASSERT_NE(g_calls.replacement, nullptr) << "code " << GetLastImgLibError();
    PDIB reduced = g_calls.replacement;
    g_calls.reduce = Calls::Reduce::Replacement;

    Load(m_trueColour);
    EXPECT_EQ(g_calls.reduces, 1);
    EXPECT_EQ(g_calls.lastReduceColors, 256);
    EXPECT_EQ(g_calls.lastReduceDither, 1);
    EXPECT_EQ(m_image.GetDIB(), reduced);
    EXPECT_TRUE(IsLivePalette(m_image.GetPalette()));
    // The decoded DIB was freed once, after the borrowers let go of it.
    ASSERT_EQ(g_calls.freed.size(), 1u);
    EXPECT_NE(g_calls.freed[0], reduced);
    EXPECT_EQ(m_clears, 1);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(DisplayImageTest, FourBitDisplayAsksForSixteenColours) {
    m_depth = 4;
    g_calls.reduce = Calls::Reduce::Null;
    Load(m_trueColour);
    EXPECT_EQ(g_calls.reduces, 1);
    EXPECT_EQ(g_calls.lastReduceColors, 16);
}

TEST_F(DisplayImageTest, RealReductionKeepsItsContract) {
    for (int depth : {8, 4}) {
        SCOPED_TRACE(depth);
        m_depth = depth;
        Load(m_trueColour);
        PDIB dib = m_image.GetDIB();
        if (dib->biClrUsed == 0) {
            // The reduction failed: the decoded image is kept, without palette.
            EXPECT_EQ(m_image.GetPalette(), nullptr);
            EXPECT_EQ(dib->biBitCount, 24);
        } else {
            EXPECT_LE(dib->biClrUsed, 1u << depth);
            EXPECT_TRUE(IsLivePalette(m_image.GetPalette()));
        }
    }
}

TEST_F(DisplayImageTest, FailedReductionKeepsTheDecodedImageWithoutPalette) {
    g_calls.reduce = Calls::Reduce::Null;
    Load(m_trueColour);
    PDIB dib = m_image.GetDIB();
    EXPECT_EQ(dib->biClrUsed, 0u);
    EXPECT_EQ(dib->biWidth, 16);
    EXPECT_EQ(m_image.GetPalette(), nullptr);
    EXPECT_TRUE(g_calls.freed.empty());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(DisplayImageTest, ReductionReturningItsInputFreesNothing) {
    g_calls.reduce = Calls::Reduce::Same;
    Load(m_trueColour);
    EXPECT_EQ(g_calls.reduces, 1);
    EXPECT_TRUE(g_calls.freed.empty());
    EXPECT_EQ(m_image.GetDIB()->biWidth, 16);  // still readable: not freed
}

TEST_F(DisplayImageTest, TwoColourTableGetsNoPalette) {
    for (int depth : {8, 4, 1}) {
        SCOPED_TRACE(depth);
        m_depth = depth;
        Load(m_twoColour);
        EXPECT_EQ(m_image.GetDIB()->biClrUsed, 2u);
        EXPECT_EQ(m_image.GetPalette(), nullptr);
    }
    EXPECT_EQ(g_calls.reduces, 0);
}

TEST_F(DisplayImageTest, SixteenColourTableGetsPaletteWithoutReduction) {
    for (int depth : {8, 4, 2}) {
        SCOPED_TRACE(depth);
        m_depth = depth;
        Load(m_sixteenColour);
        EXPECT_EQ(m_image.GetDIB()->biClrUsed, 16u);
        EXPECT_TRUE(IsLivePalette(m_image.GetPalette()));
    }
    EXPECT_EQ(g_calls.reduces, 0);
    EXPECT_EQ(g_calls.freed.size(), 2u);  // the first two loads, replaced
}

TEST_F(DisplayImageTest, DeepDisplaysGetNoPaletteAndNoReduction) {
    for (int depth : {16, 24, 32}) {
        for (const std::string* file : {&m_trueColour, &m_twoColour, &m_sixteenColour, &m_256Colour}) {
            SCOPED_TRACE(*file + " at " + std::to_string(depth));
            m_depth = depth;
            Load(*file);
            EXPECT_EQ(m_image.GetPalette(), nullptr);
        }
    }
    EXPECT_EQ(g_calls.reduces, 0);
    EXPECT_TRUE(g_calls.palettes.empty());
}

TEST_F(DisplayImageTest, RepreparingOnDeepDisplayDropsThePalette) {
    Load(m_sixteenColour);
    HPALETTE first = m_image.GetPalette();
    ASSERT_TRUE(IsLivePalette(first));
    int clears = m_clears;
    m_depth = 24;
    EXPECT_EQ(m_image.PrepareForDisplay(), m_image.GetDIB());
    EXPECT_EQ(m_image.GetPalette(), nullptr);
    EXPECT_FALSE(IsLivePalette(first));
    EXPECT_EQ(m_clears, clears + 1);
}

// ---- failures ---------------------------------------------------------------

TEST_F(DisplayImageTest, MissingFileShowsTheVariantsOpenErrorWithoutDecoding) {
    Load(m_sixteenColour);
    PDIB held = m_image.GetDIB();
    HPALETTE palette = m_image.GetPalette();
    int reads = g_calls.reads;
    std::string path = TempDir() + "lumora_no_such_file.bmp";
    const struct {
        CDisplayImage::Variant variant;
        const char* text;
    } cases[] = {
        {CDisplayImage::kInteractive, ":\nFile open error."},
        {CDisplayImage::kSlide, ":\nFile Open Error"},
        {CDisplayImage::kEditorPreview, ":\nFile Open Error."},
    };
    for (const auto& c : cases) {
        m_messages.clear();
        EXPECT_FALSE(m_image.LoadImageFile(path.c_str(), c.variant));
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0], path + c.text);
    }
    EXPECT_EQ(g_calls.reads, reads);
    EXPECT_EQ(m_image.GetDIB(), held);
    EXPECT_EQ(m_image.GetPalette(), palette);
    EXPECT_TRUE(IsLivePalette(palette));
}

TEST_F(DisplayImageTest, NonImageIsUnsupportedAndKeepsTheHeldImage) {
    Load(m_sixteenColour);
    PDIB held = m_image.GetDIB();
    HPALETTE palette = m_image.GetPalette();
    size_t freed = g_calls.freed.size();
    int clears = m_clears;
    for (auto variant : {CDisplayImage::kInteractive, CDisplayImage::kSlide, CDisplayImage::kEditorPreview}) {
        m_messages.clear();
        EXPECT_FALSE(m_image.LoadImageFile(m_notImage.c_str(), variant));
        EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0], m_notImage + ":\nUnsupported image type.");
    }
    EXPECT_EQ(m_image.GetDIB(), held);
    EXPECT_EQ(m_image.GetPalette(), palette);
    EXPECT_TRUE(IsLivePalette(palette));
    EXPECT_EQ(g_calls.freed.size(), freed);
    EXPECT_EQ(m_clears, clears);
}

TEST_F(DisplayImageTest, EachLibraryCodeHasItsTextOrNone) {
    const struct {
        int code;
        const char* text;  // null: silent
    } cases[] = {
        {3, ":\nOut of memory reading image."},
        {5, ":\nAccess violation.  Bad pointer"},
        {7, ":\nUnsupported image type."},
        {1, nullptr},
        {2, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        g_calls.forcedFailureCode = c.code;
        m_messages.clear();
        EXPECT_FALSE(m_image.LoadImageFile(m_trueColour.c_str(), CDisplayImage::kInteractive));
        if (c.text) {
            ASSERT_EQ(m_messages.size(), 1u);
            EXPECT_EQ(m_messages[0], m_trueColour + c.text);
        } else {
            EXPECT_TRUE(m_messages.empty());
        }
    }
    EXPECT_EQ(m_image.GetDIB(), nullptr);
}

TEST_F(DisplayImageTest, LongMessagesAreCutAndTerminated) {
    std::string path = TempDir() + std::string(300, 'x') + ".bmp";
    EXPECT_FALSE(m_image.LoadImageFile(path.c_str(), CDisplayImage::kInteractive));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], (path + ":\nFile open error.").substr(0, 259));
}

// ---- cursor -----------------------------------------------------------------

TEST_F(DisplayImageTest, InteractiveVariantsShowTheWaitCursorWhileDecoding) {
    HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    for (auto variant : {CDisplayImage::kInteractive, CDisplayImage::kEditorPreview}) {
        SetCursor(nullptr);
        ASSERT_TRUE(m_image.LoadImageFile(m_trueColour.c_str(), variant));
        EXPECT_EQ(g_calls.cursorWhileReading, wait);
        EXPECT_EQ(GetCursor(), arrow);
    }
    // The slide variant leaves the cursor alone.
    SetCursor(nullptr);
    ASSERT_TRUE(m_image.LoadImageFile(m_trueColour.c_str(), CDisplayImage::kSlide));
    EXPECT_EQ(g_calls.cursorWhileReading, nullptr);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(DisplayImageTest, SlideVariantShowsTheHiddenCursorForEachMessage) {
    int start = CursorCount();
    while (ShowCursor(FALSE) >= 0) {
    }
    std::string missing = TempDir() + "lumora_no_such_slide.bmp";
    EXPECT_FALSE(m_image.LoadImageFile(missing.c_str(), CDisplayImage::kSlide));
    EXPECT_GE(m_cursorCountAtMessage, 0);
    EXPECT_LT(CursorCount(), 0);
    m_cursorCountAtMessage = -100;
    EXPECT_FALSE(m_image.LoadImageFile(m_notImage.c_str(), CDisplayImage::kSlide));
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_GE(m_cursorCountAtMessage, 0);
    EXPECT_LT(CursorCount(), 0);
    while (CursorCount() < start) ShowCursor(TRUE);
}

// ---- replacement and release ------------------------------------------------

TEST_F(DisplayImageTest, LoadingTwiceReplacesTheImageAndDeletesTheOldPalette) {
    Load(m_sixteenColour);
    PDIB first = m_image.GetDIB();
    HPALETTE firstPalette = m_image.GetPalette();
    ASSERT_TRUE(IsLivePalette(firstPalette));
    EXPECT_EQ(m_clears, 0);  // nothing held yet, nothing to clear

    Load(m_sixteenColour);
    ASSERT_EQ(g_calls.palettes.size(), 2u);
    EXPECT_EQ(m_image.GetPalette(), g_calls.palettes[1]);
    EXPECT_TRUE(IsLivePalette(m_image.GetPalette()));
    if (firstPalette != m_image.GetPalette()) {
        EXPECT_FALSE(IsLivePalette(firstPalette));
    }
    ASSERT_EQ(g_calls.freed.size(), 1u);
    EXPECT_EQ(g_calls.freed[0], first);
    // References were cleared before the old DIB was freed.
    EXPECT_EQ(m_clears, 1);
    EXPECT_EQ(m_freesAtClear, 0u);
}

TEST_F(DisplayImageTest, ReleaseFreesBothAndLeavesTheHolderEmpty) {
    m_image.ReleaseImage();  // empty: nothing to clear
    EXPECT_EQ(m_clears, 0);
    Load(m_sixteenColour);
    PDIB dib = m_image.GetDIB();
    HPALETTE palette = m_image.GetPalette();
    m_image.ReleaseImage();
    EXPECT_EQ(m_clears, 1);
    EXPECT_EQ(m_image.GetDIB(), nullptr);
    EXPECT_EQ(m_image.GetPalette(), nullptr);
    ASSERT_EQ(g_calls.freed.size(), 1u);
    EXPECT_EQ(g_calls.freed[0], dib);
    EXPECT_FALSE(IsLivePalette(palette));
    EXPECT_EQ(m_image.PrepareForDisplay(), nullptr);
}

TEST_F(DisplayImageTest, DestructorFreesWithoutCallingBackIntoTheOwner) {
    int clears = 0;
    {
        CDisplayImage image(CountingCalls());
        image.SetDepthSource([] { return 8; });
        image.SetClearReferences([&] { ++clears; });
        ASSERT_TRUE(image.LoadImageFile(m_sixteenColour.c_str(), CDisplayImage::kInteractive));
    }
    EXPECT_EQ(clears, 0);
    EXPECT_EQ(g_calls.freed.size(), 1u);
    ASSERT_EQ(g_calls.palettes.size(), 1u);
    EXPECT_FALSE(IsLivePalette(g_calls.palettes[0]));
}

TEST(DisplayImageDepth, DefaultQueriesTheScreen) {
    CDisplayImage image;
    image.SetDisplayWindow(GetDesktopWindow());
    HDC hdc = GetDC(nullptr);
    int expected = GetDeviceCaps(hdc, BITSPIXEL) * GetDeviceCaps(hdc, PLANES);
    ReleaseDC(nullptr, hdc);
    EXPECT_EQ(image.DisplayDepth(), expected);
    EXPECT_GT(expected, 0);
}

}  // namespace
