#include "CountedObject.h"

#include "afx/OleDispatchDriver.h"
#include "ole/Variant.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Records what one Invoke received and answers as it is told.
class RecordingObject : public CountedObject {
public:
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* info, UINT*) override
    {
        ++calls;
        lastMember = member;
        lastFlags = flags;
        types.clear();
        texts.clear();
        named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        for (UINT i = params->cArgs; i-- > 0;) { // back to call order
            const VARIANT& v = params->rgvarg[i];
            types.push_back(v.vt);
            texts.push_back(ole::ToString(v).value_or(u"?"));
        }
        if (!params->rgvarg && params->cArgs)
            return E_POINTER;
        if (failWith == DISP_E_EXCEPTION) {
            *info = EXCEPINFO{};
            info->scode = static_cast<SCODE>(0x80041234);
            info->bstrDescription = SysAllocString(u"refused");
            info->bstrSource = SysAllocString(u"Recorder");
            return DISP_E_EXCEPTION;
        }
        if (FAILED(failWith))
            return failWith;
        if (result)
            VariantCopy(result, &answer);
        // The first argument in call order is the last in rgvarg.
        VARIANT* first = params->cArgs ? &params->rgvarg[params->cArgs - 1] : nullptr;
        if (byRefWrite && first && first->vt == (VT_BSTR | VT_BYREF))
            SysReAllocString(first->pbstrVal, u"written back");
        return S_OK;
    }

    ~RecordingObject() { VariantClear(&answer); }

    int calls = 0;
    DISPID lastMember = 0;
    WORD lastFlags = 0;
    std::vector<VARTYPE> types;
    std::vector<std::u16string> texts;
    std::vector<DISPID> named;
    VARIANT answer{};
    HRESULT failWith = S_OK;
    bool byRefWrite = false;
};

class DispatchDriver : public ::testing::Test {
protected:
    void SetUp() override { m_driver.AttachDispatch(&m_object, FALSE); }
    RecordingObject m_object;
    COleDispatchDriver m_driver;
};

const BYTE* Params(const char* vts)
{
    return reinterpret_cast<const BYTE*>(vts);
}

TEST_F(DispatchDriver, ParameterStringsBecomeTypedArgumentsInCallOrder)
{
    static const char kinds[] = VTS_BSTR VTS_I2 VTS_I4 VTS_BOOL VTS_DATE VTS_VARIANT;
    VARIANT missing = ole::MakeMissing();
    m_driver.InvokeHelper(0x6003002D, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(kinds), u"text", SHORT(2),
                          LONG(-70000), TRUE, 46365.5, &missing);
    EXPECT_EQ(m_object.lastMember, 0x6003002D);
    EXPECT_EQ(m_object.lastFlags, DISPATCH_METHOD);
    EXPECT_EQ(m_object.types, (std::vector<VARTYPE>{VT_BSTR, VT_I2, VT_I4, VT_BOOL, VT_DATE, VT_ERROR}));
    EXPECT_EQ(m_object.texts,
              (std::vector<std::u16string>{u"text", u"2", u"-70000", u"-1", u"09/12/2026 12:00:00", u"?"}));
    EXPECT_TRUE(m_object.named.empty());
}

TEST_F(DispatchDriver, ReferenceArgumentsReachTheCallersStorage)
{
    static const char kinds[] = VTS_PBSTR VTS_PI2;
    BSTR path = SysAllocString(u"C:\\x.pst");
    SHORT kind = 2;
    m_object.byRefWrite = true;
    m_driver.InvokeHelper(0x6003002B, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(kinds), &path, &kind);
    EXPECT_EQ(m_object.types, (std::vector<VARTYPE>{VT_BSTR | VT_BYREF, VT_I2 | VT_BYREF}));
    EXPECT_EQ(m_object.texts, (std::vector<std::u16string>{u"C:\\x.pst", u"2"}));
    EXPECT_EQ(std::u16string(path), u"written back");
    SysFreeString(path);
}

TEST_F(DispatchDriver, NullStringArgumentIsAnEmptyBstr)
{
    static const char kinds[] = VTS_BSTR;
    m_driver.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(kinds), static_cast<const WCHAR*>(nullptr));
    EXPECT_EQ(m_object.types, (std::vector<VARTYPE>{VT_BSTR}));
    EXPECT_EQ(m_object.texts, (std::vector<std::u16string>{u""}));
}

