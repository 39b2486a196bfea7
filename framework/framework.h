// The application framework: a small set of classes over plain Win32 for
// the viewer's single-document program.
#pragma once

#include "afx_ids.h"
#include "command_line_info.h"
#include "dialog.h"
#include "doc_template.h"
#include "document.h"
#include "frame_wnd.h"
#include "handles.h"
#include "message_box.h"
#include "status_bar.h"
#include "view.h"
#include "win_app.h"
#include "wnd.h"
