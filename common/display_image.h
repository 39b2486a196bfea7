// CDisplayImage: the one image an owner shows (the viewer's image window, the
// editor's preview, the screen saver), with the palette that goes with it on
// palette displays. LoadImageFile checks and decodes a file through ImgLib,
// replaces the held image and fits it to the display's colour depth.
//
// Owners must be safe with no DIB held: the holder starts empty and is empty
// again after ReleaseImage. A successful load always leaves a DIB; when the
// reduction for a palette display fails, it is the decoded DIB without a
// palette (the display maps its colours itself).
#pragma once

#include <windows.h>

#include <functional>

#include "imglib.h"

class CDisplayImage {
public:
    // What LoadImageFile says when the file cannot be opened, and how it
    // treats the cursor.
    enum Variant {
        kInteractive,    // image window: "%s:\nFile open error.", wait cursor while decoding
        kSlide,          // slides: "%s:\nFile Open Error", hidden cursor shown for each message
        kEditorPreview,  // editor preview: "%s:\nFile Open Error.", wait cursor while decoding
    };

    // The library calls, replaceable so that tests can count and fake them.
    struct ImgLibCalls {
        PDIB (*readFileIntoDIB)(const char* path) = ::ReadFileIntoDIB;
        int (*getLastError)() = ::GetLastImgLibError;
        PDIB (*reduceDIB)(PDIB dib, int colors, int dither) = ::ReduceDIB;
        HPALETTE (*createDIBPalette)(PDIB dib) = ::CreateDIBPalette;
        void (*dibFree)(PDIB dib) = ::DIBFree;
    };

    // Receives each formatted message (at most 259 characters).
    using MessageDisplay = std::function<void(const char* text)>;
    // Bits per pixel times planes of the display.
    using DepthSource = std::function<int()>;

    CDisplayImage() = default;
    explicit CDisplayImage(const ImgLibCalls& calls) : m_calls(calls) {}
    // Frees the DIB and the palette without running the clear-references
    // hook: by then the owner has torn down whatever borrowed them.
    ~CDisplayImage();
    CDisplayImage(const CDisplayImage&) = delete;
    CDisplayImage& operator=(const CDisplayImage&) = delete;

    // The window whose device context tells the display's colour depth.
    void SetDisplayWindow(HWND hWnd) { m_hWndDisplay = hWnd; }
    // Replaces the colour-depth query (tests; default: GetDeviceCaps).
    void SetDepthSource(DepthSource source) { m_depthSource = std::move(source); }
    // Where messages go (default: a stop-icon message box titled "Lumora").
    void SetMessageDisplay(MessageDisplay display) { m_messageDisplay = std::move(display); }
    // Called before a held DIB or palette is freed (on replacement, after a
    // reduction, on release; not from the destructor), so that windows that
    // borrow them drop their references first. May run twice in one load.
    void SetClearReferences(std::function<void()> hook) { m_clearReferences = std::move(hook); }

    // Checks that `path` opens, decodes it and, on success, replaces the held
    // image and fits it to the display. On failure the message for the
    // variant or the library's code is shown and the held image is untouched.
    bool LoadImageFile(const char* path, Variant variant);
    // Takes ownership of a freshly decoded DIB in place of the held one and
    // fits it to the display; returns the DIB now held.
    PDIB AdoptDIB(PDIB dib);
    // Fits the held DIB to the display's depth: on 8 bits or fewer a
    // true-colour DIB is reduced and given a palette, a DIB with a colour
    // table of 3 or more entries gets a palette. Returns the held DIB.
    PDIB PrepareForDisplay();
    // Shows the message for the library's last failure, if its code has one.
    void ReportImageError(const char* path, Variant variant = kInteractive);
    // Frees the DIB and the palette (after the clear-references hook).
    void ReleaseImage();

    PDIB GetDIB() const { return m_pDib; }
    HPALETTE GetPalette() const { return m_hPalette; }
    // Bits per pixel times planes, asked anew on each call.
    int DisplayDepth() const;

private:
    void ShowMessage(const char* text, Variant variant) const;
    void ClearReferences() const;
    void DeletePalette();

    ImgLibCalls m_calls;
    PDIB m_pDib = nullptr;         // owned, freed with DIBFree
    HPALETTE m_hPalette = nullptr; // owned, freed with DeleteObject
    HWND m_hWndDisplay = nullptr;  // borrowed
    DepthSource m_depthSource;
    MessageDisplay m_messageDisplay;
    std::function<void()> m_clearReferences;
};
