// CView: the client window of a frame, tied to the frame's document.
#pragma once

#include "wnd.h"

class CDocument;
class CFrameWnd;

class CView : public CWnd {
  public:
    // A child of the frame with the given id (AFX_IDW_PANE_FIRST for the
    // frame's client), visible, with a border.
    virtual BOOL Create(CFrameWnd* pParent, UINT nID, CDocument* pDocument);
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // After the document was opened or made, before the frame is shown.
    virtual void OnInitialUpdate() {}

    CDocument* GetDocument() const { return m_pDocument; }

  protected:
    void PostNcDestroy() override;  // views delete themselves

    CDocument* m_pDocument = nullptr;  // borrowed; the template owns it

  private:
    bool m_bAutoDelete = false;
};
