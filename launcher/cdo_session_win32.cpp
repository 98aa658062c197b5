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

class ComCdoSession final : public CdoSession {
  public:
    explicit ComCdoSession(ComPtr<IDispatch> session) : session_(std::move(session)) {}

    // Text that does not convert to the session's characters throws; the launch's steps catch
    // it (LaunchOutlook).
    bool Logon(const std::string& profileInfo) override {
        // ProfileInfo alone, by name; every other parameter keeps its default.
        const Variant argument = Variant::FromBstr(BstrFromString(profileInfo));
        const NamedArgument named[] = {{kProfileInfo, &argument.Get()}};
        return Invoke(session_.Get(), kLogon, DISPATCH_METHOD, {}, named).Succeeded();
    }

    std::optional<std::string> CurrentUserAddress() override {
        const ComPtr<IDispatch> user = CurrentUser();
        if (!user) {
            return std::nullopt;
        }
        const std::optional<DISPID> address = GetIdOfName(user.Get(), kAddress);
        if (!address) {
            return std::nullopt;
        }
        return Text(PropertyGet(user.Get(), *address));
    }

    std::optional<std::string> Name() override { return Text(PropertyGet(session_.Get(), kName)); }

    bool Logoff() override { return Invoke(session_.Get(), kLogoff, DISPATCH_METHOD).Succeeded(); }

  private:
    // The CurrentUser object's dispatch interface; empty when the read failed or gave no
    // object.
    ComPtr<IDispatch> CurrentUser() {
        const DispatchResult user = PropertyGet(session_.Get(), kCurrentUser);
        ComPtr<IDispatch> result;
        if (!user.Succeeded()) {
            return result;
        }
        const VARIANT& value = user.value.Get();
        IUnknown* object = nullptr;
        if (value.vt == VT_DISPATCH) {
            object = value.pdispVal;
        } else if (value.vt == VT_UNKNOWN) {
            object = value.punkVal;
        }
        if (object != nullptr) {
            object->QueryInterface(IID_IDispatch, result.PutVoid());
        }
        return result;
    }

    static std::optional<std::string> Text(const DispatchResult& read) {
        if (!read.Succeeded()) {
            return std::nullopt;
        }
        return VariantToString(read.value.Get());
    }

    ComPtr<IDispatch> session_;
};

} // namespace

std::unique_ptr<CdoSession> CreateCdoSession() {
    ComPtr<IDispatch> session;
    if (FAILED(CreateObjectByProgId(kCdoSessionProgId, kSessionInterface, session)) || !session) {
        return nullptr;
    }
    return std::make_unique<ComCdoSession>(std::move(session));
}
