#include "display_image.h"

#include <cstdio>

#include "image_error_text.h"

namespace {

const char* OpenErrorFormat(CDisplayImage::Variant variant) {
    switch (variant) {
        case CDisplayImage::kSlide: return "%s:\nFile Open Error";
        case CDisplayImage::kEditorPreview: return "%s:\nFile Open Error.";
        case CDisplayImage::kInteractive: break;
    }
    return "%s:\nFile open error.";
}

bool IsInteractive(CDisplayImage::Variant variant) { return variant != CDisplayImage::kSlide; }

// ShowCursor keeps a display count; the cursor shows while it is 0 or more.
// The loops are bounded in case the count never moves.
void ForceCursorVisible() {
    for (int i = 0; i < 256 && ShowCursor(TRUE) < 0; ++i) {
    }
}
void ForceCursorHidden() {
    for (int i = 0; i < 256 && ShowCursor(FALSE) >= 0; ++i) {
    }
}

void StopMessageBox(const char* text) { MessageBoxA(nullptr, text, "Lumora", MB_OK | MB_ICONSTOP); }

}  // namespace

CDisplayImage::~CDisplayImage() {
    DeletePalette();
    if (m_pDib) m_calls.dibFree(m_pDib);
}

int CDisplayImage::DisplayDepth() const {
    if (m_depthSource) return m_depthSource();
    HDC hdc = GetDC(m_hWndDisplay);
    if (!hdc) return 24;  // no screen to ask: draw true colour
    int depth = GetDeviceCaps(hdc, BITSPIXEL) * GetDeviceCaps(hdc, PLANES);
    ReleaseDC(m_hWndDisplay, hdc);
    return depth;
}

void CDisplayImage::ShowMessage(const char* text, Variant variant) const {
    // A slide show runs with the cursor hidden; the user needs it for the OK button.
    if (!IsInteractive(variant)) ForceCursorVisible();
    if (m_messageDisplay) m_messageDisplay(text);
    else StopMessageBox(text);
    if (!IsInteractive(variant)) ForceCursorHidden();
}

void CDisplayImage::ClearReferences() const {
    if (m_clearReferences) m_clearReferences();
}

void CDisplayImage::DeletePalette() {
    if (m_hPalette) DeleteObject(m_hPalette);
    m_hPalette = nullptr;
}

bool CDisplayImage::LoadImageFile(const char* path, Variant variant) {
    // The open check proves only that the file is there and readable; a file
    // that fails it never reaches the library, so its message is always ours.
    std::FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f) {
        char text[kImageMessageSize];
        FormatPathMessage(text, sizeof text, OpenErrorFormat(variant), path);
        ShowMessage(text, variant);
        return false;
    }
    std::fclose(f);

    if (IsInteractive(variant)) SetCursor(LoadCursor(nullptr, IDC_WAIT));
    PDIB dib = m_calls.readFileIntoDIB(path);
    if (dib) AdoptDIB(dib);
    if (IsInteractive(variant)) SetCursor(LoadCursor(nullptr, IDC_ARROW));

    if (!dib) {
        ReportImageError(path, variant);
        return false;
    }
    return true;
}

PDIB CDisplayImage::AdoptDIB(PDIB dib) {
    if (m_pDib != dib) {
        if (m_pDib || m_hPalette) ClearReferences();
        if (m_pDib) m_calls.dibFree(m_pDib);
        m_pDib = dib;
    }
    DeletePalette();
    return PrepareForDisplay();
}

PDIB CDisplayImage::PrepareForDisplay() {
    if (!m_pDib) return nullptr;
    int depth = DisplayDepth();
    if (depth > 8) {
        // True- and high-colour displays draw any DIB directly.
        if (m_hPalette) {
            ClearReferences();
            DeletePalette();
        }
        return m_pDib;
    }
    if (m_hPalette) return m_pDib;  // already prepared

    if (m_pDib->biClrUsed != 0) {
        // One or two colours draw correctly from the system palette; larger
        // tables get a palette but no reduction, even beyond the display's colours.
        if (m_pDib->biClrUsed >= 3) m_hPalette = m_calls.createDIBPalette(m_pDib);
        return m_pDib;
    }

    int colors = depth < 1 ? 2 : 1 << depth;
    PDIB reduced = m_calls.reduceDIB(m_pDib, colors, 1);
    if (!reduced) return m_pDib;  // keep the decoded image: the display maps its colours
    if (reduced != m_pDib) {
        ClearReferences();
        m_calls.dibFree(m_pDib);
        m_pDib = reduced;
    }
    if (m_pDib->biClrUsed != 0) m_hPalette = m_calls.createDIBPalette(m_pDib);
    return m_pDib;
}

void CDisplayImage::ReportImageError(const char* path, Variant variant) {
    const char* format = ImgLibErrorFormat(m_calls.getLastError());
    if (!format) return;
    char text[kImageMessageSize];
    FormatPathMessage(text, sizeof text, format, path);
    ShowMessage(text, variant);
}

void CDisplayImage::ReleaseImage() {
    if (!m_pDib && !m_hPalette) return;
    ClearReferences();
    DeletePalette();
    if (m_pDib) m_calls.dibFree(m_pDib);
    m_pDib = nullptr;
}
