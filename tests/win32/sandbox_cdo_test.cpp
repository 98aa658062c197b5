// The stand-in CDO library (sandbox/cdo) as the launch meets it: found through "MAPI.Session" in
// the test prefix, logged on to by named argument only, resolving the mailboxes of its
// settings, failing on request, and journaling every call.

#include "cdo/cdo_module.h"
#include "cdo/session.h"
#include "platform/com_dispatch.h"
#include "platform/win32_raii.h"
#include "support/launch_fixture.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

namespace {

using sandbox::kDispidCurrentUser;
using sandbox::kDispidLogoff;
using sandbox::kDispidLogon;
using sandbox::kDispidName;
using sandbox::kDispidProfileInfo;
using sandbox::kSessionClsid;
using sandbox::kSessionIid;

constexpr HRESULT kInjected = static_cast<HRESULT>(0x80040111);

// IDispatch::Invoke with the arguments exactly as given, for the calls the program's Invoke
// cannot make: a malformed argument list, no place for the result, or a look at which argument
// the object blames. `args` is in rgvarg order (named ones first, positional ones last to
// first); each entry is a shallow copy that the caller still owns.
HRESULT RawInvoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANTARG> args = {},
                  std::vector<DISPID> named = {}, UINT* argumentError = nullptr) {
    DISPPARAMS params = {};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
    params.cNamedArgs = static_cast<UINT>(named.size());
    UINT ignored = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                          argumentError != nullptr ? argumentError : &ignored);
}

// Logon as the launch calls it: one argument, by name.
HRESULT NamedLogon(IDispatch* session, const VARIANT& profileInfo) {
    const NamedArgument named[] = {{kDispidProfileInfo, &profileInfo}};
    return Invoke(session, kDispidLogon, DISPATCH_METHOD, {}, named).hr;
}

HRESULT NamedLogon(IDispatch* session, const std::string& profileInfo) {
    return NamedLogon(session, Variant::FromBstr(BstrFromString(profileInfo)).Get());
}

HRESULT Logoff(IDispatch* session) {
    return Invoke(session, kDispidLogoff, DISPATCH_METHOD).hr;
}

HRESULT GetText(IDispatch* object, DISPID id, std::string& text) {
    const DispatchResult read = PropertyGet(object, id);
    if (read.Succeeded()) {
        EXPECT_EQ(VT_BSTR, read.value.Get().vt);
        text = VariantToString(read.value.Get()).value_or("");
    }
    return read.hr;
}

// The Address of what CurrentUser gave, looked up by name.
HRESULT AddressOf(const DispatchResult& user, std::string& address) {
    if (user.value.Get().vt != VT_DISPATCH || user.value.Get().pdispVal == nullptr) {
        ADD_FAILURE() << "CurrentUser gave no object";
        return E_UNEXPECTED;
    }
    IDispatch* entry = user.value.Get().pdispVal;
    const std::optional<DISPID> id = GetIdOfName(entry, "Address");
    return id ? GetText(entry, *id, address) : DISP_E_UNKNOWNNAME;
}

HRESULT ReadAddress(IDispatch* session, std::string& address) {
    const DispatchResult user = PropertyGet(session, kDispidCurrentUser);
    return user.Succeeded() ? AddressOf(user, address) : user.hr;
}

std::string ReadAddress(IDispatch* session) {
    std::string address;
    EXPECT_EQ(S_OK, ReadAddress(session, address));
    return address;
}

std::string RegistryText(HKEY root, const std::string& key, const char* value) {
    char text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return "(missing)";
    }
    return text;
}

// Each test has its own settings and journal; the mailboxes are always these.
class CdoStandin : public ::testing::Test {
  protected:
    static constexpr const char* kMailboxes =
        "LONMX01=jdoe, asmith\r\nparmx02=Bob ; trailing comment";

    // The rest of the settings, for the sessions created from now on.
    void Configure(sandbox::CdoSettingsFile session) {
        session.mailboxes = kMailboxes;
        cdo_.Set(session);
    }

    ComPtr<IDispatch> Create() {
        ComPtr<IDispatch> session;
        EXPECT_EQ(S_OK, CoCreateInstance(kSessionClsid, nullptr, CLSCTX_INPROC_SERVER, kSessionIid,
                                         session.PutVoid()));
        return session;
    }

