// CMainFrame: the viewer's main window. It restores its placement and the
// last directory, carries the menu, accelerators and command table, shows
// the current directory in its status bar, recognises editor mode, warns
// about palette displays, and saves its state when it closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame_wnd.h"
#include "status_bar.h"

class CFileView;
class CImageWnd;
class CNameBar;

class CMainFrame : public CFrameWnd {
  public:
    CMainFrame() = default;
    ~CMainFrame() override = default;

    // Clears FWS_ADDTOTITLE: the title stays the bare "Lumora".
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // From the file view: the picked file (empty for a listing) and the
    // directory it lies in, which the status bar shows lower-cased.
    void SetCurrentFile(const char* fileName, const char* directory);
    // Copies the current directory with its terminating zero (cut to
    // bufferSize); returns its length plus one.
    int GetDirectoryText(char* buffer, size_t bufferSize) const;

    CStatusBar m_wndStatusBar;
    std::string m_strShowFile;
    std::string m_strFileName;
    std::string m_strDirectory;
    CImageWnd* m_pImageWnd = nullptr;  // owned; arrives with the image window
    CNameBar* m_pNameBar = nullptr;    // owned; arrives with the caption bar
    int32_t m_nDelay = 0;
    BOOL m_bAspectLock = FALSE;
    BOOL m_bFullScreen = FALSE;
    BOOL m_bShowRunning = FALSE;
    BOOL m_bSlideOnScreen = FALSE;
    BOOL m_bImageShown = FALSE;
    BOOL m_bRepeat = FALSE;
    BOOL m_bDisplayName = FALSE;
    BOOL m_bRandomOrder = FALSE;
    BOOL m_bPaused = FALSE;
    BOOL m_bPreviousRequested = FALSE;
    CFileView* m_pFileView = nullptr;  // borrowed: a child window, deleted with it

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCreateClient(CREATESTRUCTA* cs, CCreateContext* pContext) override;
    int OnCreate(CREATESTRUCTA* cs);
    void OnClose();
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
    bool OnCommand(UINT id);  // the command table

    void OnFullScreen();
    void OnSlideShowSettings();
    void OnEditSlideShow();
    void OnHelpfulHints();
    void OnUnlockAspectRatio();
    void OnStartSlideShow();
    void OnAppAbout();
    void OnEscape();
    void OnShowPickedFile();

  private:
    void RestorePlacement();
    void ReadLastDirectory();
    void RunColorWarning();
    void SavePlacement();
};
