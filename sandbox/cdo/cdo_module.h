#pragma once

// What the stand-in CDO library's objects share: the DLL's handle, the count of live objects
// and server locks (for DllCanUnloadNow), and the class and interface identifiers it serves.

#include <windows.h>
#include <ole2.h>

namespace sandbox {

// CLSID of "MAPI.Session", and as the registry writes it.
inline constexpr CLSID kSessionClsid = {
    0x3FA7DEB3, 0x6438, 0x101B, {0xAC, 0xC1, 0x00, 0xAA, 0x00, 0x42, 0x33, 0x26}};
inline constexpr char kSessionClsidText[] = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";
// The Session dispatch interface: {3FA7DEA8-6438-101B-ACC1-00AA00423326}.
inline constexpr IID kSessionIid = {
    0x3FA7DEA8, 0x6438, 0x101B, {0xAC, 0xC1, 0x00, 0xAA, 0x00, 0x42, 0x33, 0x26}};

extern HMODULE g_module;

// Live objects and server locks; the DLL may unload when both are 0.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

} // namespace sandbox
