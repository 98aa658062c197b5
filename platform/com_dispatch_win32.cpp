#include "platform/com_dispatch.h"

#include "platform/error_text.h"
#include "platform/system_text.h"

#include <climits>
#include <new>
#include <vector>

namespace {

// Owns the strings an object may return with DISP_E_EXCEPTION.
class ExceptionInfo {
  public:
    ExceptionInfo() = default;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo() {
        ole::SysFreeString(info_.bstrSource);
        ole::SysFreeString(info_.bstrDescription);
        ole::SysFreeString(info_.bstrHelpFile);
    }

    EXCEPINFO* Get() noexcept { return &info_; }

    // The failure code the object reported, completing deferred information first; 0 when it
    // gave none (only an application-defined number).
    HRESULT Code() noexcept {
        if (info_.pfnDeferredFillIn != nullptr) {
            const auto fill = std::exchange(info_.pfnDeferredFillIn, nullptr);
            fill(&info_);
        }
        return info_.scode;
    }

  private:
    EXCEPINFO info_{};
};

} // namespace

ComError::ComError(HRESULT code) noexcept : what_() {
    try {
        const std::string text = HresultText(code);
        text.copy(what_, sizeof what_ - 1);
    } catch (...) {
        // No memory for the description: the error goes without it.
    }
}

Bstr BstrFromString(const std::string& text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        throw ComError(E_INVALIDARG);
    }
    const int length = static_cast<int>(text.size());
    int wideLength = 0;
    if (length > 0) {
        wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
        if (wideLength <= 0) {
            throw ComError(E_INVALIDARG);
        }
    }
    // An empty text is still a real (empty) BSTR, not a null one.
    Bstr result(ole::SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)));
    if (result.Get() == nullptr) {
        throw std::bad_alloc();
    }
    if (length > 0 && MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.Get(),
                                          wideLength) != wideLength) {
        throw ComError(E_INVALIDARG);
    }
    return result;
}

std::optional<std::string> VariantToString(const VARIANT& value) {
    Variant text;
    if (FAILED(ole::VariantChangeType(text.Put(), &value, 0, VT_BSTR)) ||
        text.Get().vt != VT_BSTR) {
        return std::nullopt;
    }
    return AnsiFromWide(
        std::wstring_view(text.Get().bstrVal, ole::SysStringLen(text.Get().bstrVal)));
}

HRESULT CreateObjectByProgId(const std::string& progId, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    const Bstr name = BstrFromString(progId);
    ole::EnterApartment();
    CLSID classId;
    HRESULT hr = ole::CLSIDFromProgID(name.Get(), &classId);
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IUnknown> created;
    hr = ole::CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IUnknown, created.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!created) {
        return E_POINTER;
    }
    return created->QueryInterface(iid, object);
}

DispatchResult Invoke(IDispatch* object, DISPID member, WORD flags,
                      std::span<const VARIANT> positional, std::span<const NamedArgument> named) {
    DispatchResult result;
    if (object == nullptr) {
        result.hr = E_POINTER;
        return result;
    }
    // IDispatch wants the named arguments first, then the positional ones from last to first.
    // The entries are shallow copies: the caller keeps ownership, the object only reads them.
    std::vector<VARIANTARG> arguments;
    std::vector<DISPID> names;
    arguments.reserve(named.size() + positional.size());
    names.reserve(named.size());
    for (const NamedArgument& argument : named) {
        if (argument.value == nullptr) {
            result.hr = E_POINTER;
            return result;
        }
        arguments.push_back(*argument.value);
        names.push_back(argument.name);
    }
    for (auto argument = positional.rbegin(); argument != positional.rend(); ++argument) {
        arguments.push_back(*argument);
    }

    DISPPARAMS parameters{};
    parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
    parameters.cArgs = static_cast<UINT>(arguments.size());
    parameters.rgdispidNamedArgs = names.empty() ? nullptr : names.data();
    parameters.cNamedArgs = static_cast<UINT>(names.size());

    // A property put returns no value.
    const bool wantsValue = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) == 0;
    ExceptionInfo exception;
    UINT argumentError = 0;
    result.hr =
        object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                       wantsValue ? result.value.Put() : nullptr, exception.Get(), &argumentError);
    if (result.hr == DISP_E_EXCEPTION) {
        const HRESULT code = exception.Code();
        if (FAILED(code)) {
            result.hr = code;
        }
    }
    return result;
}

DispatchResult PropertyGet(IDispatch* object, DISPID member) {
    return Invoke(object, member, DISPATCH_PROPERTYGET);
}

std::optional<DISPID> GetIdOfName(IDispatch* object, const std::string& name) {
    if (object == nullptr) {
        return std::nullopt;
    }
    const Bstr wideName = BstrFromString(name);
    LPOLESTR names[] = {wideName.Get()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return std::nullopt;
    }
    return id;
}
