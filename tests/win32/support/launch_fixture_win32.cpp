#include "support/launch_fixture.h"

#include "support/window_helpers.h"

#include <utility>

namespace launch_fixture {

using test_support::Children;
using test_support::ClassOf;
using test_support::ProcessWindows;
using test_support::Text;
using test_support::VisibleThreadWindow;

namespace {

std::vector<ShownMessage> shownMessages;
UINT_PTR answerTimer = 0;

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = VisibleThreadWindow("#32770")) {
        shownMessages.push_back(AnswerMessageBox(box));
    }
}

} // namespace

ShownMessage AnswerMessageBox(HWND box) {
    ShownMessage shown;
    shown.title = Text(box);
    for (HWND child : Children(box)) {
        if (ClassOf(child) != "Static") {
            continue;
        }
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            // The warning icon is the system's exclamation icon.
            const HICON shownIcon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            shown.warningIcon =
                shownIcon != nullptr &&
                shownIcon == LoadIconA(nullptr, MAKEINTRESOURCEA(32515)); // IDI_EXCLAMATION
        } else if (!Text(child).empty()) {
            shown.text = Text(child);
        }
    }
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Button" && IsWindowVisible(child)) {
            ++buttons;
        }
    }
    shown.onlyOk = buttons == 1 && GetDlgItem(box, IDOK) != nullptr;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return shown;
}

HWND FindMessageBox(DWORD processId) {
    const std::vector<HWND> boxes = ProcessWindows(processId, "#32770", true);
    return boxes.empty() ? nullptr : boxes.front();
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

ClassesRegistration::ClassesRegistration(std::string key) : key_(std::move(key)) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
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

ClassesRegistration::~ClassesRegistration() {
    if (had_) {
        Set(saved_);
    } else {
        Remove();
    }
}

void ClassesRegistration::Set(const std::string& value) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &created, nullptr) == ERROR_SUCCESS) {
        const UniqueRegKey key(created);
        RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
}

void ClassesRegistration::Remove() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_WRITE, &opened) == ERROR_SUCCESS) {
        const UniqueRegKey key(opened);
        RegDeleteValueA(key.get(), "");
    }
}

} // namespace launch_fixture
