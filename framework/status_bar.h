// CStatusBar: the common control "msctls_statusbar32" at the bottom of a
// frame, with panes given by id; the first pane doubles as the frame's
// message line.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "afx_ids.h"
#include "wnd.h"

class CStatusBar : public CWnd {
  public:
    // Child, visible, at the bottom edge with a border line at its top.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CCS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id, in order; each starts with the text of the string
    // with its id (empty when there is none).
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    // style: SBPS_STRETCH gives the pane the room the others leave; width
    // in pixels for the others.
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    BOOL SetPaneText(int nIndex, const char* text);
    std::string GetPaneText(int nIndex) const;
    int GetCount() const { return static_cast<int>(m_panes.size()); }

  private:
    struct Pane {
        UINT id;
        UINT style;
        int width;
    };
    void UpdateParts();

    std::vector<Pane> m_panes;
};