    std::vector<std::string> Journal() const { return cdo_.Calls(); }
    bool Journaled(const std::string& text) const {
        const auto lines = Journal();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    test_support::ScratchFolder folder_;
    launch_fixture::CdoSettings cdo_{kMailboxes};
};

TEST_F(CdoStandin, IsRegisteredPerUserAndReachableThroughMapiSession) {
    CLSID clsid = {};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"MAPI.Session", &clsid));
    EXPECT_TRUE(IsEqualCLSID(kSessionClsid, clsid));

    const std::string classKey =
        std::string("Software\\Classes\\CLSID\\") + sandbox::kSessionClsidText;
    const std::string dll = test_support::BuildPath("bin/sandbox/cdo_standin.dll");
    const std::string registered =
        RegistryText(HKEY_CURRENT_USER, classKey + "\\InprocServer32", nullptr);
    EXPECT_EQ(0, lstrcmpiA(dll.c_str(), registered.c_str())) << registered;
    EXPECT_EQ("Apartment",
              RegistryText(HKEY_CURRENT_USER, classKey + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("MAPI.Session", RegistryText(HKEY_CURRENT_USER, classKey + "\\ProgID", nullptr));
    EXPECT_EQ(sandbox::kSessionClsidText,
              RegistryText(HKEY_CURRENT_USER, "Software\\Classes\\MAPI.Session\\CLSID", nullptr));
}

TEST_F(CdoStandin, SessionOffersDispatchAndTheSessionInterfaceOnly) {
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    ComPtr<IUnknown> identity;
    ComPtr<IDispatch> dispatch;
    ComPtr<IUnknown> persist;
    ASSERT_EQ(S_OK, session->QueryInterface(IID_IUnknown, identity.PutVoid()));
    ASSERT_EQ(S_OK, session->QueryInterface(IID_IDispatch, dispatch.PutVoid()));
    EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), identity.Get());
    void* none = &identity;
    EXPECT_EQ(E_NOINTERFACE, session->QueryInterface(IID_IPersist, &none));
    EXPECT_EQ(nullptr, none);
    UINT typeInfos = 99;
    EXPECT_EQ(S_OK, session->GetTypeInfoCount(&typeInfos));
    EXPECT_EQ(0u, typeInfos);
}

TEST_F(CdoStandin, LogonTakesProfileInfoOnlyByName) {
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    const Variant info = Variant::FromBstr(BstrFromString("LONMX01\njdoe"));

    UINT argumentError = 99;
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, RawInvoke(session.Get(), kDispidLogon, DISPATCH_METHOD,
                                              {info.Get()}, {}, &argumentError));
    EXPECT_EQ(0u, argumentError);
    // One named and one positional argument: still refused, and the positional one is blamed.
    argumentError = 99;
    EXPECT_EQ(DISP_E_PARAMNOTFOUND,
              RawInvoke(session.Get(), kDispidLogon, DISPATCH_METHOD, {info.Get(), info.Get()},
                        {kDispidProfileInfo}, &argumentError));
    EXPECT_EQ(1u, argumentError);
    // A name it does not know.
    const NamedArgument unknown[] = {{7, &info.Get()}};
    EXPECT_EQ(DISP_E_PARAMNOTFOUND,
              Invoke(session.Get(), kDispidLogon, DISPATCH_METHOD, {}, unknown).hr);
    // Logon is a method, not a property.
    const NamedArgument named[] = {{kDispidProfileInfo, &info.Get()}};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              Invoke(session.Get(), kDispidLogon, DISPATCH_PROPERTYGET, {}, named).hr);
    EXPECT_EQ("Unknown", ReadAddress(session.Get()));

    EXPECT_TRUE(Journaled("Logon rejected args=1 named= reason=positional-argument"));
    EXPECT_TRUE(Journaled("Logon rejected args=2 named=6 reason=positional-argument"));
    EXPECT_TRUE(Journaled("Logon rejected args=1 named=7 reason=unknown-named-argument"));

    EXPECT_EQ(S_OK, NamedLogon(session.Get(), "LONMX01\njdoe"));
    EXPECT_EQ("/o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe", ReadAddress(session.Get()));
}

