// Stand-in for the CDO library: an in-process COM server for "MAPI.Session". The DLL's entry
// points, its class factory and its per-user registration. See sandbox/README.md.

#include "cdo/cdo_config.h"
#include "cdo/cdo_module.h"
#include "cdo/session.h"
#include "common/journal.h"
#include "common/owners.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

namespace sandbox {

HMODULE g_module = nullptr;

namespace {

LONG g_moduleReferences = 0;

constexpr char kProgId[] = "MAPI.Session";
constexpr char kDescription[] = "MAPI Session (Varnel sandbox stand-in)";

class SessionFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One factory lives as long as the DLL; its references count as the module's.
    ULONG STDMETHODCALLTYPE AddRef() override {
        ModuleAddRef();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        ModuleRelease();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        try {
            auto config = std::make_shared<const CdoConfig>(LoadCdoConfig(CdoConfigPath(g_module)));
            AppendJournalLine(config->journal, "create");
            if (config->Fails("Create")) {
                char code[16];
                std::snprintf(code, sizeof code, "0x%08lX",
                              static_cast<unsigned long>(config->failCode));
                AppendJournalLine(config->journal, "fail", std::string("Create ") + code);
                return config->failCode;
            }
            return CreateSession(std::move(config), riid, object);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ModuleAddRef();
        } else {
            ModuleRelease();
        }
        return S_OK;
    }
};

SessionFactory g_factory;

std::string ModulePath() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

// Creates (or opens) HKEY_CURRENT_USER\<key> and sets one string value (null name: default).
LONG SetUserString(const std::string& key, const char* name, const std::string& value) {
    HKEY opened = nullptr;
    const LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const UniqueKey handle(opened);
    return RegSetValueExA(handle.get(), name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

void ModuleAddRef() {
    InterlockedIncrement(&g_moduleReferences);
}

void ModuleRelease() {
    InterlockedDecrement(&g_moduleReferences);
}

bool ModuleInUse() {
    return InterlockedCompareExchange(&g_moduleReferences, 0, 0) != 0;
}

} // namespace sandbox

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        sandbox::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualCLSID(clsid, sandbox::kSessionClsid)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return sandbox::g_factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
    return sandbox::ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
    using sandbox::SetUserString;
    const std::string path = sandbox::ModulePath();
    if (path.empty()) {
        return SELFREG_E_CLASS;
    }
    const std::string classKey =
        std::string("Software\\Classes\\CLSID\\") + sandbox::kSessionClsidText;
    const std::string progIdKey = std::string("Software\\Classes\\") + sandbox::kProgId;
    const LONG failures[] = {
        SetUserString(classKey, nullptr, sandbox::kDescription),
        SetUserString(classKey + "\\InprocServer32", nullptr, path),
        SetUserString(classKey + "\\InprocServer32", "ThreadingModel", "Apartment"),
        SetUserString(classKey + "\\ProgID", nullptr, sandbox::kProgId),
        SetUserString(progIdKey, nullptr, sandbox::kDescription),
        SetUserString(progIdKey + "\\CLSID", nullptr, sandbox::kSessionClsidText),
    };
    for (const LONG status : failures) {
        if (status != ERROR_SUCCESS) {
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    const std::string classKey =
        std::string("Software\\Classes\\CLSID\\") + sandbox::kSessionClsidText;
    const std::string progIdKey = std::string("Software\\Classes\\") + sandbox::kProgId;
    HRESULT result = S_OK;
    for (const std::string& key : {classKey, progIdKey}) {
        const LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            result = SELFREG_E_CLASS;
        }
    }
    return result;
}
