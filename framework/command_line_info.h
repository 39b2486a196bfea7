// CCommandLineInfo: what the program's arguments ask the framework to do.
// Options start with "/" or "-" and are ignored; the first other argument
// names a document to open; without one a new, empty document is made.
#pragma once

#include <windows.h>

#include <string>

class CCommandLineInfo {
  public:
    enum ShellCommand { FileNew, FileOpen };

    virtual ~CCommandLineInfo() = default;
    // One argument: param without its "/" or "-" when bFlag is set.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    ShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
};
