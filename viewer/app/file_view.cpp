#include "file_view.h"

void CFileView::SetPath(const char* directory) { m_strDirectory = directory ? directory : ""; }
