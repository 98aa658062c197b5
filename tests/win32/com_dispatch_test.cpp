// The COM automation helper against a dispatch object written here, which records what each
// call hands it, and against the system's own conversions.

#include "platform/com_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts its references (it lives on the stack; nothing is deleted) and records the last
// Invoke: member, flags, each argument as text in the order IDispatch received them, the
// names of the named ones, and whether a result was asked for.
class RecordingDispatch final : public IDispatch {
  public:
    LONG references = 1;
    DISPID member = DISPID_UNKNOWN;
    WORD flags = 0;
    std::vector<std::string> arguments;
    std::vector<DISPID> names;
    bool resultAsked = false;
    // What Invoke answers: S_OK gives the text "done"; DISP_E_EXCEPTION fills EXCEPINFO.
    HRESULT answer = S_OK;
    SCODE exceptionCode = 0;
    bool deferExceptionInfo = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* requested, UINT count, LCID,
                                            DISPID* ids) override {
        if (count == 1 && lstrcmpiW(requested[0], L"Address") == 0) {
            ids[0] = 0x3003;
            return S_OK;
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD how, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        member = id;
        flags = how;
        arguments.clear();
        names.assign(parameters->rgdispidNamedArgs,
                     parameters->rgdispidNamedArgs + parameters->cNamedArgs);
        for (UINT i = 0; i < parameters->cArgs; ++i) {
            arguments.push_back(VariantToString(parameters->rgvarg[i]).value_or("?"));
        }
        resultAsked = result != nullptr;
        if (answer == DISP_E_EXCEPTION) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"Recording");
            exception->bstrDescription = SysAllocString(L"refused");
            if (deferExceptionInfo) {
                exception->pfnDeferredFillIn = &FillIn;
                fillInTarget = this;
            } else {
                exception->scode = exceptionCode;
            }
            return answer;
        }
        if (SUCCEEDED(answer) && result != nullptr) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(L"done");
        }
        return answer;
    }

  private:
    static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* exception) {
        exception->scode = fillInTarget->exceptionCode;
        return S_OK;
    }
    static inline RecordingDispatch* fillInTarget = nullptr;
};

Variant Text(const std::string& text) {
    return Variant::FromBstr(BstrFromString(text));
}

TEST(DispatchInvoke, NamedArgumentsComeFirstAndPositionalOnesLastToFirst) {
    RecordingDispatch object;
    const Variant first = Text("first");
    const Variant second = Text("second");
    VARIANT positional[2];
    positional[0] = first.Get();
    positional[1] = second.Get();
    const Variant byName = Text("by name");
    const NamedArgument named[] = {{6, &byName.Get()}};

    const DispatchResult result = Invoke(&object, 119, DISPATCH_METHOD, positional, named);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(object.member, 119);
    EXPECT_EQ(object.flags, DISPATCH_METHOD);
    EXPECT_EQ(object.arguments, (std::vector<std::string>{"by name", "second", "first"}));
    EXPECT_EQ(object.names, std::vector<DISPID>{6});
    EXPECT_EQ(VariantToString(result.value.Get()), std::optional<std::string>("done"));
}

TEST(DispatchInvoke, PropertyGetPassesNoArgumentsAndAsksForTheValue) {
    RecordingDispatch object;
    const DispatchResult result = PropertyGet(&object, 23);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(object.member, 23);
    EXPECT_EQ(object.flags, DISPATCH_PROPERTYGET);
    EXPECT_TRUE(object.arguments.empty());
    EXPECT_TRUE(object.names.empty());
    EXPECT_TRUE(object.resultAsked);
}

TEST(DispatchInvoke, APropertyPutAsksForNoValue) {
    RecordingDispatch object;
    const Variant value = Text("x");
    DISPID put = DISPID_PROPERTYPUT;
    const NamedArgument named[] = {{put, &value.Get()}};
    EXPECT_TRUE(Invoke(&object, 5, DISPATCH_PROPERTYPUT, {}, named).Succeeded());
    EXPECT_FALSE(object.resultAsked);
}

