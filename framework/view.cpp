#include "view.h"

#include "frame_wnd.h"

BOOL CView::Create(CFrameWnd* pParent, UINT nID, CDocument* pDocument) {
    m_pDocument = pDocument;
    if (!CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0, 0,
                  pParent->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    m_bAutoDelete = true;
    return TRUE;
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = RegisterWindowClass("Fw:View", CS_DBLCLKS, nullptr, nullptr,
                                           LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

void CView::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}
