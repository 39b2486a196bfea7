// The main frame under Wine: creation from the settings, the status bar,
// the Unlock Aspect Ratio check mark, and what closing saves.
#include <gtest/gtest.h>

#include <string>

#include "command_line_info.h"
#include "doc_template.h"
#include "file_view.h"
#include "main_frame.h"
#include "resource.h"
#include "settings_table.h"
#include "win_app.h"
#include "zoro_doc.h"

namespace {

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, settings::kViewerKey);
        app.SetRegistryKey(settings::kCompany);
        // A palette display would stop the start with its warning.
        Write(settings::kColorWarning, 0);
    }
    void TearDown() override {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        Pump();
        RegDeleteTreeA(HKEY_CURRENT_USER, settings::kViewerKey);
    }

    CMainFrame* Start() {
        app.AddDocTemplate(new CSingleDocTemplate(
            IDR_MAINFRAME, &DynamicCreate<CDocument, CZoroDoc>,
            &DynamicCreate<CFrameWnd, CMainFrame>, &DynamicCreate<CView, CFileView>));
        CCommandLineInfo info;
        app.m_nCmdShow = SW_SHOWNORMAL;
        if (!app.ProcessShellCommand(info)) return nullptr;
        return dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    }
    void Pump() {
        MSG msg;
        for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i)
            if (!app.PumpMessage()) break;
    }
    void Write(const settings::NumberSetting& s, int value) {
        app.WriteProfileInt(s.section, s.name, value);
    }
    int Read(const settings::NumberSetting& s) {
        return app.GetProfileInt(s.section, s.name, -12345);
    }
    std::string Read(const settings::StringSetting& s) {
        return app.GetProfileString(s.section, s.name, "<missing>");
    }
    static RECT WindowRect(HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }
    static bool AspectItemChecked(CMainFrame* frame) {
        HMENU options = GetSubMenu(GetMenu(frame->m_hWnd), 0);
        SendMessageA(frame->m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), 0);
        return GetMenuState(options, ID_VIEW_UNLOCK_ASPECT, MF_BYCOMMAND) & MF_CHECKED;
    }

    CWinApp app{"Lumora"};
};

TEST_F(MainFrameTest, FirstStartIsCentredInTheWindowsDirectory) {
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    RECT r = WindowRect(frame->m_hWnd);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 300);
    EXPECT_EQ(r.left, (1024 - 300) / 2);
    EXPECT_EQ(r.top, (768 - 300) / 2);

    char title[64] = "";
    GetWindowTextA(frame->m_hWnd, title, sizeof title);
    EXPECT_STREQ(title, "Lumora");
    EXPECT_NE(GetClassLongPtrA(frame->m_hWnd, GCLP_HICON), 0);  // icon 100
    EXPECT_NE(GetMenu(frame->m_hWnd), nullptr);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string expected = std::string(windows) + "\\";
    for (char& c : expected) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(frame->m_strDirectory, expected);
    EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), expected);
    ASSERT_NE(frame->m_pFileView, nullptr);
    EXPECT_EQ(frame->m_pFileView->GetPath(), expected);
    EXPECT_EQ(GetWindowLongA(frame->m_pFileView->m_hWnd, GWL_ID), AFX_IDW_PANE_FIRST);

    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string home = Read(settings::kHome);
    EXPECT_EQ(home.size(), strlen(program));
    EXPECT_EQ(lstrcmpiA(home.c_str(), program), 0);
    EXPECT_EQ(home.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
}

TEST_F(MainFrameTest, StoredPlacementIsClampedToTheDesktop) {
    Write(settings::kAppLeft, 900);
    Write(settings::kAppTop, 20);
    Write(settings::kAppWidth, 400);
    Write(settings::kAppHeight, 5000);
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    RECT r = WindowRect(frame->m_hWnd);
    EXPECT_EQ(r.left, 624);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
}

