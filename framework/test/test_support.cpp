#include "test_support.h"

namespace fwtest {

int TestFrame::s_commandsSeen = 0;

LRESULT TestView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN) keys.push_back(wParam);
    return CView::HandleMessage(msg, wParam, lParam);
}

LRESULT TestFrame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        case WM_INITMENUPOPUP:
            ++initMenuPopups;
            lastPopup = reinterpret_cast<HMENU>(wParam);
            return 0;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam))) return 0;
            break;
    }
    return CFrameWnd::HandleMessage(msg, wParam, lParam);
}

int TestFrame::OnCreate(CREATESTRUCTA* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    static const UINT indicators[] = {ID_TEST_TWO};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 1)) return -1;
    m_wndStatusBar.SetPaneInfo(0, ID_TEST_TWO, SBPS_STRETCH, 0);
    if (postCommandAtCreate) PostMessageA(m_hWnd, WM_COMMAND, ID_TEST_ONE, 0);
    return 0;
}

bool TestFrame::OnCommand(UINT id) {
    switch (id) {
        case ID_TEST_ONE:
        case ID_TEST_TWO:
        case ID_TEST_PROMPTED:
            commands.push_back(id);
            ++s_commandsSeen;
            return true;
        case ID_TEST_QUIT:
            DestroyWindow();
            return true;
    }
    return false;
}

TestFrame* CreateTestFrame(CDocument* doc) {
    auto* frame = new TestFrame;
    CCreateContext context;
    context.m_pNewViewClass = &DynamicCreate<CView, TestView>;
    context.m_pCurrentDoc = doc;
    if (!frame->LoadFrame(IDR_TEST, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
        delete frame;
        return nullptr;
    }
    return frame;
}

void PumpPending(CWinApp& app) {
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i)
        if (!app.PumpMessage()) break;
}

namespace {
DialogAnswerer* g_answerer = nullptr;

BOOL CALLBACK AnswerWindow(HWND hwnd, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogAnswerer*>(lParam);
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    DialogAnswerer::Seen seen;
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    seen.caption = text;
    text[0] = '\0';
    GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text);
    seen.text = text;
    self->seen.push_back(seen);
    return TRUE;
}
}  // namespace

DialogAnswerer::DialogAnswerer(int answer)
    : m_timer(SetTimer(nullptr, 0, 50, OnTimer)), m_answer(answer) {
    g_answerer = this;
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, m_timer);
    g_answerer = nullptr;
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_answerer) return;
    size_t before = g_answerer->seen.size();
    EnumThreadWindows(GetCurrentThreadId(), AnswerWindow, reinterpret_cast<LPARAM>(g_answerer));
    if (g_answerer->seen.size() == before) return;
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        if (GetWindowThreadProcessId(box, &pid) == GetCurrentThreadId() && IsWindowVisible(box))
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(g_answerer->m_answer), 0);
    }
}

void DeleteCompanyKey(const char* company) {
    std::string path = std::string("Software\\") + company;
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace fwtest