TEST_F(CdoStandin, AddressResolvesOnlyListedPairsAsSent) {
    struct Case {
        const char* profileInfo;
        const char* address;
    };
    const Case cases[] = {
        {"LONMX01\njdoe", "/o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe"},
        {"lonmx01\nASmith", "/o=Sandbox/ou=lonmx01/cn=Recipients/cn=ASmith"},
        {"PARMX02\nbob", "/o=Sandbox/ou=PARMX02/cn=Recipients/cn=bob"},
        {"LONMX01\nbob", "Unknown"},   // alias of another server
        {"NYCMX01\njdoe", "Unknown"},  // server not listed
        {"LONMX01 \njdoe", "Unknown"}, // blanks are part of the name
        {"LONMX01\r\njdoe", "Unknown"},
        {"LONMX01jdoe", "Unknown"}, // no line feed
        {"", "Unknown"},
    };
    for (const Case& c : cases) {
        ComPtr<IDispatch> session = Create();
        ASSERT_TRUE(session);
        EXPECT_EQ(S_OK, NamedLogon(session.Get(), c.profileInfo));
        EXPECT_EQ(c.address, ReadAddress(session.Get())) << c.profileInfo;
    }

    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    EXPECT_EQ("Unknown", ReadAddress(session.Get())) << "before any logon";
    EXPECT_EQ(S_OK, NamedLogon(session.Get(), "LONMX01\njdoe"));
    EXPECT_EQ(S_OK, Logoff(session.Get()));
    EXPECT_EQ("Unknown", ReadAddress(session.Get())) << "after Logoff";
}

TEST_F(CdoStandin, ProfileInfoAcceptsByReferenceAndConvertibleValues) {
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    Bstr info = BstrFromString("LONMX01\nasmith");
    BSTR byReference = info.Get();
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR | VT_BYREF;
    argument.pbstrVal = &byReference;
    EXPECT_EQ(S_OK, NamedLogon(session.Get(), argument));
    EXPECT_EQ("/o=Sandbox/ou=LONMX01/cn=Recipients/cn=asmith", ReadAddress(session.Get()));

    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = 12;
    EXPECT_EQ(S_OK, NamedLogon(session.Get(), argument));
    EXPECT_TRUE(Journaled("Logon args=1 named=6 ProfileInfo=12"));

    VariantInit(&argument);
    argument.vt = VT_ERROR;
    argument.scode = DISP_E_PARAMNOTFOUND;
    UINT argumentError = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, RawInvoke(session.Get(), kDispidLogon, DISPATCH_METHOD,
                                             {argument}, {kDispidProfileInfo}, &argumentError));
    EXPECT_EQ(0u, argumentError);
}

TEST_F(CdoStandin, NameIsTheConfiguredProfileOrAGeneratedOneWithSpaces) {
    Configure({.profileName = "Sandbox Profile 1"});
    ComPtr<IDispatch> configured = Create();
    ASSERT_TRUE(configured);
    // The settings are read again for every new session.
    Configure({});
    ComPtr<IDispatch> first = Create();
    ComPtr<IDispatch> second = Create();
    ASSERT_TRUE(first && second);
    std::string name;
    EXPECT_EQ(S_OK, NamedLogon(configured.Get(), "LONMX01\njdoe"));
    EXPECT_EQ(S_OK, GetText(configured.Get(), kDispidName, name));
    EXPECT_EQ("Sandbox Profile 1", name);

    const std::regex generated("Varnel Temp (\\S+) ([0-9]+)");
    std::smatch parts;
    std::string firstName;
    std::string secondName;
    EXPECT_EQ(S_OK, NamedLogon(first.Get(), "LONMX01\njdoe"));
    EXPECT_EQ(S_OK, NamedLogon(second.Get(), "PARMX02\nbob"));
    EXPECT_EQ(S_OK, GetText(first.Get(), kDispidName, firstName));
    EXPECT_EQ(S_OK, GetText(second.Get(), kDispidName, secondName));
    ASSERT_TRUE(std::regex_match(firstName, parts, generated)) << firstName;
    EXPECT_EQ("jdoe", parts[1].str());
    const int firstNumber = std::stoi(parts[2].str());
    ASSERT_TRUE(std::regex_match(secondName, parts, generated)) << secondName;
    EXPECT_EQ("bob", parts[1].str());
    EXPECT_EQ(firstNumber + 1, std::stoi(parts[2].str()));
    // The name outlives the logoff (it names the profile Outlook was started on).
    EXPECT_EQ(S_OK, Logoff(first.Get()));
    EXPECT_EQ(S_OK, GetText(first.Get(), kDispidName, name));
    EXPECT_EQ(firstName, name);
}

