#include "cdo/session.h"

#include "cdo/cdo_module.h"
#include "common/journal.h"

#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace sandbox {

namespace {

// The AddressEntry's one property. Clients must look it up by name; the number is not part
// of the stand-in's interface.
constexpr DISPID kDispidAddress = 0x3003;

// Logons made in this process; numbers the generated profile names.
LONG g_logons = 0;

std::string Narrow(const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

std::string Narrow(BSTR text) {
    return Narrow(text, text == nullptr ? 0 : SysStringLen(text));
}

std::string NameText(const wchar_t* name) {
    return name == nullptr ? std::string("(null)")
                           : EscapeControlCharacters(Narrow(name, wcslen(name)));
}

bool SameName(const wchar_t* name, const wchar_t* known) {
    return name != nullptr &&
           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, known, -1) == CSTR_EQUAL;
}

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Narrow(text, wcslen(text));
}

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Hands `text` back as a BSTR in `result` (which may be null: then the value is dropped).
HRESULT ReturnText(VARIANT* result, const std::string& text) {
    if (result == nullptr) {
        return S_OK;
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR value = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (value == nullptr) {
        return E_OUTOFMEMORY;
    }
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), value, length);
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = value;
    return S_OK;
}

// The text of a Logon argument: a BSTR, a BSTR by reference, or anything that converts to one.
HRESULT ArgumentText(const VARIANT& argument, std::string& text) {
    if (argument.vt == VT_BSTR) {
        text = Narrow(argument.bstrVal);
        return S_OK;
    }
    if (argument.vt == (VT_BSTR | VT_BYREF)) {
        text = Narrow(argument.pbstrVal == nullptr ? nullptr : *argument.pbstrVal);
        return S_OK;
    }
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(&argument), 0, VT_BSTR);
    if (FAILED(hr)) {
        return DISP_E_TYPEMISMATCH;
    }
    text = Narrow(converted.bstrVal);
    VariantClear(&converted);
    return S_OK;
}

// The checks every IDispatch::Invoke makes before looking at the member.
HRESULT CheckInvoke(REFIID riid, const DISPPARAMS* params) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (params == nullptr || params->cNamedArgs > params->cArgs ||
        (params->cArgs > 0 && params->rgvarg == nullptr) ||
        (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr)) {
        return E_INVALIDARG;
    }
    return S_OK;
}

