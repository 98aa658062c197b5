#include "platform/ole_api.h"

#include "platform/system_dlls.h"

namespace ole {

namespace {

template <typename Function> Function Ole32(const char* name) {
    return SystemFunction<Function>("ole32.dll", name);
}

template <typename Function> Function OleAut32(const char* name) {
    return SystemFunction<Function>("oleaut32.dll", name);
}

// Owns this thread's membership of its apartment; leaves it at the program's end.
class Apartment {
  public:
    Apartment() {
        const auto initialize = Ole32<decltype(&::OleInitialize)>("OleInitialize");
        if (initialize != nullptr && uninitialize_ != nullptr && SUCCEEDED(initialize(nullptr))) {
            entered_ = true;
        }
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() {
        if (entered_) {
            uninitialize_();
        }
    }

  private:
    const decltype(&::OleUninitialize) uninitialize_ =
        Ole32<decltype(&::OleUninitialize)>("OleUninitialize");
    bool entered_ = false;
};

} // namespace

void EnterApartment() {
    static const Apartment apartment;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID classId) {
    static const auto function = Ole32<decltype(&::CLSIDFromProgID)>("CLSIDFromProgID");
    return function != nullptr ? function(progId, classId) : E_OUTOFMEMORY;
}

HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object) {
    static const auto function = Ole32<decltype(&::CoCreateInstance)>("CoCreateInstance");
    if (function == nullptr) {
        *object = nullptr;
        return E_OUTOFMEMORY;
    }
    return function(classId, outer, context, iid, object);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    static const auto function = OleAut32<decltype(&::SysAllocStringLen)>("SysAllocStringLen");
    return function != nullptr ? function(text, length) : nullptr;
}

void SysFreeString(BSTR text) {
    static const auto function = OleAut32<decltype(&::SysFreeString)>("SysFreeString");
    if (function != nullptr) {
        function(text);
    }
}

UINT SysStringLen(BSTR text) {
    static const auto function = OleAut32<decltype(&::SysStringLen)>("SysStringLen");
    return function != nullptr ? function(text) : 0;
}

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type) {
    static const auto function = OleAut32<decltype(&::VariantChangeType)>("VariantChangeType");
    // The source is only read; MinGW's declaration lacks the const.
    return function != nullptr ? function(destination, const_cast<VARIANTARG*>(source), flags, type)
                               : E_OUTOFMEMORY;
}

HRESULT VariantClear(VARIANTARG* value) {
    static const auto function = OleAut32<decltype(&::VariantClear)>("VariantClear");
    return function != nullptr ? function(value) : E_OUTOFMEMORY;
}

} // namespace ole
