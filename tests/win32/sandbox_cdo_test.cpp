// The stand-in CDO library (sandbox/cdo) as the launch meets it: found through "MAPI.Session" in
// the test prefix, logged on to by named argument only, resolving the mailboxes of its
// settings, failing on request, and journaling every call.

#include "platform/com_dispatch.h"
#include "platform/win32_raii.h"
#include "support/launch_fixture.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr CLSID kSessionClsid = {
    0x3FA7DEB3, 0x6438, 0x101B, {0xAC, 0xC1, 0x00, 0xAA, 0x00, 0x42, 0x33, 0x26}};
constexpr IID kSessionIid = {
    0x3FA7DEA8, 0x6438, 0x101B, {0xAC, 0xC1, 0x00, 0xAA, 0x00, 0x42, 0x33, 0x26}};
constexpr char kClsidText[] = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";

constexpr DISPID kCurrentUser = 1;
constexpr DISPID kProfileInfo = 6;
constexpr DISPID kName = 23;
constexpr DISPID kLogoff = 118;
constexpr DISPID kLogon = 119;

constexpr HRESULT kInjected = static_cast<HRESULT>(0x80040111);

std::string Narrow(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

VARIANTARG BstrArgument(const Bstr& text) {
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = text.Get(); // still owned by `text`
    return argument;
}

// IDispatch::Invoke with the arguments exactly as given, the malformed ones included (the
// program's Invoke builds only well-formed calls). Arguments go in as the caller writes them
// (named ones first), so `args` is in rgvarg order.
HRESULT RawInvoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANTARG> args = {},
                  std::vector<DISPID> named = {}, VARIANT* result = nullptr,
                  UINT* argumentError = nullptr) {
    DISPPARAMS params = {};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
    params.cNamedArgs = static_cast<UINT>(named.size());
    UINT ignored = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          argumentError != nullptr ? argumentError : &ignored);
}

// Logon as the launch calls it: one argument, by name.
HRESULT NamedLogon(IDispatch* session, const std::string& profileInfo) {
    const Bstr text = BstrFromString(profileInfo);
    Variant result;
    return RawInvoke(session, kLogon, DISPATCH_METHOD, {BstrArgument(text)}, {kProfileInfo},
                     result.Put());
}

HRESULT GetText(IDispatch* object, DISPID id, std::string& text) {
    Variant result;
    const HRESULT hr = RawInvoke(object, id, DISPATCH_PROPERTYGET, {}, {}, result.Put());
    if (SUCCEEDED(hr)) {
        EXPECT_EQ(VT_BSTR, result.Get().vt);
        text = result.Get().vt == VT_BSTR ? Narrow(result.Get().bstrVal) : std::string();
    }
    return hr;
}

DISPID IdOfName(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
    return id;
}

// CurrentUser, then its Address looked up by name.
HRESULT ReadAddress(IDispatch* session, std::string& address) {
    Variant user;
    HRESULT hr = RawInvoke(session, kCurrentUser, DISPATCH_PROPERTYGET, {}, {}, user.Put());
    if (FAILED(hr)) {
        return hr;
    }
    if (user.Get().vt != VT_DISPATCH || user.Get().pdispVal == nullptr) {
        ADD_FAILURE() << "CurrentUser gave no object";
        return E_UNEXPECTED;
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Address")};
    DISPID id = 0;
    hr = user.Get().pdispVal->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        return hr;
    }
    return GetText(user.Get().pdispVal, id, address);
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

    const std::string classKey = std::string("Software\\Classes\\CLSID\\") + kClsidText;
    const std::string dll = test_support::BuildPath("bin/sandbox/cdo_standin.dll");
    const std::string registered =
        RegistryText(HKEY_CURRENT_USER, classKey + "\\InprocServer32", nullptr);
    EXPECT_EQ(0, lstrcmpiA(dll.c_str(), registered.c_str())) << registered;
    EXPECT_EQ("Apartment",
              RegistryText(HKEY_CURRENT_USER, classKey + "\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ("MAPI.Session", RegistryText(HKEY_CURRENT_USER, classKey + "\\ProgID", nullptr));
    EXPECT_EQ(kClsidText,
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
    const Bstr info = BstrFromString("LONMX01\njdoe");

    UINT argumentError = 99;
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD,
                                              {BstrArgument(info)}, {}, nullptr, &argumentError));
    EXPECT_EQ(0u, argumentError);
    // One named and one positional argument: still refused, and the positional one is blamed.
    argumentError = 99;
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD,
                                              {BstrArgument(info), BstrArgument(info)},
                                              {kProfileInfo}, nullptr, &argumentError));
    EXPECT_EQ(1u, argumentError);
    // A name it does not know.
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD,
                                              {BstrArgument(info)}, {7}, nullptr, &argumentError));
    // Logon is a method, not a property.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, RawInvoke(session.Get(), kLogon, DISPATCH_PROPERTYGET,
                                               {BstrArgument(info)}, {kProfileInfo}));
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
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kLogoff, DISPATCH_METHOD));
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
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD, {argument}, {kProfileInfo}));
    EXPECT_EQ("/o=Sandbox/ou=LONMX01/cn=Recipients/cn=asmith", ReadAddress(session.Get()));

    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = 12;
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD, {argument}, {kProfileInfo}));
    EXPECT_TRUE(Journaled("Logon args=1 named=6 ProfileInfo=12"));

    VariantInit(&argument);
    argument.vt = VT_ERROR;
    argument.scode = DISP_E_PARAMNOTFOUND;
    UINT argumentError = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, RawInvoke(session.Get(), kLogon, DISPATCH_METHOD, {argument},
                                             {kProfileInfo}, nullptr, &argumentError));
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
    EXPECT_EQ(S_OK, GetText(configured.Get(), kName, name));
    EXPECT_EQ("Sandbox Profile 1", name);

    const std::regex generated("Varnel Temp (\\S+) ([0-9]+)");
    std::smatch parts;
    std::string firstName;
    std::string secondName;
    EXPECT_EQ(S_OK, NamedLogon(first.Get(), "LONMX01\njdoe"));
    EXPECT_EQ(S_OK, NamedLogon(second.Get(), "PARMX02\nbob"));
    EXPECT_EQ(S_OK, GetText(first.Get(), kName, firstName));
    EXPECT_EQ(S_OK, GetText(second.Get(), kName, secondName));
    ASSERT_TRUE(std::regex_match(firstName, parts, generated)) << firstName;
    EXPECT_EQ("jdoe", parts[1].str());
    const int firstNumber = std::stoi(parts[2].str());
    ASSERT_TRUE(std::regex_match(secondName, parts, generated)) << secondName;
    EXPECT_EQ("bob", parts[1].str());
    EXPECT_EQ(firstNumber + 1, std::stoi(parts[2].str()));
    // The name outlives the logoff (it names the profile Outlook was started on).
    EXPECT_EQ(S_OK, RawInvoke(first.Get(), kLogoff, DISPATCH_METHOD));
    EXPECT_EQ(S_OK, GetText(first.Get(), kName, name));
    EXPECT_EQ(firstName, name);
}

