#include "main_frame.h"

#include <algorithm>
#include <cstring>

#include "color_warning.h"
#include "editor_mode.h"
#include "file_view.h"
#include "handles.h"
#include "last_directory.h"
#include "lower_case.h"
#include "message_box.h"
#include "placement.h"
#include "resource.h"
#include "settings_table.h"
#include "win_app.h"

namespace {

int32_t ReadNumber(const settings::NumberSetting& s) {
    return s.Apply(AfxGetApp()->GetProfileInt(s.section, s.name, s.defaultValue));
}

viewer::DesktopRect DesktopRectangle() {
    RECT r;
    GetWindowRect(GetDesktopWindow(), &r);
    return viewer::DesktopRect{r.left, r.top, r.right, r.bottom};
}

}  // namespace

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.style &= ~FWS_ADDTOTITLE;
    return CFrameWnd::PreCreateWindow(cs);
}

LRESULT CMainFrame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_INITMENUPOPUP:
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam))) return 0;
            break;
    }
    return CFrameWnd::HandleMessage(msg, wParam, lParam);
}

bool CMainFrame::OnCommand(UINT id) {
    switch (id) {
        case ID_VIEW_FULLSCREEN: OnFullScreen(); return true;
        case ID_SLIDESHOW_SETTINGS: OnSlideShowSettings(); return true;
        case ID_SLIDESHOW_EDIT: OnEditSlideShow(); return true;
        case ID_HELP_HINTS: OnHelpfulHints(); return true;
        case ID_VIEW_UNLOCK_ASPECT: OnUnlockAspectRatio(); return true;
        case ID_SLIDESHOW_START: OnStartSlideShow(); return true;
        case ID_APP_ABOUT: OnAppAbout(); return true;
        case ID_ESCAPE: OnEscape(); return true;
        case ID_SHOW_PICKED_FILE: OnShowPickedFile(); return true;
    }
    return false;
}

BOOL CMainFrame::OnCreateClient(CREATESTRUCTA* cs, CCreateContext* pContext) {
    if (!CFrameWnd::OnCreateClient(cs, pContext)) return FALSE;
    m_pFileView = dynamic_cast<CFileView*>(GetActiveView());
    return TRUE;
}

int CMainFrame::OnCreate(CREATESTRUCTA* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;

    static const UINT kIndicators[] = {ID_INDICATOR_DIRECTORY};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 1))
        return -1;

    RestorePlacement();

    char program[MAX_PATH + 1] = "";
    DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    program[n < MAX_PATH ? n : MAX_PATH] = '\0';
    AfxGetApp()->WriteProfileString(settings::kHome.section, settings::kHome.name,
                                    viewer::LowerCaseAscii(program).c_str());

    ReadLastDirectory();
    if (m_pFileView) m_pFileView->SetPath(m_strDirectory.c_str());
    m_wndStatusBar.SetPaneInfo(0, ID_INDICATOR_DIRECTORY, SBPS_STRETCH, 0);
    m_wndStatusBar.SetPaneText(0, m_strDirectory.c_str());

    // The image window and the caption bar are created here once they
    // exist; until then m_pImageWnd and m_pNameBar stay null.

    m_bAspectLock = ReadNumber(settings::kAspectLock);
    m_bFullScreen = m_bShowRunning = m_bSlideOnScreen = m_bImageShown = FALSE;

    viewer::EditorModeParams& editor = viewer::EditorMode();
    editor = viewer::ParseEditorCommandLine(GetCommandLineA(), m_strDirectory);
    if (editor.editorMode)
        PostMessageA(m_hWnd, WM_COMMAND, ID_SLIDESHOW_EDIT, 0);  // once the loop runs
    else
        RunColorWarning();
    return 0;
}

void CMainFrame::RestorePlacement() {
    viewer::Placement p = viewer::ClampPlacement(
        ReadNumber(settings::kAppTop), ReadNumber(settings::kAppLeft),
        ReadNumber(settings::kAppWidth), ReadNumber(settings::kAppHeight), DesktopRectangle());
    if (p.centre) viewer::CentreOn(DesktopRectangle(), p.width, p.height, &p.left, &p.top);
    MoveWindow(m_hWnd, p.left, p.top, p.width, p.height, TRUE);
}

void CMainFrame::ReadLastDirectory() {
    char windows[MAX_PATH + 1] = "";
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    std::string fallback = n > 0 && n < MAX_PATH ? windows : viewer::kFallbackDirectory;
    std::string stored = AfxGetApp()->GetProfileString(
        settings::kLastDirectory.section, settings::kLastDirectory.name, fallback.c_str());
    m_strDirectory = viewer::ValidateLastDirectory(stored, GetLogicalDrives());
}

