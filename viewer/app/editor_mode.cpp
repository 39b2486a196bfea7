#include "editor_mode.h"

#include <climits>

namespace viewer {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next field at *p; false when only blanks are left.
bool NextField(const char** p, std::string* field) {
    const char* s = *p;
    while (*s && IsBlank(*s)) ++s;
    if (!*s) return false;
    field->clear();
    bool quoted = false;
    for (; *s && (quoted || !IsBlank(*s)); ++s) {
        if (*s == '"')
            quoted = !quoted;
        else
            *field += *s;
    }
    *p = s;
    return true;
}

// Reads a number the way the scan format "%d" does, saturating instead of
// overflowing; false when no digit follows the optional sign.
bool ScanNumber(const std::string& text, int32_t* value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    int64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (n <= INT32_MAX) n = n * 10 + (text[i] - '0');
    if (negative) n = -n;
    *value = static_cast<int32_t>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
    return true;
}

}  // namespace

EditorModeParams ParseEditorCommandLine(const char* commandLine,
                                        const std::string& currentDirectory) {
    EditorModeParams normal;
    if (!commandLine) return normal;
    std::string program, option, list, delayText;
    const char* p = commandLine;
    if (!NextField(&p, &program) || !NextField(&p, &option) || !NextField(&p, &list) ||
        !NextField(&p, &delayText))
        return normal;
    for (const std::string* field : {&program, &option, &list})
        if (field->size() > static_cast<size_t>(kMaxPathField)) return normal;
    int32_t delay = 0;
    if (option != "/e" || !ScanNumber(delayText, &delay)) return normal;

    EditorModeParams editor;
    editor.editorMode = true;
    editor.listPath = list;
    editor.delay = delay < 1 || delay > 999 ? 5 : delay;
    size_t slash = list.rfind('\\');
    editor.editorDirectory = slash == std::string::npos ? currentDirectory
                                                        : list.substr(0, slash + 1);
    return editor;
}

EditorModeParams& EditorMode() {
    static EditorModeParams params;
    return params;
}

}  // namespace viewer