TEST_F(CdoStandin, InvokeAndGetIDsOfNamesFollowTheDispatchRules) {
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(session.Get(), 999, DISPATCH_METHOD).hr);
    EXPECT_EQ(E_INVALIDARG,
              session->Invoke(kDispidName, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              nullptr, nullptr, nullptr, nullptr));
    DISPPARAMS none = {};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              session->Invoke(kDispidName, kSessionIid, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &none, nullptr, nullptr, nullptr));
    // A property read with nowhere to put the value, with an argument, or as a method.
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kDispidName, DISPATCH_PROPERTYGET));
    const Variant extra = Variant::FromBstr(BstrFromString("x"));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              Invoke(session.Get(), kDispidName, DISPATCH_PROPERTYGET, {&extra.Get(), 1}).hr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(session.Get(), kDispidName, DISPATCH_METHOD).hr);
    const DispatchResult name =
        Invoke(session.Get(), kDispidName, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(S_OK, name.hr);
    EXPECT_EQ(VT_BSTR, name.value.Get().vt);
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kDispidCurrentUser, DISPATCH_PROPERTYGET));

    EXPECT_EQ(GetIdOfName(session.Get(), "LOGON"), kDispidLogon);
    EXPECT_EQ(GetIdOfName(session.Get(), "currentuser"), kDispidCurrentUser);
    EXPECT_EQ(GetIdOfName(session.Get(), "Name"), kDispidName);
    EXPECT_EQ(GetIdOfName(session.Get(), "LogOff"), kDispidLogoff);
    LPOLESTR logon[] = {const_cast<LPOLESTR>(L"Logon"), const_cast<LPOLESTR>(L"profileinfo")};
    DISPID ids[2] = {};
    EXPECT_EQ(S_OK, session->GetIDsOfNames(IID_NULL, logon, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(kDispidLogon, ids[0]);
    EXPECT_EQ(kDispidProfileInfo, ids[1]);
    LPOLESTR nameWithArgument[] = {const_cast<LPOLESTR>(L"Name"),
                                   const_cast<LPOLESTR>(L"ProfileInfo")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              session->GetIDsOfNames(IID_NULL, nameWithArgument, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(kDispidName, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Address")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              session->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(DISPID_UNKNOWN, ids[0]);
}

TEST_F(CdoStandin, JournalRecordsEveryCallInOrder) {
    {
        ComPtr<IDispatch> session = Create();
        ASSERT_TRUE(session);
        EXPECT_EQ(S_OK, NamedLogon(session.Get(), "LONMX01\njdoe"));
        EXPECT_EQ("/o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe", ReadAddress(session.Get()));
        std::string name;
        EXPECT_EQ(S_OK, GetText(session.Get(), kDispidName, name));
        EXPECT_EQ(S_OK, Logoff(session.Get()));
        EXPECT_TRUE(Journal().back() != "release") << "released too early";
        // Control characters never break a line.
        EXPECT_EQ(S_OK, NamedLogon(session.Get(), std::string("A\\B\tC\rD\x01"
                                                              "E\nF")));
    }
    const auto lines = cdo_.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].wellFormed) << lines[i].text;
        if (i > 0) {
            EXPECT_LE(lines[i - 1].ticks, lines[i].ticks) << lines[i].text;
        }
    }
    ASSERT_EQ(11u, lines.size());
    const std::vector<std::string> expected = {
        "create",
        "QueryInterface {3FA7DEA8-6438-101B-ACC1-00AA00423326}",
        "Logon args=1 named=6 ProfileInfo=LONMX01\\njdoe",
        "CurrentUser",
        "GetIDsOfNames Address",
        "Address -> /o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe",
        "release-addressentry",
        "", // the generated name: checked below
        "Logoff",
        "Logon args=1 named=6 ProfileInfo=A\\\\B\\tC\\rD\\x01E\\nF",
        "release",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!expected[i].empty()) {
            EXPECT_EQ(expected[i], lines[i].text) << "line " << i;
        }
    }
    EXPECT_EQ(0u, lines[7].text.rfind("Name -> Varnel Temp jdoe ", 0)) << lines[7].text;
    // 100-ns units of the system clock: within a minute of now.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto nowTicks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    EXPECT_LT(nowTicks - lines.front().ticks, 600000000ull);
}

// Each injectable call, failing with the configured code while the others go on working.
class CdoStandinFailure : public CdoStandin, public ::testing::WithParamInterface<const char*> {};

