#include "ui/frm_about.h"

#include "launcher/shell_open.h"
#include "platform/system_text.h"
#include "platform/win32_raii.h"
#include "resources/resource_ids.h"
#include "ui/design_font.h"
#include "ui/frm_about_design.h"
#include "ui/frm_about_layout.h"
#include "ui/form_window.h"

#include <commctrl.h>

#include <utility>

namespace design = frm_about_design;

namespace {

struct FrmAbout : FormBase {
    HWND frmVarnel = nullptr; // the main window the box was opened from
    UniqueBrush background;
    FormControl cmdOK, picIcon, lblTitle, lblVersion, lblDescription, lblContactEmail,
        lblContactWWW, lblDisclaimer;
};

COLORREF ColourOf(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// ---- creation -------------------------------------------------------------------------------

FormFonts MakeFonts(UINT dpi) {
    return {CreateDesignFont(design::kFontFace, design::kStandardFontSize, dpi, FW_NORMAL, false),
            CreateDesignFont(design::kFontFace, design::kTitleFontSize, dpi, FW_BOLD, false),
            CreateDesignFont(design::kFontFace, design::kLinkFontSize, dpi, FW_NORMAL, true)};
}

constexpr int kControlCount = 8;

// The box's controls and their designs. cmdOK comes first: it is the first (and only) stop in
// the tab order. Labels take no focus; "&" in their texts is shown as it is. The links report
// clicks (SS_NOTIFY), which also makes them receive the mouse, so they can show their own
// pointer and tool tip. The icon keeps the box's size (SS_CENTERIMAGE) instead of shrinking
// it to the image.
std::array<FormControlEntry, kControlCount> Controls(FrmAbout& form) {
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    const DWORD link = label | SS_NOTIFY;
    return {{
        {&form.cmdOK,
         {WC_BUTTONA, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDC_CMD_OK, design::cmdOK}},
        {&form.picIcon,
         {WC_STATICA, nullptr, SS_ICON | SS_CENTERIMAGE, IDC_PIC_ICON, design::picIcon}},
        {&form.lblTitle, {WC_STATICA, "", label, IDC_LBL_TITLE, design::lblTitle, FontRole::Title}},
        {&form.lblVersion, {WC_STATICA, "", label, IDC_LBL_VERSION, design::lblVersion}},
        {&form.lblDescription,
         {WC_STATICA, "", label, IDC_LBL_DESCRIPTION, design::lblDescription}},
        {&form.lblContactEmail,
         {WC_STATICA, design::kContactEmail, link, IDC_LBL_CONTACT_EMAIL, design::lblContactEmail,
          FontRole::Link}},
        {&form.lblContactWWW,
         {WC_STATICA, design::kContactWWW, link, IDC_LBL_CONTACT_WWW, design::lblContactWWW,
          FontRole::Link}},
        {&form.lblDisclaimer, {WC_STATICA, "", label, IDC_LBL_DISCLAIMER, design::lblDisclaimer}},
    }};
}

void CreateControls(FrmAbout& form) {
    form.fonts = MakeFonts(form.dpi);
    CreateFormControls(form, Controls(form));
    AddToolTips(form, {{form.lblContactEmail.hwnd, design::kEmailToolTip},
                       {form.lblContactWWW.hwnd, design::kWWWToolTip}});
}

// The box has moved to a screen of another dpi: its controls are placed again from the design's
// twips at that dpi.
void ApplyDpi(FrmAbout& form, UINT dpi, const RECT& suggested) {
    ApplyFormDpi(form, dpi, MakeFonts(dpi), Controls(form), suggested);
}

HICON MainWindowIcon(HWND frmVarnel, WPARAM which) {
    if (frmVarnel == nullptr) {
        return nullptr;
    }
    auto icon = reinterpret_cast<HICON>(SendMessageA(frmVarnel, WM_GETICON, which, 0));
    if (icon == nullptr) {
        icon = reinterpret_cast<HICON>(
            GetClassLongPtrA(frmVarnel, which == ICON_BIG ? GCLP_HICON : GCLP_HICONSM));
    }
    return icon;
}

// ---- handlers -------------------------------------------------------------------------------

void Form_Load(FrmAbout& form) {
    // The icons belong to the main window's class; the box only shows them.
    SendMessageA(form.hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(MainWindowIcon(form.frmVarnel, ICON_BIG)));
    SendMessageA(form.hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(MainWindowIcon(form.frmVarnel, ICON_SMALL)));
    SendMessageA(form.picIcon.hwnd, STM_SETICON, SendMessageA(form.hwnd, WM_GETICON, ICON_BIG, 0),
                 0);

    // The version, description and copyright notice are those of the program's own version
    // resource, so the box and the file's properties always agree.
    const FileVersionInfo version = ReadFileVersionInfo(GetModuleHandleA(nullptr));
    SetWindowTextA(form.lblVersion.hwnd,
                   version.found ? VersionLine(version.fileVersionMS, version.fileVersionLS).c_str()
                                 : "");
    SetWindowTextA(form.lblTitle.hwnd, VARNEL_TITLE);
    SetWindowTextA(form.lblDescription.hwnd, version.comments.c_str());
    SetWindowTextA(form.lblDisclaimer.hwnd, version.legalCopyright.c_str());
}

// Closes and discards the box: the dialog manager ends the modal run and gives the main window
// its input back.
void cmdOK_Click(FrmAbout& form) {
    EndDialog(form.hwnd, IDOK);
}

void lblContactEmail_Click(FrmAbout& form) {
    ShellOpen(form.hwnd, std::string(design::kEmailScheme) + WindowText(form.lblContactEmail.hwnd));
}

void lblContactWWW_Click(FrmAbout& form) {
    ShellOpen(form.hwnd, std::string(design::kWWWScheme) + WindowText(form.lblContactWWW.hwnd));
}

void OnCommand(FrmAbout& form, int id, int code) {
    // Esc and the close box send IDCANCEL: cmdOK is the cancel button as well. F1 and the main
    // window's other commands mean nothing here.
    static constexpr CommandRoute<FrmAbout> routes[] = {
        {IDC_CMD_OK, BN_CLICKED, cmdOK_Click},
        {IDCANCEL, BN_CLICKED, cmdOK_Click},
        {IDC_LBL_CONTACT_EMAIL, STN_CLICKED, lblContactEmail_Click},
        {IDC_LBL_CONTACT_WWW, STN_CLICKED, lblContactWWW_Click},
    };
    RouteCommand<FrmAbout>(form, id, code, routes);
}

// ---- painting -------------------------------------------------------------------------------

void PaintClient(const FrmAbout& form, HDC dc, bool background) {
    if (background) {
        RECT client{};
        GetClientRect(form.hwnd, &client);
        FillRect(dc, &client, form.background.get());
    }
    const auto lines = Line1Rects(form.dpi);
    for (int index = 0; index < 2; ++index) {
        const PixelRect& line = lines[static_cast<std::size_t>(index)];
        const RECT rect{line.left, line.top, line.right, line.bottom};
        SetBkColor(dc, ColourOf(design::Line1[index].colour));
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    }
}

LRESULT ControlColours(const FrmAbout& form, HDC dc, HWND control) {
    COLORREF text = ColourOf(design::kTextColour);
    if (control == form.lblTitle.hwnd) {
        text = ColourOf(design::kTitleColour);
    } else if (control == form.lblContactEmail.hwnd || control == form.lblContactWWW.hwnd) {
        text = ColourOf(design::kLinkColour);
    } else if (control == form.lblVersion.hwnd) {
        text = GetSysColor(COLOR_BTNTEXT); // a label's own colour: the system's
    }
    SetTextColor(dc, text);
    SetBkColor(dc, ColourOf(design::kBackground));
    return reinterpret_cast<LRESULT>(form.background.get());
}

bool IsLink(const FrmAbout& form, HWND window) {
    return window != nullptr &&
           (window == form.lblContactEmail.hwnd || window == form.lblContactWWW.hwnd);
}

// Over a link, the system's pointing hand: its hot spot is the fingertip.
HCURSOR PointerOver(const FrmAbout& form, HWND window, UINT hitTest) {
    return IsLink(form, window) && hitTest == HTCLIENT ? LoadCursorA(nullptr, IDC_HAND) : nullptr;
}

// Builds the box before it is shown: sized for the design at its dpi, its controls, its load,
// centred over the main window; the dialog manager then gives cmdOK, the only tab stop, the focus.
void Form_Initialise(FrmAbout& form) {
    SizeToDesign(form, design::kClientWidth, design::kClientHeight);
    CreateControls(form);
    SendMessageA(form.hwnd, DM_SETDEFID, IDC_CMD_OK, 0);
    Form_Load(form);
    CentreOn(form.hwnd, form.frmVarnel);
}

bool FrmAbout_Message(FrmAbout& form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        Form_Initialise(form);
        return true;
    case WM_CTLCOLORDLG: // the box's own background, which the dialog manager erases with it
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result =
            ControlColours(form, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(form.hwnd, &paint);
        PaintClient(form, dc, false);
        EndPaint(form.hwnd, &paint);
        return true;
    }
    case WM_PRINTCLIENT:
        PaintClient(form, reinterpret_cast<HDC>(wParam), true);
        return true;
    default:
        return false;
    }
}

// Keys and clicks still queued for the main window, typed ahead of F1, are not meant for the
// box, which would take them once it runs. A quit request among them is kept.
void DropTypedAheadInput() {
    MSG message;
    for (const auto& [first, last] :
         {std::pair{WM_KEYFIRST, WM_KEYLAST}, std::pair{WM_MOUSEFIRST, WM_MOUSELAST}}) {
        while (PeekMessageA(&message, nullptr, first, last, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
        }
    }
}

// Opens a freshly loaded box over the main window: modally, returning once it is closed, or
// modeless, returning the box.
HWND OpenFrmAbout(HWND frmVarnel, bool modal) {
    // No class background: the box paints itself white.
    static const bool registered = RegisterFormClass(kFrmAboutClassName, nullptr, nullptr, nullptr);
    // A fixed dialog frame with a close box and no caption text; no minimise or maximise box.
    static const FormTemplate kTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                                        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 0,
                                        kFrmAboutClassName, "");
    if (!registered) {
        return nullptr;
    }
    auto state = std::make_unique<FrmAbout>();
    state->frmVarnel = frmVarnel;
    state->background.reset(CreateSolidBrush(ColourOf(design::kBackground)));
    const auto handOver = reinterpret_cast<LPARAM>(&state);
    if (!modal) {
        return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), kTemplate.get(), frmVarnel,
                                          FormProc<FrmAbout, FrmAbout_Message>, handOver);
    }
    DropTypedAheadInput();
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), kTemplate.get(), frmVarnel,
                            FormProc<FrmAbout, FrmAbout_Message>, handOver);
    // A quit request ends the run without EndDialog, which Wine's dialog box then leaves to
    // give the main window its input back.
    if (IsWindow(frmVarnel)) {
        EnableWindow(frmVarnel, TRUE);
    }
    return nullptr;
}

} // namespace

// The box as the modal run shows it, but modeless: left open for the tests to look at.
HWND CreateFrmAbout(HWND frmVarnel) {
    return OpenFrmAbout(frmVarnel, false);
}

void ShowFrmAboutModal(HWND frmVarnel) {
    OpenFrmAbout(frmVarnel, true);
}