TEST_F(DispatchDriver, PutsPassTheValueAsTheNamedArgument)
{
    m_driver.SetProperty(0x60040042, VT_DATE, 46365.25);
    EXPECT_EQ(m_object.lastFlags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(m_object.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
    EXPECT_EQ(m_object.types, (std::vector<VARTYPE>{VT_DATE}));

    static const char kinds[] = VTS_BOOL;
    m_driver.InvokeHelper(0x41, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(kinds), TRUE);
    EXPECT_EQ(m_object.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
    EXPECT_EQ(m_object.texts, (std::vector<std::u16string>{u"-1"}));

    m_driver.SetProperty(0, VT_BSTR, u"Subject line");
    EXPECT_EQ(m_object.texts, (std::vector<std::u16string>{u"Subject line"}));
}

TEST_F(DispatchDriver, ResultsAreConvertedToTheRequestedType)
{
    m_object.answer = ole::MakeString(u"123");
    LONG number = 0;
    m_driver.InvokeHelper(2, DISPATCH_PROPERTYGET, VT_I4, &number, nullptr);
    EXPECT_EQ(number, 123);

    std::u16string text;
    m_driver.GetProperty(2, VT_BSTR, &text);
    EXPECT_EQ(text, u"123");

    VARIANT raw;
    VariantInit(&raw);
    m_driver.InvokeHelper(2, DISPATCH_METHOD, VT_VARIANT, &raw, nullptr);
    EXPECT_EQ(raw.vt, VT_BSTR);
    VariantClear(&raw);

    VariantClear(&m_object.answer);
    m_object.answer = ole::MakeString(u"not a date");
    DATE date = 1;
    EXPECT_THROW(m_driver.GetProperty(2, VT_DATE, &date), COleException);
    EXPECT_EQ(date, 1);
}

TEST_F(DispatchDriver, ObjectResultsCarryOneReferenceForTheCaller)
{
    CountedObject child;
    child.AddRef();
    m_object.answer = ole::MakeDispatch(&child); // the answer's own reference
    LPDISPATCH got = nullptr;
    m_driver.InvokeHelper(0x12, DISPATCH_PROPERTYGET, VT_DISPATCH, &got, nullptr);
    ASSERT_EQ(got, &child);
    EXPECT_EQ(child.references, 3u);
    {
        COleDispatchDriver holder;
        holder.AttachDispatch(got);
    }
    EXPECT_EQ(child.references, 2u);
    VariantClear(&m_object.answer);
    EXPECT_EQ(child.references, 1u);
}

TEST_F(DispatchDriver, ApplicationErrorsThrowTheDispatchException)
{
    m_object.failWith = DISP_E_EXCEPTION;
    try {
        m_driver.InvokeHelper(0x6003002A, DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_strDescription, u"refused");
        EXPECT_EQ(e.m_strSource, u"Recorder");
        EXPECT_EQ(static_cast<unsigned>(e.m_scError), 0x80041234u);
    }
    m_object.failWith = DISP_E_MEMBERNOTFOUND;
    try {
        m_driver.InvokeHelper(0x77, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const COleException& e) {
        EXPECT_EQ(e.m_sc, DISP_E_MEMBERNOTFOUND);
    }
}

TEST(DispatchDriverEmpty, CallsOnAnEmptyDriverDoNothing)
{
    COleDispatchDriver empty;
    static const char kinds[] = VTS_PBSTR VTS_PBSTR;
    BSTR a = nullptr;
    std::u16string result = u"untouched";
    EXPECT_NO_THROW(empty.InvokeHelper(0x6003002B, DISPATCH_METHOD, VT_BSTR, &result, Params(kinds), &a, &a));
    EXPECT_NO_THROW(empty.SetProperty(1, VT_I4, 5));
    EXPECT_NO_THROW(empty.GetProperty(1, VT_BSTR, &result));
    EXPECT_EQ(result, u"untouched");
    EXPECT_EQ(empty.m_lpDispatch, nullptr);
}

TEST(DispatchDriverLifetime, AttachDetachCopyAndRelease)
{
    CountedObject object;
    {
        COleDispatchDriver first;
        object.AddRef();
        first.AttachDispatch(&object); // takes that reference
        COleDispatchDriver second(first);
        EXPECT_EQ(object.references, 3u);
        COleDispatchDriver third;
        third = second;
        EXPECT_EQ(object.references, 4u);
        LPDISPATCH detached = third.DetachDispatch();
        EXPECT_EQ(third.m_lpDispatch, nullptr);
        EXPECT_EQ(object.references, 4u);
        detached->Release();
        second.ReleaseDispatch();
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);

    COleDispatchDriver borrowed(&object, FALSE);
    borrowed.ReleaseDispatch();
    EXPECT_EQ(object.references, 1u);
}

} // namespace
