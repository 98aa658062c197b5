#pragma once

#include <windows.h>

// A window of ours keeps its state object in GWLP_USERDATA: the object is handed over as
// CreateWindowEx's last argument, attached at WM_NCCREATE and deleted by the window itself at
// WM_NCDESTROY. State has a member `HWND hwnd`.

template <typename State> State* WindowState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

template <typename State> void AttachWindowState(HWND window, LPARAM createStruct) {
    auto* state =
        static_cast<State*>(reinterpret_cast<const CREATESTRUCTA*>(createStruct)->lpCreateParams);
    state->hwnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
}

// At WM_NCDESTROY: the window lets go of its state object and deletes it.
template <typename State> void ReleaseWindowState(HWND window) {
    State* state = WindowState<State>(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete state;
}
