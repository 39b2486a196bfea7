// CFrameWnd: a top-level window with the menu, accelerator table, icon and
// title of one resource id, a client view (AFX_IDW_PANE_FIRST) laid out above
// an optional status bar (AFX_IDW_STATUS_BAR), and the message line: the
// status bar's first pane shows the prompt of the highlighted menu command
// and "Ready" when the menu closes.
#pragma once

#include <string>

#include "afx_ids.h"
#include "wnd.h"

class CDocument;
class CView;

// What a frame needs to make its client view.
struct CCreateContext {
    CView* (*m_pNewViewClass)() = nullptr;
    CDocument* m_pCurrentDoc = nullptr;  // borrowed
};

class CFrameWnd : public CWnd {
  public:
    // Loads menu, accelerators and title (the string's text up to its first
    // "\n") of nIDResource and creates the window; its class carries icon
    // nIDResource. The client view is made at WM_CREATE from pContext.
    BOOL LoadFrame(UINT nIDResource,
                   DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;  // the accelerators

    // Makes the view the active one, gives it its initial update and sets
    // the title (with the document's title when FWS_ADDTOTITLE is set).
    void InitialUpdateFrame(CDocument* pDoc);

    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* pView) { m_pActiveView = pView; }

    // The message line: the status bar's first pane, when there is one.
    void SetMessageText(const char* text);
    void SetMessageText(UINT nIDString);
    // Places the view above the status bar in the client area.
    void RecalcLayout();

    HACCEL m_hAccelTable = nullptr;  // from the resource; the system frees it
    std::string m_strTitle;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The framework's frame creation: the client view. -1 fails creation.
    int OnCreate(CREATESTRUCTA* cs);
    // Creates the view of the creation context; false fails creation.
    virtual BOOL OnCreateClient(CREATESTRUCTA* cs, CCreateContext* pContext);
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus();
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    void OnNcDestroy();
    void PostNcDestroy() override;  // frames delete themselves

    UINT m_nIDResource = 0;
    // Set once the window exists (LoadFrame does it; a frame made with
    // CreateEx sets it itself): from then on the frame deletes itself when
    // its window goes, and whoever made it no longer may.
    bool m_bAutoDelete = false;

  private:
    CView* m_pActiveView = nullptr;  // borrowed; the view is a child window
    CCreateContext* m_pCreateContext = nullptr;  // only during LoadFrame
};
