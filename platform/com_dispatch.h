#pragma once

// COM automation as the program uses it: owners for interface pointers, BSTRs and VARIANTs,
// creating an object by its programmatic identifier, and calls through IDispatch by dispatch
// identifier or by member name. Text crosses this boundary in the ANSI code page.

#include "platform/ole_api.h"

#include <exception>
#include <optional>
#include <span>
#include <string>
#include <utility>

// A COM call that failed: what() gives the code and what it means (HresultText), for the
// launch's continue-on-error rule, which writes it to the trace. The text is kept in the error
// itself, so that copying it cannot fail.
class ComError : public std::exception {
  public:
    explicit ComError(HRESULT code) noexcept;
    const char* what() const noexcept override { return what_; }

  private:
    char what_[160];
};

// Owns one reference to a COM interface and releases it exactly once.
template <typename Interface> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (no AddRef).
    explicit ComPtr(Interface* adopted) noexcept : pointer_(adopted) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    Interface* Get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // Releases the reference (if any); the pointer is cleared before Release runs, so a
    // Release that re-enters this owner finds it empty.
    void Reset() noexcept {
        if (Interface* old = std::exchange(pointer_, nullptr)) {
            old->Release();
        }
    }
    // Empties the owner and hands out its slot for a call that returns a new reference.
    Interface** Put() noexcept {
        Reset();
        return &pointer_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    // Gives the reference up to the caller.
    Interface* Detach() noexcept { return std::exchange(pointer_, nullptr); }

  private:
    Interface* pointer_ = nullptr;
};

// Owns one BSTR and frees it with SysFreeString.
class Bstr {
  public:
    Bstr() = default;
    // Takes over a BSTR the caller allocated.
    explicit Bstr(BSTR adopted) noexcept : bstr_(adopted) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            Reset();
            bstr_ = std::exchange(other.bstr_, nullptr);
        }
        return *this;
    }
    ~Bstr() { Reset(); }

    BSTR Get() const noexcept { return bstr_; }
    void Reset() noexcept {
        if (BSTR old = std::exchange(bstr_, nullptr)) {
            ole::SysFreeString(old);
        }
    }
    BSTR* Put() noexcept {
        Reset();
        return &bstr_;
    }
    BSTR Detach() noexcept { return std::exchange(bstr_, nullptr); }

  private:
    BSTR bstr_ = nullptr;
};

// Owns one VARIANT (and whatever it holds) and clears it with VariantClear.
class Variant {
  public:
    Variant() noexcept { ole::VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    // A VARIANT's contents move with its bits; the source is left VT_EMPTY.
    Variant(Variant&& other) noexcept : value_(other.value_) { ole::VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            Clear();
            value_ = other.value_;
            ole::VariantInit(&other.value_);
        }
        return *this;
    }
    ~Variant() { Clear(); }

    // A VT_BSTR holding `bstr`, which the VARIANT now owns.
    static Variant FromBstr(Bstr bstr) noexcept {
        Variant variant;
        variant.value_.vt = VT_BSTR;
        variant.value_.bstrVal = bstr.Detach();
        return variant;
    }

    const VARIANT& Get() const noexcept { return value_; }
    VARIANT* Put() noexcept {
        Clear();
        return &value_;
    }
    void Clear() noexcept {
        ole::VariantClear(&value_);
        ole::VariantInit(&value_);
    }

  private:
    VARIANT value_;
};

// `text` (ANSI code page) as a new BSTR. Throws std::bad_alloc when memory runs out, and
// ComError (E_INVALIDARG) when the text cannot be converted.
Bstr BstrFromString(const std::string& text);

// Any value that converts to text (VariantChangeType to VT_BSTR), in the ANSI code page;
// nullopt when it does not convert (for example VT_NULL or an object without a value).
// Characters the code page lacks become the system's default character.
std::optional<std::string> VariantToString(const VARIANT& value);

// Creates the object registered under `progId` (CLSIDFromProgID, then CoCreateInstance with
// CLSCTX_SERVER for IUnknown) and asks it for `iid`. `*object` is null unless all succeeded.
// The first call enters the thread's apartment (ole::EnterApartment): call it on the
// user-interface thread. Throws, as BstrFromString does, when `progId` cannot be converted.
HRESULT CreateObjectByProgId(const std::string& progId, REFIID iid, void** object);

// The same into an owner; `Interface` must be the interface `iid` names or one it derives from.
template <typename Interface>
HRESULT CreateObjectByProgId(const std::string& progId, REFIID iid, ComPtr<Interface>& object) {
    return CreateObjectByProgId(progId, iid, object.PutVoid());
}

// One argument passed by name.
struct NamedArgument {
    DISPID name;
    const VARIANT* value;
};

// The outcome of an IDispatch::Invoke. When the object raised an exception (DISP_E_EXCEPTION)
// and gave a failure code, `hr` is that code.
struct DispatchResult {
    HRESULT hr = E_FAIL;
    Variant value;
    bool Succeeded() const noexcept { return SUCCEEDED(hr); }
};

// Invokes `member` with the positional arguments in the order a caller writes them and the
// named arguments after them. Any exception text the object returns is freed here.
DispatchResult Invoke(IDispatch* object, DISPID member, WORD flags,
                      std::span<const VARIANT> positional = {},
                      std::span<const NamedArgument> named = {});

// Reads a property that takes no arguments.
DispatchResult PropertyGet(IDispatch* object, DISPID member);

// The dispatch identifier of the member called `name`; nullopt when the object has none. Throws,
// as BstrFromString does, when `name` cannot be converted.
std::optional<DISPID> GetIdOfName(IDispatch* object, const std::string& name);