TEST_F(MainFrameTest, StoredDirectoryIsCheckedAgainstTheDrives) {
    // A fresh prefix has drives C: and Z: (the Linux root).
    app.WriteProfileString(settings::kLastDirectory.section, settings::kLastDirectory.name,
                           "Z:\\Tmp");
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->m_strDirectory, "z:\\tmp\\");
    frame->DestroyWindow();

    app.WriteProfileString(settings::kLastDirectory.section, settings::kLastDirectory.name,
                           "q:\\gone");
    frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->m_strDirectory, "C:\\");
    frame->DestroyWindow();

    app.WriteProfileString(settings::kLastDirectory.section, settings::kLastDirectory.name, "");
    frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->m_strDirectory, "");
    EXPECT_EQ(frame->m_pFileView->GetPath(), "");
}

TEST_F(MainFrameTest, CurrentFileGoesToTheStatusBarLowerCased) {
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    frame->SetCurrentFile("Sunset.BMP", "D:\\Photos\\");
    EXPECT_EQ(frame->m_strFileName, "Sunset.BMP");
    EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), "d:\\photos\\");
    char buffer[261];
    EXPECT_EQ(frame->GetDirectoryText(buffer, sizeof buffer), 11);
    EXPECT_STREQ(buffer, "d:\\photos\\");
    char small[4];
    EXPECT_EQ(frame->GetDirectoryText(small, sizeof small), 11);
    EXPECT_STREQ(small, "d:\\");

    // The message line takes the pane while a menu is open.
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_SYSMENU),
                 reinterpret_cast<LPARAM>(GetSystemMenu(frame->m_hWnd, FALSE)));
    EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), "Terminate the application");
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(ID_VIEW_FULLSCREEN, 0),
                 reinterpret_cast<LPARAM>(GetSubMenu(GetMenu(frame->m_hWnd), 0)));
    EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), "");
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), "Ready");
}

TEST_F(MainFrameTest, UnlockAspectRatioIsCheckedWhileTheLockIsOff) {
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(AspectItemChecked(frame));
    // F6 through the loop's accelerators.
    PostMessageA(frame->m_pFileView->m_hWnd, WM_KEYDOWN, VK_F6, 1);
    Pump();
    EXPECT_TRUE(frame->m_bAspectLock);
    EXPECT_FALSE(AspectItemChecked(frame));
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_VIEW_UNLOCK_ASPECT, 0);
    EXPECT_TRUE(AspectItemChecked(frame));
    // No other item is ever checked or greyed.
    HMENU options = GetSubMenu(GetMenu(frame->m_hWnd), 0);
    for (int i = 0; i < GetMenuItemCount(options); ++i) {
        UINT id = GetMenuItemID(options, i);
        if (id == ID_VIEW_UNLOCK_ASPECT) continue;
        EXPECT_EQ(GetMenuState(options, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), 0u) << id;
    }
}

TEST_F(MainFrameTest, StoredAspectLockIsRead) {
    Write(settings::kAspectLock, 1);
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->m_bAspectLock);
    EXPECT_FALSE(AspectItemChecked(frame));
}

TEST_F(MainFrameTest, ClosingSavesStateAndTheRestoredRectangleOfAMinimisedWindow) {
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    MoveWindow(frame->m_hWnd, 100, 120, 400, 300, TRUE);
    frame->SetCurrentFile("", "C:\\Windows\\");
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_VIEW_UNLOCK_ASPECT, 0);
    PostMessageA(frame->m_hWnd, WM_COMMAND, ID_ESCAPE, 0);  // minimises
    Pump();
    EXPECT_TRUE(IsIconic(frame->m_hWnd));

    PostMessageA(frame->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.Run(), 0);  // the main window's end ends the loop
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(Read(settings::kAppLeft), 100);
    EXPECT_EQ(Read(settings::kAppTop), 120);
    EXPECT_EQ(Read(settings::kAppWidth), 400);
    EXPECT_EQ(Read(settings::kAppHeight), 300);
    EXPECT_EQ(Read(settings::kLastDirectory), "c:\\windows\\");
    EXPECT_EQ(Read(settings::kAspectLock), 1);
}

TEST_F(MainFrameTest, DriveListIsSavedAsAnEmptyDirectory) {
    CMainFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    frame->SetCurrentFile("", "");
    SendMessageA(frame->m_hWnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(Read(settings::kLastDirectory), "");
    EXPECT_EQ(Read(settings::kAspectLock), 0);
    EXPECT_EQ(Read(settings::kAppWidth), 300);
}

}  // namespace
