// Windows, an application object and a message-box answerer for the
// framework's tests.
#pragma once

#include <string>
#include <vector>

#include "framework.h"
#include "test_resource.h"

namespace fwtest {

class TestView : public CView {
  public:
    std::vector<WPARAM> keys;  // WM_KEYDOWN that reached the view
    int initialUpdates = 0;

    void OnInitialUpdate() override { ++initialUpdates; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class TestFrame : public CFrameWnd {
  public:
    CStatusBar m_wndStatusBar;
    std::vector<UINT> commands;  // commands that reached the table
    int initMenuPopups = 0;
    HMENU lastPopup = nullptr;
    bool postCommandAtCreate = false;

    static int s_commandsSeen;  // survives the frame, which deletes itself

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs);
    bool OnCommand(UINT id);
};

// A frame of IDR_TEST with a TestView and a status bar, not shown.
TestFrame* CreateTestFrame(CDocument* doc = nullptr);

// Dispatches what is queued now through the application's loop.
void PumpPending(CWinApp& app);

// While it lives, every message box or dialog (class "#32770") that opens on
// this thread is recorded and answered with `answer`.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(int answer);
    ~DialogAnswerer();

    struct Seen {
        std::string caption;
        std::string text;  // the message box's text (static control 0xFFFF)
    };
    std::vector<Seen> seen;

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR m_timer;
    int m_answer;
};

// HKCU\Software\<company> is removed at both ends of a test.
void DeleteCompanyKey(const char* company);

}  // namespace fwtest
