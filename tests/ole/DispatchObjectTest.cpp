#include "ole/DispatchObject.h"
#include "ole/Variant.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A property bag by DISPID: get returns, put stores; 9 fails on purpose.
class CBag final : public ole::CDispatchObject {
public:
    static inline int s_alive = 0;
    CBag() { ++s_alive; }
    std::vector<std::u16string> seen;

protected:
    ~CBag() override { --s_alive; }

    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override
    {
        if (member == 9)
            throw ole::CDispatchError(E_ACCESSDENIED, u"no entry");
        if (member == 10) {
            args.ExpectCount(1, 3);
            for (UINT i = 0; i < args.Count(); ++i)
                seen.push_back(args.IsMissing(i) ? u"<missing>" : args.String(i));
            return;
        }
        if (member == 11)
            throw std::runtime_error("store write failed");
        if (member != 1)
            throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
        if (flags & DISPATCH_PROPERTYPUT)
            m_text = args.PutString();
        else
            result = ole::MakeString(m_text);
    }
    std::u16string ErrorSource() const override { return u"Test.Bag"; }

private:
    std::u16string m_text;
};

struct Call {
    std::vector<VARIANT> args; // in call order, converted to rgvarg order on Invoke
    std::vector<DISPID> named;
    HRESULT Invoke(IDispatch* object, DISPID member, WORD flags, VARIANT* result, EXCEPINFO* info = nullptr,
                   UINT* argError = nullptr)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), named.empty() ? nullptr : named.data(),
                          static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
        return object->Invoke(member, IID_NULL, 0, flags, &params, result, info, argError);
    }
    ~Call()
    {
        for (auto& v : args)
            VariantClear(&v);
    }
};

class DispatchObject : public ::testing::Test {
protected:
    void SetUp() override { m_bag = new CBag; }
    void TearDown() override
    {
        m_bag->Release();
        EXPECT_EQ(CBag::s_alive, 0);
    }
    CBag* m_bag = nullptr;
};

TEST_F(DispatchObject, PutWithTheNamedArgumentThenGet)
{
    Call put;
    put.args.push_back(ole::MakeString(u"kept"));
    put.named.push_back(DISPID_PROPERTYPUT);
    ASSERT_EQ(put.Invoke(m_bag, 1, DISPATCH_PROPERTYPUT, nullptr), S_OK);

    Call get;
    ole::CVariant result;
    ASSERT_EQ(get.Invoke(m_bag, 1, DISPATCH_PROPERTYGET, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(result.bstrVal), u"kept");
}

TEST_F(DispatchObject, PutWithoutAValueIsRefused)
{
    Call put;
    EXPECT_EQ(put.Invoke(m_bag, 1, DISPATCH_PROPERTYPUT, nullptr), DISP_E_PARAMNOTFOUND);
}

TEST_F(DispatchObject, ArgumentsArriveInCallOrderWithMissingOnesMarked)
{
    Call call;
    call.args.push_back(ole::MakeString(u"first"));
    call.args.push_back(ole::MakeMissing());
    call.args.push_back(ole::MakeLong(3));
    ASSERT_EQ(call.Invoke(m_bag, 10, DISPATCH_METHOD, nullptr), S_OK);
    EXPECT_EQ(m_bag->seen, (std::vector<std::u16string>{u"first", u"<missing>", u"3"}));
}

TEST_F(DispatchObject, ArgumentErrorsAreReturnedAsTheyAre)
{
    Call none;
    EXPECT_EQ(none.Invoke(m_bag, 10, DISPATCH_METHOD, nullptr), DISP_E_BADPARAMCOUNT);
    Call unknown;
    EXPECT_EQ(unknown.Invoke(m_bag, 77, DISPATCH_METHOD, nullptr), DISP_E_MEMBERNOTFOUND);

    Call wrongType;
    wrongType.args.push_back(ole::MakeLong(1));
    VARIANT object;
    VariantInit(&object);
    object.vt = VT_DISPATCH;
    wrongType.args.push_back(object);
    UINT argError = 99;
    EXPECT_EQ(wrongType.Invoke(m_bag, 10, DISPATCH_METHOD, nullptr, nullptr, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u); // the second of two, counted in rgvarg order
}

TEST_F(DispatchObject, ApplicationErrorsComeThroughExceptionInfo)
{
    Call call;
    EXCEPINFO info{};
    EXPECT_EQ(call.Invoke(m_bag, 9, DISPATCH_METHOD, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_ACCESSDENIED);
    EXPECT_EQ(std::u16string(info.bstrDescription), u"no entry");
    EXPECT_EQ(std::u16string(info.bstrSource), u"Test.Bag");
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);

    // A fault from below the member is the call's failure too.
    EXCEPINFO fault{};
    EXPECT_EQ(call.Invoke(m_bag, 11, DISPATCH_METHOD, nullptr, &fault), DISP_E_EXCEPTION);
    EXPECT_EQ(fault.scode, E_FAIL);
    EXPECT_EQ(std::u16string(fault.bstrDescription), u"store write failed");
    SysFreeString(fault.bstrDescription);
    SysFreeString(fault.bstrSource);
}

TEST_F(DispatchObject, InterfacesAndReferences)
{
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(m_bag->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(dispatch->Release(), 1u);
    void* factory = nullptr;
    EXPECT_EQ(m_bag->QueryInterface(IID_IClassFactory, &factory), E_NOINTERFACE);
    EXPECT_EQ(factory, nullptr);
    Call call;
    EXPECT_EQ(m_bag->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

} // namespace