TEST_F(CdoStandin, InvokeAndGetIDsOfNamesFollowTheDispatchRules) {
    ComPtr<IDispatch> session = Create();
    ASSERT_TRUE(session);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, RawInvoke(session.Get(), 999, DISPATCH_METHOD));
    EXPECT_EQ(E_INVALIDARG,
              session->Invoke(kName, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, nullptr,
                              nullptr, nullptr, nullptr));
    DISPPARAMS none = {};
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              session->Invoke(kName, kSessionIid, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                              nullptr, nullptr, nullptr));
    // A property read with nowhere to put the value, with an argument, or as a method.
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kName, DISPATCH_PROPERTYGET));
    const Bstr extra = BstrFromString("x");
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              RawInvoke(session.Get(), kName, DISPATCH_PROPERTYGET, {BstrArgument(extra)}));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, RawInvoke(session.Get(), kName, DISPATCH_METHOD));
    Variant name;
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kName, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, {},
                              name.Put()));
    EXPECT_EQ(VT_BSTR, name.Get().vt);
    EXPECT_EQ(S_OK, RawInvoke(session.Get(), kCurrentUser, DISPATCH_PROPERTYGET));

    EXPECT_EQ(kLogon, IdOfName(session.Get(), L"LOGON"));
    EXPECT_EQ(kCurrentUser, IdOfName(session.Get(), L"currentuser"));
    EXPECT_EQ(kName, IdOfName(session.Get(), L"Name"));
    EXPECT_EQ(kLogoff, IdOfName(session.Get(), L"LogOff"));
    LPOLESTR logon[] = {const_cast<LPOLESTR>(L"Logon"), const_cast<LPOLESTR>(L"profileinfo")};
    DISPID ids[2] = {};
    EXPECT_EQ(S_OK, session->GetIDsOfNames(IID_NULL, logon, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(kLogon, ids[0]);
    EXPECT_EQ(kProfileInfo, ids[1]);
    LPOLESTR nameWithArgument[] = {const_cast<LPOLESTR>(L"Name"),
                                   const_cast<LPOLESTR>(L"ProfileInfo")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              session->GetIDsOfNames(IID_NULL, nameWithArgument, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(kName, ids[0]);
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
        EXPECT_EQ(S_OK, GetText(session.Get(), kName, name));
        EXPECT_EQ(S_OK, RawInvoke(session.Get(), kLogoff, DISPATCH_METHOD));
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

    Variant user;
    EXPECT_EQ(expect("CurrentUser"),
              RawInvoke(session.Get(), kCurrentUser, DISPATCH_PROPERTYGET, {}, {}, user.Put()));
    if (call != "CurrentUser") {
        ASSERT_EQ(VT_DISPATCH, user.Get().vt);
        std::string address;
        EXPECT_EQ(expect("Address"),
                  GetText(user.Get().pdispVal, IdOfName(user.Get().pdispVal, L"Address"), address));
        if (call != "Address") {
            // A failed logon leaves the session without a mailbox.
            EXPECT_EQ(call == "Logon" ? "Unknown" : "/o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe",
                      address);
        }
    }
    std::string name;
    EXPECT_EQ(expect("Name"), GetText(session.Get(), kName, name));
    EXPECT_EQ(expect("Logoff"), RawInvoke(session.Get(), kLogoff, DISPATCH_METHOD));

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
    EXPECT_EQ(E_FAIL, GetText(session.Get(), kName, name));
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
        EXPECT_EQ(S_OK, GetText(session.Get(), kName, name));
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
