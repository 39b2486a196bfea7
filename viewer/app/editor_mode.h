// Editor mode: the screen saver starts the viewer hidden with the command
// line "<viewer path> /e <slide show path> <delay>" to edit its slide show.
#pragma once

#include <cstdint>
#include <string>

namespace viewer {

constexpr int kMaxPathField = 259;  // the longest text a 260-byte path holds

struct EditorModeParams {
    bool editorMode = false;
    std::string listPath;         // the screen saver's slide show file
    int32_t delay = 5;            // 1 to 999
    std::string editorDirectory;  // listPath up to its last backslash
};

// Reads the whole command line (program path first) as four fields: text,
// text, text, number. A field is a run of non-blank characters in which
// double quotes enclose blanks and are removed, so a quoted program path
// ("c:\program files\...") is one field. Editor mode needs all four, the
// second exactly "/e", text fields of at most kMaxPathField characters, and
// a fourth field that starts, after an optional sign, with a digit (only
// its leading digits count). A delay outside 1 to 999 becomes 5. Without a
// backslash in the list path the editor directory is currentDirectory.
EditorModeParams ParseEditorCommandLine(const char* commandLine,
                                        const std::string& currentDirectory);

// The process-wide parameters, set while the main frame is created and
// read by the slide show editor.
EditorModeParams& EditorMode();

}  // namespace viewer
