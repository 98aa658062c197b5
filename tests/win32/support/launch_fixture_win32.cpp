#include "support/launch_fixture.h"

#include <cstring>

namespace launch_fixture {

namespace {

constexpr const char* kClassesOutlookKey = "Software\\Classes\\outlook\\shell\\open\\command";

std::vector<ShownMessage> shownMessages;
UINT_PTR answerTimer = 0;

std::string Text(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

struct ProcessSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK CollectProcessBox(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<ProcessSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == wanted->processId) {
        return CollectBox(window, reinterpret_cast<LPARAM>(&wanted->found));
    }
    return TRUE;
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), CollectBox, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr) {
        shownMessages.push_back(AnswerMessageBox(box));
    }
}

BOOL CALLBACK NoteChild(HWND child, LPARAM message) {
    auto* shown = reinterpret_cast<ShownMessage*>(message);
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, "Static") == 0) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            // The warning icon is the system's exclamation icon.
            const HICON shownIcon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            shown->warningIcon =
                shownIcon != nullptr &&
                shownIcon == LoadIconA(nullptr, MAKEINTRESOURCEA(32515)); // IDI_EXCLAMATION
        } else if (!Text(child).empty()) {
            shown->text = Text(child);
        }
    }
    return TRUE;
}

} // namespace

ShownMessage AnswerMessageBox(HWND box) {
    ShownMessage shown;
    shown.title = Text(box);
    EnumChildWindows(box, NoteChild, reinterpret_cast<LPARAM>(&shown));
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (std::strcmp(className, "Button") == 0 && IsWindowVisible(child)) {
            ++buttons;
        }
    }
    shown.onlyOk = buttons == 1 && GetDlgItem(box, IDOK) != nullptr;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return shown;
}

HWND FindMessageBox(DWORD processId) {
    ProcessSearch search{processId, nullptr};
    EnumWindows(CollectProcessBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

MessageBoxAnswerer::MessageBoxAnswerer() {
    shownMessages.clear();
    answerTimer = SetTimer(nullptr, 0, 100, AnswerBoxes);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    KillTimer(nullptr, answerTimer);
}

const std::vector<ShownMessage>& MessageBoxAnswerer::Shown() const {
    return shownMessages;
}

OutlookRegistration::OutlookRegistration() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassesOutlookKey, 0, KEY_READ, &opened) ==
        ERROR_SUCCESS) {
        const UniqueRegKey key(opened);
        char value[2048] = {};
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegQueryValueExA(key.get(), "", nullptr, &type, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS) {
            had_ = true;
            saved_ = value;
        }
    }
}

OutlookRegistration::~OutlookRegistration() {
    if (had_) {
        Set(saved_);
    } else {
        Remove();
    }
}

void OutlookRegistration::Set(const std::string& command) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kClassesOutlookKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &created, nullptr) == ERROR_SUCCESS) {
        const UniqueRegKey key(created);
        RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
}

void OutlookRegistration::Remove() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassesOutlookKey, 0, KEY_WRITE, &opened) ==
        ERROR_SUCCESS) {
        const UniqueRegKey key(opened);
        RegDeleteValueA(key.get(), "");
    }
}

} // namespace launch_fixture
