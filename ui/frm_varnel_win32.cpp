#include "ui/frm_varnel.h"

#include "launcher/bas_varnel.h"
#include "launcher/launch_sequence.h"
#include "platform/message_pump.h"
#include "platform/system_text.h"
#include "platform/win32_raii.h"
#include "resources/resource_ids.h"
#include "ui/advanced_options_layout.h"
#include "ui/design_font.h"
#include "ui/frm_varnel_design.h"
#include "ui/frm_varnel_events.h"
#include "ui/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

namespace design = frm_varnel_design;

namespace {

// A control of the window with the visible and enabled states it has of its own; a control in a
// frame shows only while its frame does.
struct Control : FormControl {
    bool visible = true;
    bool enabled = true;
};

struct FrmVarnel : FormBase {
    Control fraProfile, lblAlias, txtEmailAlias, lblLocation, cboMarket, lblServer, txtServer;
    Control fraAdvOptions, cmdLogon, cmdCancel;
    std::array<Control, design::kOptionCount> OptAdvanced;
    bool hourglass = false;
};

// Posted to the window when it is created; handled once the program's message loop runs.
constexpr UINT kFinishOpening = WM_APP + 1;

FrmVarnel* StateOf(HWND window) {
    return FormState<FrmVarnel>(window);
}

// ---- controls -------------------------------------------------------------------------------

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
    UniqueRegion visible(
        CreateRectRgn(0, 0, labelRect.right - labelRect.left, labelRect.bottom - labelRect.top));
    const UniqueRegion covered(
        CreateRectRgn(overlap.left, overlap.top, overlap.right, overlap.bottom));
    CombineRgn(visible.get(), visible.get(), covered.get(), RGN_DIFF);
    if (SetWindowRgn(label.hwnd, visible.get(), FALSE)) {
        visible.release(); // the window owns it now
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

// Sets one of the control's own states; a frame passes it on to the controls inside it.
void SetState(FrmVarnel& form, Control& control, bool Control::*state, bool value) {
    control.*state = value;
    Refresh(form, control);
    if (&control == &form.fraAdvOptions) {
        for (const Control& option : form.OptAdvanced) {
            Refresh(form, option);
        }
    }
}

void SetEnabled(FrmVarnel& form, Control& control, bool enabled) {
    SetState(form, control, &Control::enabled, enabled);
}

void SetVisible(FrmVarnel& form, Control& control, bool visible) {
    SetState(form, control, &Control::visible, visible);
}

// The text the location list shows: that of its selected entry, which is a drop-down list's own
// window text.
std::string cboMarketText(const FrmVarnel& form) {
    return WindowText(form.cboMarket.hwnd);
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
    PlaceFormControl(form, form.cmdLogon);
    form.cmdCancel.rect.top = form.cmdLogon.rect.top;
    PlaceFormControl(form, form.cmdCancel);

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
    // A switch without a caption is a blank slot: neither seen nor chosen.
    for (int index = 0; index < design::kOptionCount; ++index) {
        Control& option = form.OptAdvanced[index];
        if (WindowText(option.hwnd).empty()) {
            SetVisible(form, option, false);
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

FormFonts MakeFonts(UINT dpi) {
    return {CreateDesignFont(design::kFontFace, design::kFontSize, dpi, FW_NORMAL, false)};
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

constexpr int kControlCount = 10 + design::kOptionCount;

// The window's controls and their designs, in creation order, which is the tab order: each
// label directly before its control, so that its mnemonic moves the focus to that control.
std::array<FormControlEntry, kControlCount> Controls(FrmVarnel& form) {
    const DWORD label = SS_LEFT | SS_NOTIFY | WS_GROUP | WS_CLIPSIBLINGS;
    const DWORD edit = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | WS_CLIPSIBLINGS;
    const DWORD button = WS_TABSTOP | WS_CLIPSIBLINGS;
    const DWORD frame = BS_GROUPBOX | WS_CLIPSIBLINGS;
    const auto option = [&](int index) {
        const DWORD first = index == 0 ? WS_GROUP | WS_TABSTOP : 0;
        return FormControlEntry{
            &form.OptAdvanced[static_cast<std::size_t>(index)],
            ControlDesign{WC_BUTTONA, "", BS_AUTORADIOBUTTON | WS_CLIPSIBLINGS | first,
                          IDC_OPT_ADVANCED_0 + index, design::OptAdvanced(index)}};
    };
    static_assert(design::kOptionCount == 6, "the table below lists six option buttons");
    return {{
        {&form.lblAlias, {WC_STATICA, "&Email Alias:", label, IDC_LBL_ALIAS, design::lblAlias}},
        {&form.txtEmailAlias,
         {WC_EDITA, "", edit, IDC_TXT_EMAIL_ALIAS, design::txtEmailAlias, FontRole::Standard,
          WS_EX_CLIENTEDGE}},
        {&form.lblLocation,
         {WC_STATICA, "&Location:", label, IDC_LBL_LOCATION, design::lblLocation}},
        {&form.cboMarket,
         {WC_COMBOBOXA, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS,
          IDC_CBO_MARKET, design::cboMarket}},
        {&form.lblServer, {WC_STATICA, "&Server:", label, IDC_LBL_SERVER, design::lblServer}},
        {&form.txtServer,
         {WC_EDITA, "", edit, IDC_TXT_SERVER, design::txtServer, FontRole::Standard,
          WS_EX_CLIENTEDGE}},
        option(0),
        option(1),
        option(2),
        option(3),
        option(4),
        option(5),
        {&form.cmdLogon,
         {WC_BUTTONA, "Launch &Outlook", BS_DEFPUSHBUTTON | WS_GROUP | button, IDC_CMD_LOGON,
          design::cmdLogon}},
        {&form.cmdCancel,
         {WC_BUTTONA, "E&xit", BS_PUSHBUTTON | button, IDC_CMD_CANCEL, design::cmdCancel}},
        {&form.fraProfile,
         {WC_BUTTONA, "Email Profile Information", frame, IDC_FRA_PROFILE, design::fraProfile}},
        {&form.fraAdvOptions,
         {WC_BUTTONA, "Advanced Outlook Startup Options", frame, IDC_FRA_ADV_OPTIONS,
          design::fraAdvOptions}},
    }};
}

void CreateControls(FrmVarnel& form) {
    form.fonts = MakeFonts(form.dpi);
    CreateFormControls(form, Controls(form));
    SendMessageA(form.hwnd, DM_SETDEFID, IDC_CMD_LOGON, 0);
    // The frames are drawn below the controls inside them.
    for (const Control* frame : {&form.fraProfile, &form.fraAdvOptions}) {
        SetWindowPos(frame->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    FitListHeight(form);
    ClipLabels(form);
}

// What the window does once it is on the screen and the program's message loop runs
// (kFinishOpening). The alias box, the first tab stop, takes the focus: the dialog manager gives
// none on the first activation under Wine, and giving it before the window shows activates the
// hidden window first, which made start-up slower. The tool tips show only once the pointer has
// rested on a control, so they are made now, not before the first paint.
void FinishOpening(FrmVarnel& form) {
    SendMessageA(form.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form.txtEmailAlias.hwnd), TRUE);
    AddToolTips(form, {{form.txtEmailAlias.hwnd, "Enter your Email Alias"},
                       {form.cboMarket.hwnd, "Select your Location"},
                       {form.txtServer.hwnd, "Enter Server Name"}});
}

// The window has moved to a screen of another dpi: everything is laid out again from the
// design's twips at that dpi, with the buttons where the advanced panel has them now.
void ApplyDpi(FrmVarnel& form, UINT dpi, const RECT& suggested) {
    ApplyFormDpi(form, dpi, MakeFonts(dpi), Controls(form), suggested);
    FitListHeight(form);
    ClipLabels(form);
}

bool IsEnabledControl(HWND control) {
    return control != nullptr && IsWindowEnabled(control);
}

void OnCommand(FrmVarnel& form, int id, int code) {
    // The dialog manager sends Esc's IDCANCEL even while Exit is disabled during a launch: the
    // buttons' commands count only while the buttons are enabled.
    static constexpr CommandRoute<FrmVarnel> routes[] = {
        {IDC_CBO_MARKET, CBN_SELCHANGE, cboMarket_Click},
        {IDC_TXT_SERVER, EN_CHANGE, txtServer_Change},
        {IDC_TXT_EMAIL_ALIAS, EN_CHANGE, txtEmailAlias_Change},
        {IDC_CMD_LOGON, kAnyCode,
         [](FrmVarnel& form) {
             if (IsEnabledControl(form.cmdLogon.hwnd)) {
                 cmdLogon_Click(form.hwnd);
             }
         }},
        {IDC_CMD_CANCEL, kAnyCode,
         [](FrmVarnel& form) {
             if (IsEnabledControl(form.cmdCancel.hwnd)) {
                 cmdCancel_Click(form);
             }
         }},
        {IDM_FILE_EXIT, kAnyCode, mnuFexit_Click},
        {IDM_VIEW_ADVANCED_OPTIONS, kAnyCode, mnuVAdvOptions_Click},
        {IDM_HELP_ABOUT, kAnyCode, [](FrmVarnel& form) { mnuHAbout_Click(form.hwnd); }},
    };
    RouteCommand<FrmVarnel>(form, id, code, routes);
}

HCURSOR PointerOver(const FrmVarnel& form, HWND, UINT) {
    return form.hourglass ? LoadCursorA(nullptr, IDC_WAIT) : nullptr;
}

// Builds the window before it is first shown: sized for the design at its dpi, its controls, its
// load, centred.
void Form_Initialise(FrmVarnel& form) {
    SizeToDesign(form, design::kClientWidth, design::kClientHeight);
    CreateControls(form);
    Form_Load(form);
    CentreOn(form.hwnd, nullptr);
    PostMessageA(form.hwnd, kFinishOpening, 0, 0);
}

// Every message this window answers does so with 0, the result's starting value; WM_INITDIALOG's
// says that the dialog manager gives no control the focus (FinishOpening does).
bool FrmVarnel_Message(FrmVarnel& form, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        Form_Initialise(form);
        result = FALSE;
        return true;
    case kFinishOpening:
        FinishOpening(form);
        return true;
    case WM_CLOSE:
        // Answered here: the dialog manager would press Exit, which skips the close handling.
        Form_QueryUnload(form);
        return true;
    case WM_ENDSESSION:
        // Windows is logging off or shutting down, or an installer closes the program (the
        // window never holds that up: the dialog manager answers WM_QUERYENDSESSION with TRUE).
        // Windows may end the process once this returns: a launch under way logs its session off
        // first and stops waiting; then the window closes as for any other close request.
        if (wParam != FALSE) {
            LogOffForSessionEnd();
            EndEveryWait();
            Form_QueryUnload(form);
        }
        return true;
    case WM_DESTROY:
        PostQuitMessage(0);
        return true;
    default:
        return false;
    }
}

} // namespace

HWND CreateFrmVarnel() {
    static const bool registered = [] {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        return RegisterFormClass(
            kFrmVarnelClassName, LoadIconA(instance, MAKEINTRESOURCEA(IDI_VARNEL)),
            static_cast<HICON>(LoadImageA(
                instance, MAKEINTRESOURCEA(IDI_VARNEL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED)),
            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }();
    if (!registered) {
        return nullptr;
    }
    // No WS_CLIPCHILDREN: the frames are drawn over the window's own background.
    static const FormTemplate kTemplate(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                        WS_EX_CONTROLPARENT, IDR_MAINMENU, kFrmVarnelClassName,
                                        VARNEL_TITLE);
    auto state = std::make_unique<FrmVarnel>();
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), kTemplate.get(), nullptr,
                                      FormProc<FrmVarnel, FrmVarnel_Message>,
                                      reinterpret_cast<LPARAM>(&state));
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
    SetCursor(LoadCursorA(nullptr, hourglass ? IDC_WAIT : IDC_ARROW));
}