TEST_P(CdoStandinFailure, InjectedFailureHitsOnlyThatCall) {
    const std::string call = GetParam();
    Configure({.fail = call, .failCode = "0x80040111"});
    const auto expect = [&](const char* which) { return call == which ? kInjected : S_OK; };

    ComPtr<IDispatch> session;
    EXPECT_EQ(expect("Create"), CoCreateInstance(kSessionClsid, nullptr, CLSCTX_INPROC_SERVER,
                                                 kSessionIid, session.PutVoid()));
    if (call == "Create") {
        EXPECT_FALSE(session);
        EXPECT_EQ((std::vector<std::string>{"create", "fail Create 0x80040111"}), Journal());
        return;
    }
    ASSERT_TRUE(session);
    EXPECT_EQ(expect("Logon"), NamedLogon(session.Get(), "LONMX01\njdoe"));

    const DispatchResult user = PropertyGet(session.Get(), kDispidCurrentUser);
    EXPECT_EQ(expect("CurrentUser"), user.hr);
    if (call != "CurrentUser") {
        std::string address;
        EXPECT_EQ(expect("Address"), AddressOf(user, address));
        if (call != "Address") {
            // A failed logon leaves the session without a mailbox.
            EXPECT_EQ(call == "Logon" ? "Unknown" : "/o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe",
                      address);
        }
    }
    std::string name;
    EXPECT_EQ(expect("Name"), GetText(session.Get(), kDispidName, name));
    EXPECT_EQ(expect("Logoff"), Logoff(session.Get()));

    const auto lines = Journal();
    const auto failures = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("fail ", 0) == 0;
    });
    EXPECT_EQ(1, failures);
    EXPECT_TRUE(Journaled("fail " + call + " 0x80040111"));
}

INSTANTIATE_TEST_SUITE_P(EachCall, CdoStandinFailure,
                         ::testing::Values("Create", "Logon", "CurrentUser", "Address", "Name",
                                           "Logoff"));

TEST_F(CdoStandin, FailCodeDefaultsToEFail) {
    Configure({.fail = "name"});
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    std::string name;
    EXPECT_EQ(E_FAIL, GetText(session.Get(), kDispidName, name));
    EXPECT_TRUE(Journaled("fail Name 0x80004005"));
}

// A private copy of the DLL, loaded directly: its exports, its unload rule, and its settings
// file beside it when no settings file is named.
TEST_F(CdoStandin, DllServesItsClassAndCountsLiveObjects) {
    const std::string copy = folder_.File("cdo_copy.dll");
    ASSERT_TRUE(CopyFileA(test_support::BuildPath("bin/sandbox/cdo_standin.dll").c_str(),
                          copy.c_str(), FALSE));
    const std::string beside = folder_.File("beside.journal");
    ASSERT_TRUE(sandbox::WriteCdoSettings(folder_.File("cdo-standin.ini"),
                                          {.journal = beside, .profileName = "Beside The DLL"}));
    SetEnvironmentVariableA(sandbox::kCdoSettingsVariable, nullptr);

    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    {
        const UniqueLibrary library(LoadLibraryA(copy.c_str()));
        ASSERT_TRUE(library);
        for (const char* name :
             {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
            EXPECT_NE(nullptr, GetProcAddress(library.get(), name)) << name;
        }
        const auto getClassObject = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetClassObject")));
        const auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "DllCanUnloadNow")));
        ASSERT_TRUE(getClassObject != nullptr && canUnloadNow != nullptr);

        EXPECT_EQ(S_OK, canUnloadNow());
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
                  getClassObject(kSessionIid, IID_IClassFactory, factory.PutVoid()));
        ASSERT_EQ(S_OK, getClassObject(kSessionClsid, IID_IClassFactory, factory.PutVoid()));
        EXPECT_EQ(S_FALSE, canUnloadNow());

        ComPtr<IDispatch> session;
        EXPECT_EQ(CLASS_E_NOAGGREGATION,
                  factory->CreateInstance(factory.Get(), IID_IUnknown, session.PutVoid()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, session.PutVoid()));
        EXPECT_EQ(S_OK, factory->LockServer(TRUE));
        factory.Reset();
        EXPECT_EQ(S_FALSE, canUnloadNow());

        std::string name;
        EXPECT_EQ(S_OK, GetText(session.Get(), kDispidName, name));
        EXPECT_EQ("Beside The DLL", name);
        session.Reset();
        EXPECT_EQ(S_FALSE, canUnloadNow()) << "the server is still locked";
        ASSERT_EQ(S_OK, getClassObject(kSessionClsid, IID_IClassFactory, factory.PutVoid()));
        EXPECT_EQ(S_OK, factory->LockServer(FALSE));
        factory.Reset();
        EXPECT_EQ(S_OK, canUnloadNow());
    }
    const auto lines = sandbox::JournalTexts(sandbox::ReadJournal(beside));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("create", lines.front());
    EXPECT_EQ("release", lines.back());
    EXPECT_TRUE(Journal().empty()) << "the settings named by the test were not in force";
}

} // namespace