TEST(DispatchInvoke, AnExceptionReportsTheObjectsFailureCode) {
    RecordingDispatch object;
    object.answer = DISP_E_EXCEPTION;
    object.exceptionCode = static_cast<SCODE>(0x80040111);
    EXPECT_EQ(Invoke(&object, 119, DISPATCH_METHOD).hr, static_cast<HRESULT>(0x80040111));

    object.deferExceptionInfo = true;
    object.exceptionCode = static_cast<SCODE>(0x8004011D);
    EXPECT_EQ(Invoke(&object, 119, DISPATCH_METHOD).hr, static_cast<HRESULT>(0x8004011D));

    // Without a failure code the exception itself is the failure.
    object.deferExceptionInfo = false;
    object.exceptionCode = 0;
    const DispatchResult result = Invoke(&object, 119, DISPATCH_METHOD);
    EXPECT_EQ(result.hr, DISP_E_EXCEPTION);
    EXPECT_FALSE(result.Succeeded());
}

TEST(DispatchInvoke, NoObjectIsAFailureNotACrash) {
    EXPECT_EQ(Invoke(nullptr, 1, DISPATCH_METHOD).hr, E_POINTER);
    EXPECT_EQ(GetIdOfName(nullptr, "Address"), std::nullopt);
}

TEST(DispatchNames, KnownAndUnknownMembers) {
    RecordingDispatch object;
    EXPECT_EQ(GetIdOfName(&object, "Address"), std::optional<DISPID>(0x3003));
    EXPECT_EQ(GetIdOfName(&object, "Adress"), std::nullopt);
}

TEST(ComOwners, EveryReferenceIsReleasedExactlyOnce) {
    RecordingDispatch object;
    {
        ComPtr<IDispatch> owner(&object);
        object.AddRef(); // the reference `owner` adopted
        ComPtr<IUnknown> asUnknown;
        ASSERT_EQ(owner->QueryInterface(IID_IUnknown, asUnknown.PutVoid()), S_OK);
        EXPECT_EQ(object.references, 3);
        ComPtr<IDispatch> moved(std::move(owner));
        EXPECT_FALSE(owner);
        ComPtr<IDispatch> assigned;
        assigned = std::move(moved);
        EXPECT_EQ(object.references, 3);
        assigned = ComPtr<IDispatch>();
        EXPECT_EQ(object.references, 2);
    }
    EXPECT_EQ(object.references, 1);
}

TEST(ComOwners, AVariantHoldingAnObjectReleasesIt) {
    RecordingDispatch object;
    {
        Variant holder;
        VARIANT* slot = holder.Put();
        object.AddRef(); // the reference the VARIANT holds
        slot->vt = VT_DISPATCH;
        slot->pdispVal = &object;
        Variant moved(std::move(holder));
        EXPECT_EQ(holder.Get().vt, VT_EMPTY);
        EXPECT_EQ(object.references, 2);
    }
    EXPECT_EQ(object.references, 1);
}

TEST(AnsiText, ConvertsBothWaysThroughTheCodePage) {
    const std::string text = "Z\xFCrich \xC5sa";
    const Variant value = Text(text);
    ASSERT_EQ(value.Get().vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(value.Get().bstrVal), text.size());
    EXPECT_EQ(VariantToString(value.Get()), std::optional<std::string>(text));

    const Bstr empty = BstrFromString("");
    ASSERT_NE(empty.Get(), nullptr);
    EXPECT_EQ(SysStringLen(empty.Get()), 0u);
}

TEST(AnsiText, OtherValuesConvertOrAreRefused) {
    Variant number;
    VARIANT* slot = number.Put();
    slot->vt = VT_I4;
    slot->lVal = 42;
    EXPECT_EQ(VariantToString(number.Get()), std::optional<std::string>("42"));

    Variant nothing;
    EXPECT_EQ(VariantToString(nothing.Get()), std::optional<std::string>(""));

    Variant null;
    null.Put()->vt = VT_NULL;
    EXPECT_EQ(VariantToString(null.Get()), std::nullopt);
}

TEST(CreateObject, AnUnregisteredProgIdGivesAFailureAndNoObject) {
    ComPtr<IDispatch> object;
    EXPECT_TRUE(FAILED(CreateObjectByProgId("Varnel.NoSuchObject", IID_IDispatch, object)));
    EXPECT_FALSE(object);
}

} // namespace