void CMainFrame::RunColorWarning() {
    CWinApp* app = AfxGetApp();
    int32_t setting = ReadNumber(settings::kColorWarning);
    if (setting == 0) return;
    fw::ScopedGetDC screen(nullptr);
    int colors = viewer::DesktopColors(
        [&screen](int index) { return GetDeviceCaps(screen.get(), index); });
    if (!viewer::ColorWarningDue(setting, colors)) return;
    if (AfxMessageBox(viewer::ColorWarningText(colors).c_str(), MB_YESNO | MB_ICONEXCLAMATION) ==
        IDNO)
        app->WriteProfileInt(settings::kColorWarning.section, settings::kColorWarning.name, 0);
}

void CMainFrame::SetCurrentFile(const char* fileName, const char* directory) {
    m_strFileName = fileName ? fileName : "";
    m_strDirectory = viewer::LowerCaseAscii(directory ? directory : "");
    m_wndStatusBar.SetPaneText(0, m_strDirectory.c_str());
}

int CMainFrame::GetDirectoryText(char* buffer, size_t bufferSize) const {
    if (bufferSize > 0) {
        size_t n = std::min(m_strDirectory.size(), bufferSize - 1);
        std::memcpy(buffer, m_strDirectory.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(m_strDirectory.size() + 1);
}

void CMainFrame::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu) {
    if (sysMenu) return;
    // Checked while the aspect lock is off: the item reads "Unlock".
    CheckMenuItem(popup, ID_VIEW_UNLOCK_ASPECT,
                  MF_BYCOMMAND | (m_bAspectLock ? MF_UNCHECKED : MF_CHECKED));
}

void CMainFrame::OnClose() {
    // The image window saves its placement and is destroyed here, and the
    // caption bar destroyed, once they exist.
    CWinApp* app = AfxGetApp();
    app->WriteProfileString(settings::kLastDirectory.section, settings::kLastDirectory.name,
                            m_strDirectory.c_str());
    app->WriteProfileInt(settings::kAspectLock.section, settings::kAspectLock.name,
                         m_bAspectLock);
    SavePlacement();
    DestroyWindow();
}

// The restored rectangle, not the current one: Esc minimises the window,
// and a minimised rectangle stored here would open a tiny window next time.
void CMainFrame::SavePlacement() {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(m_hWnd, &wp)) return;
    RECT r = wp.rcNormalPosition;
    // rcNormalPosition is in workspace coordinates, which start at the work
    // area's corner; the settings hold screen coordinates.
    RECT work;
    if (!(GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        OffsetRect(&r, work.left, work.top);
    CWinApp* app = AfxGetApp();
    app->WriteProfileInt(settings::kAppTop.section, settings::kAppTop.name, r.top);
    app->WriteProfileInt(settings::kAppLeft.section, settings::kAppLeft.name, r.left);
    app->WriteProfileInt(settings::kAppWidth.section, settings::kAppWidth.name, r.right - r.left);
    app->WriteProfileInt(settings::kAppHeight.section, settings::kAppHeight.name,
                         r.bottom - r.top);
}

void CMainFrame::OnFullScreen() {
    if (!m_bImageShown) return;
    if (m_bFullScreen) {
        OnEscape();
        return;
    }
    // GoFullScreen on the image window, then m_bFullScreen, with the image
    // window; m_bImageShown cannot be set before it exists.
}

// Each of these opens its dialog modally once the dialog exists.
void CMainFrame::OnSlideShowSettings() {}
void CMainFrame::OnEditSlideShow() {}
void CMainFrame::OnHelpfulHints() {}
void CMainFrame::OnAppAbout() {}

// The slide show player.
void CMainFrame::OnStartSlideShow() {}

void CMainFrame::OnUnlockAspectRatio() {
    m_bAspectLock = !m_bAspectLock;
    // SetAspectLock(m_bAspectLock) on the image window, once it exists.
}

void CMainFrame::OnEscape() {
    if (m_bFullScreen) {
        // LeaveFullScreen on the image window, once it exists.
        m_bFullScreen = FALSE;
        SetFocus(m_hWnd);
        return;
    }
    // The image window is hidden here too, once it exists.
    ShowWindow(m_hWnd, SW_MINIMIZE);
}

void CMainFrame::OnShowPickedFile() {
    if (m_bFullScreen) OnEscape();
    m_bShowRunning = FALSE;
    // ShowImageFile(m_strDirectory + m_strFileName) on the image window and
    // showing it behind the main window come with the image window.
    if (m_pFileView) SetFocus(m_pFileView->m_hWnd);
}
