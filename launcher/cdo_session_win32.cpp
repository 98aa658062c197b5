#include "launcher/cdo_session.h"

#include "platform/com_dispatch.h"

#include <memory>
#include <utility>

namespace {

// The Session interface of the CDO library: a dispatch interface.
constexpr IID kSessionInterface = {
    0x3FA7DEA8, 0x6438, 0x101B, {0xAC, 0xC1, 0x00, 0xAA, 0x00, 0x42, 0x33, 0x26}};

// Dispatch identifiers of the Session's members, and Logon's one named argument.
constexpr DISPID kCurrentUser = 1;
constexpr DISPID kProfileInfo = 6;
constexpr DISPID kName = 23;
constexpr DISPID kLogoff = 118;
constexpr DISPID kLogon = 119;

// The CurrentUser object's member, looked up by name at run time.
constexpr const char* kAddress = "Address";

// A call that failed throws its failure code.
void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) {
        throw ComError(hr);
    }
}

// The value a read gave, as text; one that does not convert throws as the system's conversion
// fails.
std::string Text(const DispatchResult& read) {
    ThrowIfFailed(read.hr);
    const std::optional<std::string> text = VariantToString(read.value.Get());
    if (!text) {
        throw ComError(DISP_E_TYPEMISMATCH);
    }
    return *text;
}

// Every call throws when it fails (ComError, or what the conversion of a text throws); the
// launch's steps catch it (LaunchOutlook).
class ComCdoSession final : public CdoSession {
  public:
    explicit ComCdoSession(ComPtr<IDispatch> session) : session_(std::move(session)) {}

    void Logon(const std::string& profileInfo) override {
        // ProfileInfo alone, by name; every other parameter keeps its default.
        const Variant argument = Variant::FromBstr(BstrFromString(profileInfo));
        const NamedArgument named[] = {{kProfileInfo, &argument.Get()}};
        ThrowIfFailed(Invoke(session_.Get(), kLogon, DISPATCH_METHOD, {}, named).hr);
    }

    std::string CurrentUserAddress() override {
        const ComPtr<IDispatch> user = CurrentUser();
        const std::optional<DISPID> address = GetIdOfName(user.Get(), kAddress);
        if (!address) {
            throw ComError(DISP_E_UNKNOWNNAME);
        }
        return Text(PropertyGet(user.Get(), *address));
    }

    std::string Name() override { return Text(PropertyGet(session_.Get(), kName)); }

    void Logoff() override { ThrowIfFailed(Invoke(session_.Get(), kLogoff, DISPATCH_METHOD).hr); }

  private:
    // The CurrentUser object's dispatch interface.
    ComPtr<IDispatch> CurrentUser() {
        const DispatchResult read = PropertyGet(session_.Get(), kCurrentUser);
        ThrowIfFailed(read.hr);
        const VARIANT& value = read.value.Get();
        IUnknown* object = nullptr;
        if (value.vt == VT_DISPATCH) {
            object = value.pdispVal;
        } else if (value.vt == VT_UNKNOWN) {
            object = value.punkVal;
        }
        if (object == nullptr) {
            throw ComError(DISP_E_TYPEMISMATCH);
        }
        ComPtr<IDispatch> user;
        ThrowIfFailed(object->QueryInterface(IID_IDispatch, user.PutVoid()));
        return user;
    }

    ComPtr<IDispatch> session_;
};

} // namespace

std::unique_ptr<CdoSession> CreateCdoSession() {
    ComPtr<IDispatch> session;
    ThrowIfFailed(CreateObjectByProgId(kCdoSessionProgId, kSessionInterface, session));
    if (!session) {
        throw ComError(E_POINTER);
    }
    return std::make_unique<ComCdoSession>(std::move(session));
}
