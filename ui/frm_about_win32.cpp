#include "ui/frm_about.h"

#include "launcher/shell_open.h"
#include "platform/dpi.h"
#include "platform/message_pump.h"
#include "platform/system_text.h"
#include "platform/win32_raii.h"
#include "resources/resource_ids.h"
#include "ui/design_font.h"
#include "ui/frm_about_design.h"
#include "ui/frm_about_layout.h"
#include "ui/window_state.h"

#include <commctrl.h>

#include <utility>

namespace design = frm_about_design;

namespace {

struct FrmAbout {
    HWND hwnd = nullptr;
    HWND frmVarnel = nullptr;     // the main window the box was opened from
    HWND disabledOwner = nullptr; // the window the modal run disabled, enabled again on close
    UINT dpi = 96;
    UniqueFont font;
    UniqueFont titleFont;
    UniqueFont linkFont;
    UniqueBrush background;
    HWND toolTip = nullptr;
    HWND cmdOK = nullptr, picIcon = nullptr, lblTitle = nullptr, lblVersion = nullptr,
         lblDescription = nullptr, lblContactEmail = nullptr, lblContactWWW = nullptr,
         lblDisclaimer = nullptr;
};

FrmAbout* StateOf(HWND window) {
    return WindowState<FrmAbout>(window);
}

COLORREF ColourOf(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// ---- creation -------------------------------------------------------------------------------

UniqueFont MakeFont(UINT dpi, int hundredthsOfPoint, int weight, bool underline) {
    return CreateDesignFont(design::kFontFace, hundredthsOfPoint, dpi, weight, underline);
}

void MakeFonts(FrmAbout& form) {
    form.font = MakeFont(form.dpi, design::kStandardFontSize, FW_NORMAL, false);
    form.titleFont = MakeFont(form.dpi, design::kTitleFontSize, FW_BOLD, false);
    form.linkFont = MakeFont(form.dpi, design::kLinkFontSize, FW_NORMAL, true);
}

void Place(const FrmAbout& form, HWND control, const TwipsRect& rect) {
    SetWindowPos(control, nullptr, TwipsToPixels(rect.left, form.dpi),
                 TwipsToPixels(rect.top, form.dpi), TwipsToPixels(rect.width, form.dpi),
                 TwipsToPixels(rect.height, form.dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Create(const FrmAbout& form, const char* className, const char* text, DWORD style, int id,
            const TwipsRect& rect, HFONT font) {
    HWND control = CreateWindowExA(
        0, className, text, WS_CHILD | WS_VISIBLE | style, TwipsToPixels(rect.left, form.dpi),
        TwipsToPixels(rect.top, form.dpi), TwipsToPixels(rect.width, form.dpi),
        TwipsToPixels(rect.height, form.dpi), form.hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void AddToolTip(const FrmAbout& form, HWND control, const char* text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(form.toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CreateControls(FrmAbout& form) {
    MakeFonts(form);

    // cmdOK comes first: it is the first (and only) stop in the tab order. Labels take no
    // focus; "&" in their texts is shown as it is.
    form.cmdOK = Create(form, WC_BUTTONA, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
                        IDC_CMD_OK, design::cmdOK, form.font.get());
    // The icon keeps the box's size (SS_CENTERIMAGE) instead of shrinking it to the image.
    form.picIcon = Create(form, WC_STATICA, nullptr, SS_ICON | SS_CENTERIMAGE, IDC_PIC_ICON,
                          design::picIcon, form.font.get());
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    form.lblTitle =
        Create(form, WC_STATICA, "", label, IDC_LBL_TITLE, design::lblTitle, form.titleFont.get());
    form.lblVersion =
        Create(form, WC_STATICA, "", label, IDC_LBL_VERSION, design::lblVersion, form.font.get());
    form.lblDescription = Create(form, WC_STATICA, "", label, IDC_LBL_DESCRIPTION,
                                 design::lblDescription, form.font.get());
    // The links report clicks (SS_NOTIFY), which also makes them receive the mouse, so they can
    // show their own pointer and tool tip.
    form.lblContactEmail =
        Create(form, WC_STATICA, design::kContactEmail, label | SS_NOTIFY, IDC_LBL_CONTACT_EMAIL,
               design::lblContactEmail, form.linkFont.get());
    form.lblContactWWW = Create(form, WC_STATICA, design::kContactWWW, label | SS_NOTIFY,
                                IDC_LBL_CONTACT_WWW, design::lblContactWWW, form.linkFont.get());
    form.lblDisclaimer = Create(form, WC_STATICA, "", label, IDC_LBL_DISCLAIMER,
                                design::lblDisclaimer, form.font.get());

    form.toolTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form.hwnd,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    AddToolTip(form, form.lblContactEmail, design::kEmailToolTip);
    AddToolTip(form, form.lblContactWWW, design::kWWWToolTip);
}

// Sizes the box for the design client area at its dpi.
void SizeToDesign(const FrmAbout& form) {
    RECT frame{0, 0, TwipsToPixels(design::kClientWidth, form.dpi),
               TwipsToPixels(design::kClientHeight, form.dpi)};
    AdjustWindowRectForDpi(&frame, static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_EXSTYLE)), form.dpi);
    SetWindowPos(form.hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The box has moved to a screen of another dpi: its controls are placed again from the design's
// twips at that dpi, in fonts made for it, and the box takes the rectangle the system suggests.
void ApplyDpi(FrmAbout& form, UINT dpi, const RECT& suggested) {
    form.dpi = dpi;
    // The old fonts stay alive until no control uses them.
    UniqueFont oldFonts[] = {std::move(form.font), std::move(form.titleFont),
                             std::move(form.linkFont)};
    MakeFonts(form);
    const struct {
        HWND control;
        const TwipsRect& rect;
        HFONT font;
    } controls[] = {{form.cmdOK, design::cmdOK, form.font.get()},
                    {form.picIcon, design::picIcon, form.font.get()},
                    {form.lblTitle, design::lblTitle, form.titleFont.get()},
                    {form.lblVersion, design::lblVersion, form.font.get()},
                    {form.lblDescription, design::lblDescription, form.font.get()},
                    {form.lblContactEmail, design::lblContactEmail, form.linkFont.get()},
                    {form.lblContactWWW, design::lblContactWWW, form.linkFont.get()},
                    {form.lblDisclaimer, design::lblDisclaimer, form.font.get()}};
    for (const auto& placed : controls) {
        SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(placed.font), FALSE);
        Place(form, placed.control, placed.rect);
    }
    for (UniqueFont& old : oldFonts) {
        old.reset();
    }
    SetWindowPos(form.hwnd, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(form.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Centres the box over the main window, kept inside the work area of that window's monitor so
// that a main window near a screen edge does not push the box off the screen.
void CentreOver(HWND window, HWND over) {
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(over != nullptr ? over : window, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT work = monitor.rcWork;
    RECT centre = work;
    if (over != nullptr) {
        GetWindowRect(over, &centre);
    }
    int left = centre.left + (centre.right - centre.left - width) / 2;
    int top = centre.top + (centre.bottom - centre.top - height) / 2;
    if (left + width > work.right) {
        left = work.right - width;
    }
    if (top + height > work.bottom) {
        top = work.bottom - height;
    }
    if (left < work.left) {
        left = work.left;
    }
    if (top < work.top) {
        top = work.top;
    }
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    SendMessageA(form.picIcon, STM_SETICON, SendMessageA(form.hwnd, WM_GETICON, ICON_BIG, 0), 0);

    // The version, description and copyright notice are those of the program's own version
    // resource, so the box and the file's properties always agree.
    const VersionResource version = ReadVersionResource(GetModuleHandleA(nullptr));
    SetWindowTextA(form.lblVersion,
                   version.found ? VersionLine(version.fileVersionMS, version.fileVersionLS).c_str()
                                 : "");
    SetWindowTextA(form.lblTitle, VARNEL_TITLE);
    SetWindowTextA(form.lblDescription, version.comments.c_str());
    SetWindowTextA(form.lblDisclaimer, version.legalCopyright.c_str());
}

// Closes and discards the box. The window the modal run disabled is enabled first, so that
// it, not some other program, becomes active when the box goes.
void Unload(FrmAbout& form) {
    if (form.disabledOwner != nullptr) {
        EnableWindow(form.disabledOwner, TRUE);
        form.disabledOwner = nullptr;
    }
    DestroyWindow(form.hwnd);
}

void cmdOK_Click(FrmAbout& form) {
    Unload(form);
}

void lblContactEmail_Click(FrmAbout& form) {
    ShellOpen(form.hwnd, std::string(design::kEmailScheme) + WindowText(form.lblContactEmail));
}

void lblContactWWW_Click(FrmAbout& form) {
    ShellOpen(form.hwnd, std::string(design::kWWWScheme) + WindowText(form.lblContactWWW));
}

void OnCommand(FrmAbout& form, int id, int code) {
    switch (id) {
    case IDC_CMD_OK:
    case IDCANCEL: // Esc: cmdOK is the cancel button as well
        if (code == BN_CLICKED) {
            cmdOK_Click(form);
        }
        break;
    case IDC_LBL_CONTACT_EMAIL:
        if (code == STN_CLICKED) {
            lblContactEmail_Click(form);
        }
        break;
    case IDC_LBL_CONTACT_WWW:
        if (code == STN_CLICKED) {
            lblContactWWW_Click(form);
        }
        break;
    default:
        break; // F1 and the main window's other commands mean nothing here
    }
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
    if (control == form.lblTitle) {
        text = ColourOf(design::kTitleColour);
    } else if (control == form.lblContactEmail || control == form.lblContactWWW) {
        text = ColourOf(design::kLinkColour);
    } else if (control == form.lblVersion) {
        text = GetSysColor(COLOR_BTNTEXT); // a label's own colour: the system's
    }
    SetTextColor(dc, text);
    SetBkColor(dc, ColourOf(design::kBackground));
    return reinterpret_cast<LRESULT>(form.background.get());
}

bool IsLink(const FrmAbout& form, HWND window) {
    return window != nullptr && (window == form.lblContactEmail || window == form.lblContactWWW);
}

HCURSOR HandCursor() {
    // The system's pointing hand: its hot spot is the fingertip.
    static const HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
    return hand;
}

LRESULT CALLBACK FrmAboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FrmAbout* form = StateOf(window);
    switch (message) {
    case WM_NCCREATE:
        AttachWindowState<FrmAbout>(window, lParam);
        break;
    case WM_COMMAND:
        if (form != nullptr) {
            OnCommand(*form, LOWORD(wParam), HIWORD(wParam));
            return 0;
        }
        break;
    case DM_GETDEFID:
        return MAKELRESULT(IDC_CMD_OK, DC_HASDEFID);
    case WM_DPICHANGED:
        if (form != nullptr && HIWORD(wParam) != 0 && lParam != 0) {
            ApplyDpi(*form, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // cmdOK is the only control that takes the focus; it has it whenever the box is active.
        if (form != nullptr && LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(form->cmdOK);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (form != nullptr) {
            return ControlColours(*form, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        }
        break;
    case WM_ERASEBKGND:
        if (form != nullptr) {
            RECT client{};
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, form->background.get());
            return 1;
        }
        break;
    case WM_PAINT:
        if (form != nullptr) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            PaintClient(*form, dc, false);
            EndPaint(window, &paint);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (form != nullptr) {
            PaintClient(*form, reinterpret_cast<HDC>(wParam), true);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (form != nullptr && IsLink(*form, reinterpret_cast<HWND>(wParam)) &&
            LOWORD(lParam) == HTCLIENT) {
            SetCursor(HandCursor());
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (form != nullptr) {
            Unload(*form);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ReleaseWindowState<FrmAbout>(window);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterFrmAboutClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = FrmAboutProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        windowClass.hbrBackground = nullptr; // painted white by the box itself
        windowClass.lpszClassName = kFrmAboutClassName;
        return RegisterClassExA(&windowClass) != 0;
    }();
    return registered;
}

// True for keyboard and mouse input meant for a window other than the box, its controls and its
// tool tip: input still queued for the main window (keys typed ahead of F1) is dropped, since
// that window takes no input while the box is open.
bool IsInputForOtherWindows(HWND about, const MSG& message) {
    const bool input = (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
                       (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) ||
                       (message.message >= WM_NCMOUSEMOVE && message.message <= WM_NCMBUTTONDBLCLK);
    if (!input || message.hwnd == nullptr) {
        return false;
    }
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    return root != about && GetWindow(root, GW_OWNER) != about;
}

} // namespace

HWND CreateFrmAbout(HWND frmVarnel) {
    if (!RegisterFrmAboutClass()) {
        return nullptr;
    }
    auto* form = new FrmAbout;
    form->frmVarnel = frmVarnel;
    form->background.reset(CreateSolidBrush(ColourOf(design::kBackground)));
    // A fixed dialog frame with a close box and no caption text; no minimise or maximise box.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    HWND window = CreateWindowExA(exStyle, kFrmAboutClassName, "", style, 0, 0, 0, 0, frmVarnel,
                                  nullptr, GetModuleHandleA(nullptr), form);
    if (window == nullptr) {
        delete form; // WM_NCCREATE never ran, so the window does not own it
        return nullptr;
    }
    form->dpi = DpiForWindow(window);
    SizeToDesign(*form);
    CreateControls(*form);
    Form_Load(*form);
    CentreOver(window, frmVarnel);
    return window;
}

void ShowFrmAboutModal(HWND frmVarnel) {
    HWND about = CreateFrmAbout(frmVarnel);
    if (about == nullptr) {
        return;
    }
    // Only a window that this run disabled is enabled again afterwards.
    HWND disabled = nullptr;
    if (frmVarnel != nullptr && IsWindowEnabled(frmVarnel)) {
        EnableWindow(frmVarnel, FALSE);
        disabled = frmVarnel;
        StateOf(about)->disabledOwner = frmVarnel;
    }
    ShowWindow(about, SW_SHOWNORMAL);
    UpdateWindow(about);

    MSG message;
    while (IsWindow(about)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is asked to end: close the box and leave the request to the loop
            // that runs the program.
            Unload(*StateOf(about));
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) {
            break;
        }
        if (!IsInputForOtherWindows(about, message)) {
            HandleMessage(message);
        }
    }
    if (IsWindow(about)) {
        Unload(*StateOf(about));
    }
    if (disabled != nullptr && IsWindow(disabled)) {
        EnableWindow(disabled, TRUE);
    }
}
