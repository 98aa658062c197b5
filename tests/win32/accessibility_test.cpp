// The main window and the About box as assistive tools see them through the system's
// accessibility library (oleacc): a text box or list has no caption of its own, so the system
// names it after the label directly before it in the Z-order, with the label's mnemonic as its
// keyboard shortcut; buttons and switches are named by their captions.
//
// Under Wine 8 the library names an edit box after its label as Windows does, but it has no
// special handling for combo boxes: it names the location list after its selected entry, where
// Windows takes the label. For the list, what can be checked here is the rule Windows relies on:
// its label directly precedes it.
#include "resources/resource_ids.h"
#include "support/main_window.h"
#include "support/window_helpers.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using test_support::ClassOf;
using test_support::Text;

std::string Narrow(BSTR text) {
    if (text == nullptr) {
        return "(none)";
    }
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// What an assistive tool reads for a control: its name and keyboard shortcut.
struct Described {
    HRESULT found = E_FAIL;
    std::string name;
    std::string shortcut;
};

Described Describe(HWND control) {
    Described described;
    IAccessible* accessible = nullptr;
    described.found =
        AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&accessible));
    if (FAILED(described.found) || accessible == nullptr) {
        return described;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (SUCCEEDED(accessible->get_accName(self, &name))) {
        described.name = Narrow(name);
    }
    SysFreeString(name);
    BSTR shortcut = nullptr;
    if (SUCCEEDED(accessible->get_accKeyboardShortcut(self, &shortcut))) {
        described.shortcut = Narrow(shortcut);
    }
    SysFreeString(shortcut);
    accessible->Release();
    return described;
}

// Why the system's accessibility library cannot be tested here, or empty when it can: 64-bit
// Wine 8 offers no IAccessible at all, not even for a plain system button (E_NOINTERFACE), so
// nothing of ours can be read through it there.
const std::string& AccessibilityLibraryMissing() {
    static const std::string missing = [] {
        HWND button = CreateWindowExA(0, "BUTTON", "Probe", WS_POPUP, 0, 0, 50, 20, nullptr,
                                      nullptr, nullptr, nullptr);
        IAccessible* accessible = nullptr;
        const HRESULT result =
            CreateStdAccessibleObject(button, static_cast<LONG>(OBJID_CLIENT), IID_IAccessible,
                                      reinterpret_cast<void**>(&accessible));
        if (accessible != nullptr) {
            accessible->Release();
        }
        DestroyWindow(button);
        if (SUCCEEDED(result)) {
            return std::string();
        }
        char why[160];
        std::snprintf(
            why, sizeof why,
            "the accessibility library gives no IAccessible even for a plain system button "
            "(0x%08lX; 64-bit Wine 8 lacks it)",
            static_cast<unsigned long>(result));
        return std::string(why);
    }();
    return missing;
}

struct Labelled {
    int label;
    int control;
    const char* caption;
};

constexpr Labelled kLabelled[] = {{IDC_LBL_ALIAS, IDC_TXT_EMAIL_ALIAS, "&Email Alias:"},
                                  {IDC_LBL_LOCATION, IDC_CBO_MARKET, "&Location:"},
                                  {IDC_LBL_SERVER, IDC_TXT_SERVER, "&Server:"}};

class Accessibility : public test_support::MainWindowTest {
  protected:
    void SetUp() override { OpenMain(); }

    void ExpectEachLabelDirectlyBeforeItsControl(const char* when) {
        for (const Labelled& pair : kLabelled) {
            HWND label = Item(pair.label);
            EXPECT_EQ(GetWindow(Item(pair.control), GW_HWNDPREV), label)
                << "control " << pair.control << ", " << when;
            EXPECT_EQ(ClassOf(label), "Static") << when;
            EXPECT_EQ(Text(label), pair.caption) << when;
            EXPECT_FALSE(GetWindowLongA(label, GWL_STYLE) & WS_TABSTOP) << when;
        }
    }
    HWND about = nullptr;
};

TEST_F(Accessibility, EachTextBoxAndTheListFollowTheirLabelInTheZOrder) {
    ExpectEachLabelDirectlyBeforeItsControl("at load");

    // Nothing that moves or re-lays out controls may change their order.
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    ExpectEachLabelDirectlyBeforeItsControl("after the panel was shown and hidden");
    RECT outer{};
    GetWindowRect(form, &outer);
    SendMessageA(form, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&outer));
    ExpectEachLabelDirectlyBeforeItsControl("after a move to another dpi");
}

TEST_F(Accessibility, TextBoxesAreNamedAfterTheirLabels) {
    if (const std::string& missing = AccessibilityLibraryMissing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    // The server box is named whether it is locked or not.
    const Described alias = Describe(Item(IDC_TXT_EMAIL_ALIAS));
    ASSERT_EQ(alias.found, S_OK);
    EXPECT_EQ(alias.name, "Email Alias:");
    EXPECT_EQ(alias.shortcut, "Alt+E");
    const Described server = Describe(Item(IDC_TXT_SERVER));
    ASSERT_EQ(server.found, S_OK);
    EXPECT_EQ(server.name, "Server:");
    EXPECT_EQ(server.shortcut, "Alt+S");

    // The name is the label's, not the text typed into the box.
    SetWindowTextA(Item(IDC_TXT_EMAIL_ALIAS), "someone");
    EXPECT_EQ(Describe(Item(IDC_TXT_EMAIL_ALIAS)).name, "Email Alias:");
}

TEST_F(Accessibility, ButtonsAndSwitchesAreNamedByTheirCaptions) {
    if (const std::string& missing = AccessibilityLibraryMissing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const struct {
        int id;
        const char* name;
        const char* shortcut;
    } expected[] = {{IDC_CMD_LOGON, "Launch Outlook", "Alt+O"},
                    {IDC_CMD_CANCEL, "Exit", "Alt+X"},
                    {IDC_OPT_ADVANCED_0, "(none)", ""},
                    {IDC_OPT_ADVANCED_0 + 5, "/resetfolders", ""}};
    for (const auto& control : expected) {
        const Described described = Describe(Item(control.id));
        ASSERT_EQ(described.found, S_OK) << control.id;
        EXPECT_EQ(described.name, control.name) << control.id;
        if (*control.shortcut != '\0') {
            // The letter is given as the caption writes it ("E&xit": Alt+x).
            EXPECT_EQ(lstrcmpiA(described.shortcut.c_str(), control.shortcut), 0)
                << control.id << ": " << described.shortcut;
        }
    }
    EXPECT_EQ(Describe(Item(IDC_FRA_PROFILE)).name, "Email Profile Information");
}

TEST_F(Accessibility, TheAboutBoxButtonAndLinksAreNamed) {
    if (const std::string& missing = AccessibilityLibraryMissing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    about = CreateFrmAbout(form);
    ASSERT_NE(about, nullptr);
    const Described ok = Describe(GetDlgItem(about, IDC_CMD_OK));
    ASSERT_EQ(ok.found, S_OK);
    EXPECT_EQ(ok.name, "OK");
    EXPECT_EQ(Describe(GetDlgItem(about, IDC_LBL_CONTACT_EMAIL)).name, "varnel@example.com");
    EXPECT_EQ(Describe(GetDlgItem(about, IDC_LBL_CONTACT_WWW)).name, "www.example.org");
}

} // namespace
