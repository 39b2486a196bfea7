// Frames: command routing, accelerators, WM_INITMENUPOPUP, the status bar
// and its message line, layout and title.
#include <gtest/gtest.h>

#include "test_support.h"

namespace fwtest {
namespace {

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = CreateTestFrame();
        ASSERT_NE(frame, nullptr);
        app.m_pMainWnd = frame;
        ShowWindow(frame->m_hWnd, SW_SHOW);
        view = dynamic_cast<TestView*>(frame->GetActiveView());
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        PumpPending(app);
    }
    void PressKey(WPARAM key, bool control = false) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageA(view->m_hWnd, WM_KEYDOWN, key, 1);
        PumpPending(app);
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }

    CWinApp app{"FrameApp"};
    TestFrame* frame = nullptr;
    TestView* view = nullptr;
};

TEST_F(FrameTest, CommandsReachTheFramesTable) {
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_TEST_TWO, 0);
    PostMessageA(frame->m_hWnd, WM_COMMAND, ID_TEST_ONE, 0);
    PostMessageA(frame->m_hWnd, WM_COMMAND, ID_TEST_UNMAPPED, 0);
    PumpPending(app);
    EXPECT_EQ(frame->commands, (std::vector<UINT>{ID_TEST_TWO, ID_TEST_ONE}));
}

TEST_F(FrameTest, AcceleratorsBecomeCommandsInTheLoop) {
    PressKey(VK_F2);
    PressKey('F', true);
    PressKey(VK_F3);
    PressKey('F');     // without Ctrl: an ordinary key
    PressKey(VK_F9);   // not in the table
    EXPECT_EQ(frame->commands, (std::vector<UINT>{ID_TEST_ONE, ID_TEST_ONE, ID_TEST_TWO}));
    EXPECT_EQ(view->keys, (std::vector<WPARAM>{'F', VK_F9}));
}

TEST_F(FrameTest, MenuCommandKeysOpenThePopupForTheFramesHandler) {
    // A key of a menu command has the menu initialised as if it were opened.
    PressKey(VK_F2);
    HMENU popup = GetSubMenu(GetMenu(frame->m_hWnd), 0);
    EXPECT_GE(frame->initMenuPopups, 1);
    EXPECT_EQ(frame->lastPopup, popup);
    int before = frame->initMenuPopups;
    SendMessageA(frame->m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(frame->initMenuPopups, before + 1);
}

TEST_F(FrameTest, MessageLineShowsPromptsAndReady) {
    CStatusBar& bar = frame->m_wndStatusBar;
    ASSERT_EQ(GetDlgItem(frame->m_hWnd, AFX_IDW_STATUS_BAR), bar.m_hWnd);
    bar.SetPaneText(0, "c:\\photos\\");
    EXPECT_EQ(bar.GetPaneText(0), "c:\\photos\\");

    HMENU sysMenu = GetSystemMenu(frame->m_hWnd, FALSE);
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_SYSMENU),
                 reinterpret_cast<LPARAM>(sysMenu));
    EXPECT_EQ(bar.GetPaneText(0), "Terminate the application");

    HMENU popup = GetSubMenu(GetMenu(frame->m_hWnd), 0);
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(ID_TEST_PROMPTED, 0),
                 reinterpret_cast<LPARAM>(popup));
    EXPECT_EQ(bar.GetPaneText(0), "Does the prompted thing");
    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(ID_TEST_ONE, 0),
                 reinterpret_cast<LPARAM>(popup));
    EXPECT_EQ(bar.GetPaneText(0), "");

    SendMessageA(frame->m_hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(bar.GetPaneText(0), "Ready");
    bar.SetPaneText(0, "x");
    SendMessageA(frame->m_hWnd, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(bar.GetPaneText(0), "Ready");
}

TEST_F(FrameTest, StatusBarIsOneStretchedPaneBelowTheView) {
    HWND bar = frame->m_wndStatusBar.m_hWnd;
    EXPECT_EQ(frame->m_wndStatusBar.GetCount(), 1);
    EXPECT_EQ(GetWindowLongA(bar, GWL_STYLE) & (WS_CHILD | WS_VISIBLE),
              static_cast<LONG>(WS_CHILD | WS_VISIBLE));
    MoveWindow(frame->m_hWnd, 10, 10, 400, 300, TRUE);
    RECT client, viewRect, barRect;
    GetClientRect(frame->m_hWnd, &client);
    GetWindowRect(view->m_hWnd, &viewRect);
    GetWindowRect(bar, &barRect);
    MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&viewRect), 2);
    MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&barRect), 2);
    EXPECT_EQ(viewRect.top, 0);
    EXPECT_EQ(viewRect.right - viewRect.left, client.right);
    EXPECT_EQ(viewRect.bottom, barRect.top);
    EXPECT_EQ(barRect.bottom, client.bottom);
    int edge = 0;
    EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 1, reinterpret_cast<LPARAM>(&edge)), 1);
    EXPECT_EQ(edge, -1);
}

TEST_F(FrameTest, FrameCarriesIconMenuAndBareTitle) {
    char title[64] = "";
    GetWindowTextA(frame->m_hWnd, title, sizeof title);
    EXPECT_STREQ(title, "Tester");
    EXPECT_NE(GetMenu(frame->m_hWnd), nullptr);
    EXPECT_EQ(GetWindowLongA(view->m_hWnd, GWL_ID), AFX_IDW_PANE_FIRST);
}

TEST_F(FrameTest, DestroyingTheMainWindowEndsTheLoop) {
    PostMessageA(frame->m_hWnd, WM_COMMAND, ID_TEST_QUIT, 0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
}  // namespace fwtest