// A property read with no arguments: anything else is refused (and journaled as refused).
HRESULT CheckPropertyGet(const CdoConfig& config, const char* call, WORD flags,
                         const DISPPARAMS& params) {
    if ((flags & DISPATCH_PROPERTYGET) == 0) {
        AppendJournalLine(config.journal, call, "rejected flags=" + std::to_string(flags));
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params.cArgs != 0) {
        AppendJournalLine(config.journal, call, "rejected args=" + std::to_string(params.cArgs));
        return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

HRESULT InjectedFailure(const CdoConfig& config, const char* call) {
    AppendJournalLine(config.journal, "fail",
                      std::string(call) + " " + HresultText(config.failCode));
    return config.failCode;
}

class AddressEntry final : public IDispatch {
  public:
    AddressEntry(std::shared_ptr<const CdoConfig> config, std::string address)
        : config_(std::move(config)), address_(std::move(address)) {
        ModuleAddRef();
    }
    AddressEntry(const AddressEntry&) = delete;
    AddressEntry& operator=(const AddressEntry&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            AppendJournalLine(config_->journal, "release-addressentry");
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_INVALIDARG;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        if (count == 0) {
            return S_OK;
        }
        if (names == nullptr || ids == nullptr) {
            return E_INVALIDARG;
        }
        try {
            std::string journaled;
            for (UINT i = 0; i < count; ++i) {
                journaled += (i == 0 ? "" : " ") + NameText(names[i]);
            }
            AppendJournalLine(config_->journal, "GetIDsOfNames", journaled);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
        }
        if (count == 1 && SameName(names[0], L"Address")) {
            ids[0] = kDispidAddress;
        } else {
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        const HRESULT valid = CheckInvoke(riid, params);
        if (FAILED(valid)) {
            return valid;
        }
        try {
            if (id != kDispidAddress) {
                AppendJournalLine(config_->journal, "AddressEntry",
                                  "unknown-dispid " + std::to_string(id));
                return DISP_E_MEMBERNOTFOUND;
            }
            const HRESULT refused = CheckPropertyGet(*config_, "Address", flags, *params);
            if (FAILED(refused)) {
                return refused;
            }
            if (config_->Fails("Address")) {
                return InjectedFailure(*config_, "Address");
            }
            AppendJournalLine(config_->journal, "Address",
                              "-> " + EscapeControlCharacters(address_));
            return ReturnText(result, address_);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

  private:
    ~AddressEntry() { ModuleRelease(); }

    LONG references_ = 1;
    std::shared_ptr<const CdoConfig> config_;
    std::string address_;
};

class Session final : public IDispatch {
  public:
    explicit Session(std::shared_ptr<const CdoConfig> config) : config_(std::move(config)) {
        ModuleAddRef();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                           IsEqualIID(riid, kSessionIid);
        if (!IsEqualIID(riid, IID_IUnknown)) {
            try {
                AppendJournalLine(config_->journal, "QueryInterface",
                                  GuidText(riid) + (known ? "" : " E_NOINTERFACE"));
            } catch (...) {
            }
        }
        if (!known) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            AppendJournalLine(config_->journal, "release");
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_INVALIDARG;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        if (count == 0) {
            return S_OK;
        }
        if (names == nullptr || ids == nullptr) {
            return E_INVALIDARG;
        }
        try {
            std::string journaled;
            for (UINT i = 0; i < count; ++i) {
                journaled += (i == 0 ? "" : " ") + NameText(names[i]);
            }
            AppendJournalLine(config_->journal, "GetIDsOfNames", journaled);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        static const std::pair<const wchar_t*, DISPID> members[] = {
            {L"Logon", kDispidLogon},
            {L"CurrentUser", kDispidCurrentUser},
            {L"Name", kDispidName},
            {L"Logoff", kDispidLogoff},
        };
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
        }
        for (const auto& [name, id] : members) {
            if (SameName(names[0], name)) {
                ids[0] = id;
            }
        }
        if (ids[0] == DISPID_UNKNOWN) {
            hr = DISP_E_UNKNOWNNAME;
        }
        for (UINT i = 1; i < count; ++i) {
            // Only Logon has parameters here, and only ProfileInfo is served.
            if (ids[0] == kDispidLogon && SameName(names[i], L"ProfileInfo")) {
                ids[i] = kDispidProfileInfo;
            } else {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argumentError) override {
        const HRESULT valid = CheckInvoke(riid, params);
        if (FAILED(valid)) {
            return valid;
        }
        try {
            switch (id) {
            case kDispidLogon:
                return Logon(flags, *params, result, argumentError);
            case kDispidCurrentUser:
                return CurrentUser(flags, *params, result);
            case kDispidName:
                return Name(flags, *params, result);
            case kDispidLogoff:
                return Logoff(flags, *params, result);
            default:
                AppendJournalLine(config_->journal, "Session",
                                  "unknown-dispid " + std::to_string(id));
                return DISP_E_MEMBERNOTFOUND;
            }
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

  private:
    ~Session() { ModuleRelease(); }

    HRESULT Logon(WORD flags, const DISPPARAMS& params, VARIANT* result, UINT* argumentError) {
        std::string named;
        for (UINT i = 0; i < params.cNamedArgs; ++i) {
            named += (i == 0 ? "" : ",") + std::to_string(params.rgdispidNamedArgs[i]);
        }
        const std::string arguments = "args=" + std::to_string(params.cArgs) + " named=" + named;
        const auto refuse = [&](HRESULT hr, UINT argument, const std::string& reason) {
            AppendJournalLine(config_->journal, "Logon",
                              "rejected " + arguments + " reason=" + reason);
            if (argumentError != nullptr && argument != UINT(-1)) {
                *argumentError = argument;
            }
            return hr;
        };
        if ((flags & DISPATCH_METHOD) == 0) {
            return refuse(DISP_E_MEMBERNOTFOUND, UINT(-1), "not-a-method-call");
        }
        if (params.cNamedArgs < params.cArgs) {
            // rgvarg holds the arguments in reverse order, the named ones first: the last
            // entry is the first positional argument.
            return refuse(DISP_E_PARAMNOTFOUND, params.cArgs - 1, "positional-argument");
        }
        std::optional<std::string> profileInfo;
        for (UINT i = 0; i < params.cNamedArgs; ++i) {
            if (params.rgdispidNamedArgs[i] != kDispidProfileInfo) {
                return refuse(DISP_E_PARAMNOTFOUND, i, "unknown-named-argument");
            }
            std::string text;
            if (FAILED(ArgumentText(params.rgvarg[i], text))) {
                return refuse(DISP_E_TYPEMISMATCH, i, "type-mismatch");
            }
            profileInfo = std::move(text);
        }
        AppendJournalLine(config_->journal, "Logon",
                          arguments + " ProfileInfo=" +
                              (profileInfo ? EscapeControlCharacters(*profileInfo) : "(missing)"));
        if (config_->Fails("Logon")) {
            return InjectedFailure(*config_, "Logon");
        }
        const std::string info = profileInfo.value_or(std::string());
        const auto feed = info.find('\n');
        server_ = info.substr(0, feed);
        alias_ = feed == std::string::npos ? std::string() : info.substr(feed + 1);
        loggedOn_ = true;
        generatedName_ =
            "Varnel Temp " + alias_ + " " + std::to_string(InterlockedIncrement(&g_logons));
        if (result != nullptr) {
            VariantInit(result);
        }
        return S_OK;
    }

    HRESULT CurrentUser(WORD flags, const DISPPARAMS& params, VARIANT* result) {
        const HRESULT refused = CheckPropertyGet(*config_, "CurrentUser", flags, params);
        if (FAILED(refused)) {
            return refused;
        }
        AppendJournalLine(config_->journal, "CurrentUser");
        if (config_->Fails("CurrentUser")) {
            return InjectedFailure(*config_, "CurrentUser");
        }
        const bool resolves = loggedOn_ && config_->Resolves(server_, alias_);
        const std::string address =
            resolves ? "/o=Sandbox/ou=" + server_ + "/cn=Recipients/cn=" + alias_ : "Unknown";
        auto* entry = new (std::nothrow) AddressEntry(config_, address);
        if (entry == nullptr) {
            return E_OUTOFMEMORY;
        }
        if (result == nullptr) {
            entry->Release();
            return S_OK;
        }
        VariantInit(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = entry; // the caller owns the one reference
        return S_OK;
    }

    HRESULT Name(WORD flags, const DISPPARAMS& params, VARIANT* result) {
        const HRESULT refused = CheckPropertyGet(*config_, "Name", flags, params);
        if (FAILED(refused)) {
            return refused;
        }
        if (config_->Fails("Name")) {
            return InjectedFailure(*config_, "Name");
        }
        const std::string name =
            !config_->profileName.empty() ? config_->profileName : generatedName_;
        AppendJournalLine(config_->journal, "Name", "-> " + EscapeControlCharacters(name));
        return ReturnText(result, name);
    }

    HRESULT Logoff(WORD flags, const DISPPARAMS& params, VARIANT* result) {
        if ((flags & DISPATCH_METHOD) == 0) {
            AppendJournalLine(config_->journal, "Logoff",
                              "rejected flags=" + std::to_string(flags));
            return DISP_E_MEMBERNOTFOUND;
        }
        if (params.cArgs != 0) {
            AppendJournalLine(config_->journal, "Logoff",
                              "rejected args=" + std::to_string(params.cArgs));
            return DISP_E_BADPARAMCOUNT;
        }
        AppendJournalLine(config_->journal, "Logoff");
        if (config_->Fails("Logoff")) {
            return InjectedFailure(*config_, "Logoff");
        }
        loggedOn_ = false;
        server_.clear();
        alias_.clear();
        if (result != nullptr) {
            VariantInit(result);
        }
        return S_OK;
    }

    LONG references_ = 1;
    std::shared_ptr<const CdoConfig> config_;
    bool loggedOn_ = false;
    std::string server_;
    std::string alias_;
    // The profile name reported when none is configured; kept after Logoff.
    std::string generatedName_ = "Varnel Temp (no logon)";
};

} // namespace

HRESULT CreateSession(std::shared_ptr<const CdoConfig> config, REFIID riid, void** object) {
    auto* session = new (std::nothrow) Session(std::move(config));
    if (session == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = session->QueryInterface(riid, object);
    session->Release();
    return hr;
}

} // namespace sandbox
