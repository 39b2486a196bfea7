#include <windows.h>
#include <commctrl.h>

#include "status_bar.h"

#include <algorithm>

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    const char* cls = Superclass(STATUSCLASSNAMEA);
    if (!cls) return FALSE;
    // A resizable frame gets the size grip in the bar's corner.
    if (GetWindowLongA(pParentWnd->m_hWnd, GWL_STYLE) & WS_THICKFRAME) dwStyle |= SBARS_SIZEGRIP;
    return CreateEx(0, cls, "", dwStyle, 0, 0, 0, 0, pParentWnd->m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    m_panes.assign(static_cast<size_t>(nIDCount), Pane{0, 0, 0});
    for (int i = 0; i < nIDCount; ++i) m_panes[i].id = lpIDArray[i];
    UpdateParts();
    for (int i = 0; i < nIDCount; ++i) {
        char text[256] = "";
        LoadStringA(AfxGetInstanceHandle(), lpIDArray[i], text, sizeof text);
        SetPaneText(i, text);
    }
    return TRUE;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    if (nIndex < 0 || nIndex >= GetCount()) return;
    m_panes[nIndex] = Pane{nID, nStyle, cxWidth};
    UpdateParts();
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* text) {
    if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
    return static_cast<BOOL>(
        SendMessageA(m_hWnd, SB_SETTEXTA, static_cast<WPARAM>(nIndex),
                     reinterpret_cast<LPARAM>(text ? text : "")));
}

std::string CStatusBar::GetPaneText(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount()) return {};
    size_t length = LOWORD(SendMessageA(m_hWnd, SB_GETTEXTLENGTHA, nIndex, 0));
    std::string text(length + 1, '\0');
    SendMessageA(m_hWnd, SB_GETTEXTA, nIndex, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(length);
    return text;
}

// The control takes each pane's right edge; -1 is the bar's right end. A
// stretching pane ends where the fixed panes after it begin.
void CStatusBar::UpdateParts() {
    if (m_panes.empty()) return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    std::vector<int> edges(m_panes.size());
    int left = 0;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        int after = 0;
        for (size_t j = i + 1; j < m_panes.size(); ++j) after += m_panes[j].width;
        if (i + 1 == m_panes.size() && (m_panes[i].style & SBPS_STRETCH))
            edges[i] = -1;
        else if (m_panes[i].style & SBPS_STRETCH)
            edges[i] = std::max(left, static_cast<int>(client.right) - after);
        else
            edges[i] = left + m_panes[i].width;
        left = edges[i];
    }
    SendMessageA(m_hWnd, SB_SETPARTS, m_panes.size(), reinterpret_cast<LPARAM>(edges.data()));
}
