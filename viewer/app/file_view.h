// CFileView: the main window's client, the file list. For now a plain child
// window that keeps the directory it is given; the list of the directory's
// image files, sub-directories and drives builds on it.
#pragma once

#include <string>

#include "view.h"

class CFileView : public CView {
  public:
    // The directory to list: lower case with a trailing backslash, or empty
    // for the drive list.
    void SetPath(const char* directory);
    const std::string& GetPath() const { return m_strDirectory; }

  private:
    std::string m_strDirectory;
};
