#pragma once

// The functions of COM (ole32) and OLE Automation (oleaut32) that the program calls, with the
// system's signatures. The program does not import those DLLs, so that start-up does without
// them: each is loaded from the system folder when first called (platform/system_dlls.h).
// Without the DLL (never on Windows) each fails as the system's own does when out of memory.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

namespace ole {

// Enters this thread's single-threaded apartment on the first call, which must come from the
// user-interface thread; the apartment is left when the program ends. The CDO session object
// and the shell's handlers of a link need it.
void EnterApartment();

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID classId);
HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object);

BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type);
HRESULT VariantClear(VARIANTARG* value);
// What VariantInit does: the value becomes VT_EMPTY.
inline void VariantInit(VARIANTARG* value) {
    value->vt = VT_EMPTY;
}

} // namespace ole
