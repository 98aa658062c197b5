#include "ui/frm_varnel.h"

#include "launcher/bas_varnel.h"
#include "platform/dpi.h"
#include "platform/system_text.h"
#include "platform/win32_raii.h"
#include "resources/resource_ids.h"
#include "ui/advanced_options_layout.h"
#include "ui/design_font.h"
#include "ui/frm_varnel_design.h"
#include "ui/frm_varnel_events.h"
#include "ui/window_state.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

namespace design = frm_varnel_design;

namespace {

// A control of the window, with the rectangle it has now (in twips) and the visible and
// enabled states it has of its own; a control in a frame shows only while its frame does.
struct Control {
    HWND hwnd = nullptr;
    TwipsRect rect{};
    bool visible = true;
    bool enabled = true;
};

struct FrmVarnel {
    HWND hwnd = nullptr;
    UINT dpi = 96;
    UniqueFont font;
    HWND toolTip = nullptr;
    Control fraProfile, lblAlias, txtEmailAlias, lblLocation, cboMarket, lblServer, txtServer;
    Control fraAdvOptions, cmdLogon, cmdCancel;
    std::array<Control, design::kOptionCount> OptAdvanced;
    bool hourglass = false;
    HWND focus = nullptr; // the control that had the focus when the window was last active
};

// Posted to the window when it is created; handled once the program's message loop runs.
constexpr UINT kCreateToolTips = WM_APP + 1;

FrmVarnel* StateOf(HWND window) {
    return WindowState<FrmVarnel>(window);
}

// ---- controls -------------------------------------------------------------------------------

void Place(const FrmVarnel& form, const Control& control) {
    SetWindowPos(control.hwnd, nullptr, TwipsToPixels(control.rect.left, form.dpi),
                 TwipsToPixels(control.rect.top, form.dpi),
                 TwipsToPixels(control.rect.width, form.dpi),
                 TwipsToPixels(control.rect.height, form.dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Created where the design puts it, rather than placed afterwards: one move less per control.
void Create(FrmVarnel& form, Control& control, const char* className, const char* text, DWORD style,
            int id, const TwipsRect& rect, DWORD exStyle = 0) {
    control.rect = rect;
    control.hwnd = CreateWindowExA(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
        TwipsToPixels(rect.left, form.dpi), TwipsToPixels(rect.top, form.dpi),
        TwipsToPixels(rect.width, form.dpi), TwipsToPixels(rect.height, form.dpi), form.hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(form.font.get()), FALSE);
}

void AddToolTip(FrmVarnel& form, const Control& control, const char* text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(form.toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// A label that reaches into the control it names is clipped there, so it never covers the
// control's edge; its rectangle stays as designed.
void KeepLabelOffItsControl(const Control& label, const Control& control) {
    RECT labelRect{};
    RECT controlRect{};
    RECT overlap{};
    GetWindowRect(label.hwnd, &labelRect);
    GetWindowRect(control.hwnd, &controlRect);
    if (!IntersectRect(&overlap, &labelRect, &controlRect)) {
        return;
    }
    OffsetRect(&overlap, -labelRect.left, -labelRect.top);
    HRGN visible =
        CreateRectRgn(0, 0, labelRect.right - labelRect.left, labelRect.bottom - labelRect.top);
    HRGN covered = CreateRectRgn(overlap.left, overlap.top, overlap.right, overlap.bottom);
    CombineRgn(visible, visible, covered, RGN_DIFF);
    DeleteObject(covered);
    if (!SetWindowRgn(label.hwnd, visible, FALSE)) {
        DeleteObject(visible); // the window took no ownership
    }
}

bool InFrame(const FrmVarnel& form, const Control& control) {
    for (const Control& option : form.OptAdvanced) {
        if (&option == &control) {
            return true;
        }
    }
    return false;
}

// Applies the control's own states together with those of its frame.
void Refresh(const FrmVarnel& form, const Control& control) {
    bool visible = control.visible;
    bool enabled = control.enabled;
    if (InFrame(form, control)) {
        visible = visible && form.fraAdvOptions.visible;
        enabled = enabled && form.fraAdvOptions.enabled;
    }
    EnableWindow(control.hwnd, enabled);
    ShowWindow(control.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void SetEnabled(FrmVarnel& form, Control& control, bool enabled) {
    control.enabled = enabled;
    Refresh(form, control);
    if (&control == &form.fraAdvOptions) {
        for (const Control& option : form.OptAdvanced) {
            Refresh(form, option);
        }
    }
}

void SetVisible(FrmVarnel& form, Control& control, bool visible) {
    control.visible = visible;
    Refresh(form, control);
    if (&control == &form.fraAdvOptions) {
        for (const Control& option : form.OptAdvanced) {
            Refresh(form, option);
        }
    }
}

// The text the location list shows: that of its selected entry.
std::string cboMarketText(const FrmVarnel& form) {
    const LRESULT selected = SendMessageA(form.cboMarket.hwnd, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return {};
    }
    const LRESULT length = SendMessageA(form.cboMarket.hwnd, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(form.cboMarket.hwnd, CB_GETLBTEXT, selected,
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Outer height of the window in twips, as ShowAdvancedOptions measures it.
double OuterHeightTwips(const FrmVarnel& form) {
    RECT outer{};
    GetWindowRect(form.hwnd, &outer);
    return PixelsToTwips(outer.bottom - outer.top, form.dpi);
}

// ---- layout ---------------------------------------------------------------------------------

// A window that has grown past the bottom of its screen's work area moves up (no higher than
// the work area's top), so that its buttons stay within reach.
void KeepOnWorkArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    RECT outer{};
    GetWindowRect(window, &outer);
    const LONG overflow = outer.bottom - monitor.rcWork.bottom;
    const LONG top = std::max(monitor.rcWork.top, outer.top - overflow);
    if (overflow > 0 && top != outer.top) {
        SetWindowPos(window, nullptr, outer.left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void ShowAdvancedOptions(FrmVarnel& form, bool show) {
    const AdvancedOptionsGeometry now{OuterHeightTwips(form),         form.fraProfile.rect.top,
                                      form.fraProfile.rect.height,    form.fraAdvOptions.rect.top,
                                      form.fraAdvOptions.rect.height, form.cmdLogon.rect.top,
                                      form.cmdLogon.rect.height};
    const AdvancedOptionsPlacement placed = PlaceAdvancedOptions(now, show);
    if (show) {
        SetEnabled(form, form.fraAdvOptions, true);
        SetVisible(form, form.fraAdvOptions, true);
    } else {
        SetVisible(form, form.fraAdvOptions, false);
        SetEnabled(form, form.fraAdvOptions, false);
    }
    form.cmdLogon.rect.top = placed.buttonTop;
    Place(form, form.cmdLogon);
    form.cmdCancel.rect.top = form.cmdLogon.rect.top;
    Place(form, form.cmdCancel);

    RECT outer{};
    GetWindowRect(form.hwnd, &outer);
    SetWindowPos(form.hwnd, nullptr, 0, 0, outer.right - outer.left,
                 TwipsToPixels(placed.windowOuterHeight, form.dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (show) {
        KeepOnWorkArea(form.hwnd);
    }
}

// ---- handlers -------------------------------------------------------------------------------

void cboMarket_Click(FrmVarnel& form) {
    if (cboMarketText(form) == design::kOtherLocation) {
        SetEnabled(form, form.txtServer, true);
        SetEnabled(form, form.lblServer, true);
        SetWindowTextA(form.txtServer.hwnd, ServerForLocation(-1).c_str());
    } else {
        SetEnabled(form, form.txtServer, false);
        SetEnabled(form, form.lblServer, false);
        const auto position =
            static_cast<std::int16_t>(SendMessageA(form.cboMarket.hwnd, CB_GETCURSEL, 0, 0));
        SetWindowTextA(form.txtServer.hwnd, ServerForLocation(position).c_str());
    }
    // Setting the text sends EN_CHANGE, which runs txtServer_Change.
}

void txtServer_Change(FrmVarnel& form) {
    if (cboMarketText(form) == design::kOtherLocation) {
        SetOtherServer(WindowText(form.txtServer.hwnd));
    }
}

void txtEmailAlias_Change(FrmVarnel& form) {
    SetEmailAlias(WindowText(form.txtEmailAlias.hwnd));
}

void mnuVAdvOptions_Click(FrmVarnel& form) {
    HMENU menu = GetMenu(form.hwnd);
    const bool checked =
        (GetMenuState(menu, IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    CheckMenuItem(menu, IDM_VIEW_ADVANCED_OPTIONS,
                  MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
    const bool show =
        (GetMenuState(menu, IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    ShowAdvancedOptions(form, show);
}

void Form_Load(FrmVarnel& form) {
    SetEnabled(form, form.txtServer, false);
    SetEnabled(form, form.lblServer, false);

    const std::int16_t upper = LocationCount();
    for (std::int16_t row = 1; row <= upper; ++row) {
        SendMessageA(
            form.cboMarket.hwnd, CB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(Locations[static_cast<std::size_t>(row)].Location.c_str()));
    }
    SendMessageA(form.cboMarket.hwnd, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(design::kOtherLocation));
    // Selecting from code sends no CBN_SELCHANGE, so the selection handling runs here, once.
    SendMessageA(form.cboMarket.hwnd, CB_SETCURSEL, 0, 0);
    cboMarket_Click(form);

    // Setting the text sends EN_CHANGE, which runs txtEmailAlias_Change.
    SetWindowTextA(form.txtEmailAlias.hwnd, EnvironmentVariable("USERNAME").c_str());

    for (int index = 0; index < design::kOptionCount; ++index) {
        SetWindowTextA(form.OptAdvanced[index].hwnd, design::kOptionCaptions[index]);
    }
    CheckRadioButton(form.hwnd, IDC_OPT_ADVANCED_0, IDC_OPT_ADVANCED_0 + design::kOptionCount - 1,
                     IDC_OPT_ADVANCED_0);
    for (int index = 0; index < design::kOptionCount; ++index) {
        Control& option = form.OptAdvanced[index];
        if (WindowText(option.hwnd).empty()) {
            SetVisible(form, option, false);
        }
        if (WindowText(option.hwnd).empty()) {
            SetEnabled(form, option, false);
        }
    }

    CheckMenuItem(GetMenu(form.hwnd), IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND | MF_UNCHECKED);
    ShowAdvancedOptions(form, false);
}

void Form_QueryUnload(FrmVarnel& form) {
    DestroyWindow(form.hwnd);
}

void mnuFexit_Click(FrmVarnel& form) {
    Form_QueryUnload(form);
}

void cmdCancel_Click(FrmVarnel&) {
    // Ends the program at once, without the window's close handling.
    PostQuitMessage(0);
}

// ---- creation -------------------------------------------------------------------------------

UniqueFont MakeFont(UINT dpi) {
    return CreateDesignFont(design::kFontFace, design::kFontSize, dpi, FW_NORMAL, false);
}

// Clips each label where it reaches into the control it names, afresh for the current sizes.
void ClipLabels(const FrmVarnel& form) {
    for (auto [label, control] : {std::pair{&form.lblAlias, &form.txtEmailAlias},
                                  std::pair{&form.lblLocation, &form.cboMarket},
                                  std::pair{&form.lblServer, &form.txtServer}}) {
        SetWindowRgn(label->hwnd, nullptr, FALSE);
        KeepLabelOffItsControl(*label, *control);
    }
}

// The closed list's height follows its font; make it the height of the design. The drop-down
// part gets room for eight entries below it.
void FitListHeight(const FrmVarnel& form) {
    const int wanted = TwipsToPixels(form.cboMarket.rect.height, form.dpi);
    SetWindowPos(form.cboMarket.hwnd, nullptr, 0, 0,
                 TwipsToPixels(form.cboMarket.rect.width, form.dpi), wanted * 8,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Each step corrects the height last asked for by what is still missing; the height read
    // back is only the starting point, since some systems report it with the border added.
    LRESULT item = SendMessageA(form.cboMarket.hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 4 && item != CB_ERR; ++attempt) {
        RECT closed{};
        GetWindowRect(form.cboMarket.hwnd, &closed);
        const int difference = wanted - (closed.bottom - closed.top);
        if (difference == 0) {
            break;
        }
        item += difference;
        SendMessageA(form.cboMarket.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
    }
}

void CreateControls(FrmVarnel& form) {
    form.font = MakeFont(form.dpi);

    // Creation order is the tab order: each label directly before its control, so that its
    // mnemonic moves the focus to that control. The frames go to the bottom afterwards.
    const DWORD label = SS_LEFT | SS_NOTIFY | WS_GROUP;
    const DWORD edit = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
    Create(form, form.lblAlias, WC_STATICA, "&Email Alias:", label, IDC_LBL_ALIAS,
           design::lblAlias);
    Create(form, form.txtEmailAlias, WC_EDITA, "", edit, IDC_TXT_EMAIL_ALIAS, design::txtEmailAlias,
           WS_EX_CLIENTEDGE);
    Create(form, form.lblLocation, WC_STATICA, "&Location:", label, IDC_LBL_LOCATION,
           design::lblLocation);
    Create(form, form.cboMarket, WC_COMBOBOXA, "",
           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, IDC_CBO_MARKET,
           design::cboMarket);
    Create(form, form.lblServer, WC_STATICA, "&Server:", label, IDC_LBL_SERVER, design::lblServer);
    Create(form, form.txtServer, WC_EDITA, "", edit, IDC_TXT_SERVER, design::txtServer,
           WS_EX_CLIENTEDGE);
    for (int index = 0; index < design::kOptionCount; ++index) {
        const DWORD style = BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP | WS_TABSTOP : 0);
        Create(form, form.OptAdvanced[index], WC_BUTTONA, design::kOptionDesignCaption, style,
               IDC_OPT_ADVANCED_0 + index, design::OptAdvanced(index));
    }
    Create(form, form.cmdLogon, WC_BUTTONA, "Launch &Outlook",
           BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDC_CMD_LOGON, design::cmdLogon);
    Create(form, form.cmdCancel, WC_BUTTONA, "E&xit", BS_PUSHBUTTON | WS_TABSTOP, IDC_CMD_CANCEL,
           design::cmdCancel);
    Create(form, form.fraProfile, WC_BUTTONA, "Email Profile Information", BS_GROUPBOX,
           IDC_FRA_PROFILE, design::fraProfile);
    Create(form, form.fraAdvOptions, WC_BUTTONA, "Advanced Outlook Startup Options", BS_GROUPBOX,
           IDC_FRA_ADV_OPTIONS, design::fraAdvOptions);
    for (const Control* frame : {&form.fraProfile, &form.fraAdvOptions}) {
        SetWindowPos(frame->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    FitListHeight(form);
    ClipLabels(form);
}

// The tool tips show only once the pointer has rested on a control, so they are made after the
// window's first paint (kCreateToolTips), not before it.
void CreateToolTips(FrmVarnel& form) {
    if (form.toolTip != nullptr) {
        return;
    }
    form.toolTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form.hwnd,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    AddToolTip(form, form.txtEmailAlias, "Enter your Email Alias");
    AddToolTip(form, form.cboMarket, "Select your Location");
    AddToolTip(form, form.txtServer, "Enter Server Name");
}

// Sizes the window for the design client area at its dpi, centred on the screen's work area.
void SizeAndCentre(const FrmVarnel& form, int clientHeightTwips) {
    RECT frame{0, 0, TwipsToPixels(design::kClientWidth, form.dpi),
               TwipsToPixels(clientHeightTwips, form.dpi)};
    AdjustWindowRectForDpi(&frame, static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_STYLE)), TRUE,
                           static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_EXSTYLE)), form.dpi);
    SetWindowPos(form.hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Centre(HWND window) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window has moved to a screen of another dpi: everything is laid out again from the
// design's twips at that dpi, with the buttons where the advanced panel has them now, in a
// font made for it, and the window takes the rectangle the system suggests.
void ApplyDpi(FrmVarnel& form, UINT dpi, const RECT& suggested) {
    form.dpi = dpi;
    UniqueFont font = MakeFont(dpi);
    Control* controls[] = {
        &form.fraProfile, &form.lblAlias,  &form.txtEmailAlias, &form.lblLocation, &form.cboMarket,
        &form.lblServer,  &form.txtServer, &form.fraAdvOptions, &form.cmdLogon,    &form.cmdCancel};
    auto relayout = [&](Control& control) {
        SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        Place(form, control);
    };
    for (Control* control : controls) {
        relayout(*control);
    }
    for (Control& option : form.OptAdvanced) {
        relayout(option);
    }
    // The controls no longer use the old font, so it can go.
    form.font = std::move(font);
    FitListHeight(form);
    ClipLabels(form);
    SetWindowPos(form.hwnd, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(form.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// As a dialog does: the focus moves to a given control, or to the next or previous tab stop.
// Label mnemonics arrive this way, first naming the label, then asking for the next control.
void MoveFocus(HWND window, WPARAM target, LPARAM byHandle) {
    HWND next = LOWORD(byHandle) != 0
                    ? reinterpret_cast<HWND>(target)
                    : GetNextDlgTabItem(window, GetFocus(), target != 0 ? TRUE : FALSE);
    if (next == nullptr) {
        return;
    }
    if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageA(next, EM_SETSEL, 0, -1);
    }
    SetFocus(next);
}

bool IsEnabledControl(HWND control) {
    return control != nullptr && IsWindowEnabled(control);
}

void OnCommand(FrmVarnel& form, int id, int code) {
    switch (id) {
    case IDC_CBO_MARKET:
        if (code == CBN_SELCHANGE) {
            cboMarket_Click(form);
        }
        break;
    case IDC_TXT_SERVER:
        if (code == EN_CHANGE) {
            txtServer_Change(form);
        }
        break;
    case IDC_TXT_EMAIL_ALIAS:
        if (code == EN_CHANGE) {
            txtEmailAlias_Change(form);
        }
        break;
    case IDC_CMD_LOGON:
        // Enter sends IDOK even while the button is disabled during a launch.
        if (IsEnabledControl(form.cmdLogon.hwnd)) {
            cmdLogon_Click(form.hwnd);
        }
        break;
    case IDC_CMD_CANCEL:
        if (IsEnabledControl(form.cmdCancel.hwnd)) {
            cmdCancel_Click(form);
        }
        break;
    case IDM_FILE_EXIT:
        mnuFexit_Click(form);
        break;
    case IDM_VIEW_ADVANCED_OPTIONS:
        mnuVAdvOptions_Click(form);
        break;
    case IDM_HELP_ABOUT:
        mnuHAbout_Click(form.hwnd);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK FrmVarnelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FrmVarnel* form = StateOf(window);
    switch (message) {
    case WM_NCCREATE:
        AttachWindowState<FrmVarnel>(window, lParam);
        break;
    case WM_COMMAND:
        if (form != nullptr) {
            OnCommand(*form, LOWORD(wParam), HIWORD(wParam));
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // As in a dialog: the focus leaves with the window and comes back to the same control,
        // the alias box the first time.
        if (form != nullptr) {
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focused = GetFocus();
                if (focused != nullptr && IsChild(window, focused)) {
                    form->focus = focused;
                }
            } else {
                SetFocus(form->focus != nullptr ? form->focus : form->txtEmailAlias.hwnd);
            }
            return 0;
        }
        break;
    case WM_NEXTDLGCTL:
        MoveFocus(window, wParam, lParam);
        return 0;
    case kCreateToolTips:
        if (form != nullptr) {
            CreateToolTips(*form);
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDC_CMD_LOGON, DC_HASDEFID);
    case WM_DPICHANGED:
        if (form != nullptr && HIWORD(wParam) != 0 && lParam != 0) {
            ApplyDpi(*form, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (form != nullptr && form->hourglass) {
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))); // IDC_WAIT
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (form != nullptr) {
            Form_QueryUnload(*form);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        ReleaseWindowState<FrmVarnel>(window);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterFrmVarnelClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = FrmVarnelProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VARNEL));
        windowClass.hIconSm = static_cast<HICON>(LoadImageA(
            instance, MAKEINTRESOURCEA(IDI_VARNEL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
            GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kFrmVarnelClassName;
        return RegisterClassExA(&windowClass) != 0;
    }();
    return registered;
}

} // namespace

HWND CreateFrmVarnel() {
    if (!RegisterFrmVarnelClass()) {
        return nullptr;
    }
    auto* form = new FrmVarnel;
    // No WS_CLIPCHILDREN: the frames are drawn over the window's own background.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kFrmVarnelClassName, VARNEL_TITLE, style,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, menu,
                                  GetModuleHandleA(nullptr), form);
    if (window == nullptr) {
        if (menu != nullptr) {
            DestroyMenu(menu);
        }
        delete form; // WM_NCCREATE never ran, so the window does not own it
        return nullptr;
    }
    form->dpi = DpiForWindow(window);
    SizeAndCentre(*form, design::kClientHeight);
    CreateControls(*form);
    Form_Load(*form);
    Centre(window);
    PostMessageA(window, kCreateToolTips, 0, 0);
    return window;
}

std::string FrmVarnel_ServerText(HWND window) {
    return WindowText(GetDlgItem(window, IDC_TXT_SERVER));
}

std::string FrmVarnel_OptionCaption(HWND window, int index) {
    return WindowText(GetDlgItem(window, IDC_OPT_ADVANCED_0 + index));
}

bool FrmVarnel_OptionSelected(HWND window, int index) {
    return SendMessageA(GetDlgItem(window, IDC_OPT_ADVANCED_0 + index), BM_GETCHECK, 0, 0) ==
           BST_CHECKED;
}

void FrmVarnel_SetHourglass(HWND window, bool hourglass) {
    FrmVarnel* form = StateOf(window);
    if (form == nullptr) {
        return;
    }
    form->hourglass = hourglass;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(hourglass ? 32514 : 32512)));
}

bool FrmVarnel_Hourglass(HWND window) {
    const FrmVarnel* form = StateOf(window);
    return form != nullptr && form->hourglass;
}
