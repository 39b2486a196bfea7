#include "command_line_info.h"

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL) {
    if (bFlag || m_nShellCommand == FileOpen) return;
    m_nShellCommand = FileOpen;
    m_strFileName = pszParam;
}
