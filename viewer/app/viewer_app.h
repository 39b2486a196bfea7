// CViewerApp: the viewer's application object.
#pragma once

#include "win_app.h"

class CViewerApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};
