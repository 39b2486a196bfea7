#include "frame_wnd.h"

#include <string>

#include "document.h"
#include "status_bar.h"
#include "view.h"
#include "win_app.h"

namespace {

std::string LoadStringText(UINT id) {
    char buffer[512];
    int n = LoadStringA(AfxGetInstanceHandle(), id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// The prompt of a command is the text of the string with its id, up to a
// "\n"; the system menu's commands use the framework's strings.
UINT PromptStringId(UINT id, UINT flags) {
    if (flags & (MF_POPUP | MF_SEPARATOR)) return 0;
    if (flags & MF_SYSMENU) return AFX_IDS_SCFIRST + ((id & 0x0FF0) >> 4);
    return id;
}

}  // namespace

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext) {
    HINSTANCE instance = AfxGetInstanceHandle();
    m_nIDResource = nIDResource;
    std::string title = LoadStringText(nIDResource);
    m_strTitle = title.substr(0, title.find('\n'));
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(nIDResource));
    m_hAccelTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(nIDResource));
    m_pCreateContext = pContext;
    BOOL created = CreateEx(0, nullptr, m_strTitle.c_str(), dwDefaultStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            pParentWnd ? pParentWnd->m_hWnd : nullptr, menu);
    m_pCreateContext = nullptr;
    if (!created) {
        if (menu && !IsMenu(menu)) menu = nullptr;  // destroyed with a window
        if (menu) DestroyMenu(menu);
        return FALSE;
    }
    m_bAutoDelete = true;
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (cs.lpszClass) return TRUE;
    // One class per icon: the frame's icon is its class's.
    std::string name = "Fw:Frame" + std::to_string(m_nIDResource);
    HINSTANCE instance = AfxGetInstanceHandle();
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(m_nIDResource));
    HICON smallIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(m_nIDResource),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    cs.lpszClass = RegisterWindowClass(name.c_str(), CS_DBLCLKS, icon, smallIcon,
                                       LoadCursor(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    return m_hAccelTable && TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc) {
    CView* view = dynamic_cast<CView*>(
        FromHandlePermanent(GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)));
    if (view) {
        SetActiveView(view);
        view->OnInitialUpdate();
    }
    std::string title = m_strTitle;
    if ((GetWindowLongA(m_hWnd, GWL_STYLE) & FWS_ADDTOTITLE) && pDoc)
        title = pDoc->GetTitle() + " - " + m_strTitle;
    SetWindowTextA(m_hWnd, title.c_str());
}

void CFrameWnd::SetMessageText(const char* text) {
    auto* bar = dynamic_cast<CStatusBar*>(
        FromHandlePermanent(GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)));
    if (bar) bar->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT nIDString) {
    std::string text = nIDString ? LoadStringText(nIDString) : std::string();
    SetMessageText(text.substr(0, text.find('\n')).c_str());
}

void CFrameWnd::RecalcLayout() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    HWND bar = GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR);
    if (bar && IsWindowVisible(bar)) {
        // The status bar places itself at the bottom edge on WM_SIZE.
        SendMessageA(bar, WM_SIZE, 0, 0);
        RECT barRect;
        GetWindowRect(bar, &barRect);
        client.bottom -= barRect.bottom - barRect.top;
        if (client.bottom < client.top) client.bottom = client.top;
    }
    HWND view = GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (view)
        MoveWindow(view, client.left, client.top, client.right - client.left,
                   client.bottom - client.top, TRUE);
}

LRESULT CFrameWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETFOCUS:
            OnSetFocus();
            return 0;
        case WM_MENUSELECT:
            OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return 0;
        case WM_EXITMENULOOP:
            SetMessageText(AFX_IDS_IDLEMESSAGE);
            return 0;
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            break;
    }
    return CWnd::HandleMessage(msg, wParam, lParam);
}

int CFrameWnd::OnCreate(CREATESTRUCTA* cs) {
    return OnCreateClient(cs, m_pCreateContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCTA*, CCreateContext* pContext) {
    if (!pContext || !pContext->m_pNewViewClass) return TRUE;  // no view asked for
    CView* view = pContext->m_pNewViewClass();
    if (!view) return FALSE;
    if (!view->Create(this, AFX_IDW_PANE_FIRST, pContext->m_pCurrentDoc)) {
        delete view;
        return FALSE;
    }
    SetActiveView(view);
    return TRUE;
}

void CFrameWnd::OnSize(UINT type, int, int) {
    if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus() {
    if (m_pActiveView && m_pActiveView->m_hWnd) SetFocus(m_pActiveView->m_hWnd);
}

void CFrameWnd::OnMenuSelect(UINT id, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && !menu) {  // the menu closed
        SetMessageText(AFX_IDS_IDLEMESSAGE);
        return;
    }
    SetMessageText(PromptStringId(id, flags));
}

void CFrameWnd::OnNcDestroy() {
    m_pActiveView = nullptr;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
}

void CFrameWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}
