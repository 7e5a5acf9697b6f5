// TestServer.dll: a small in-process automation server that proves the
// registration chain and the dispatch layer end to end.
//
// Members of its object (ProgID "Marlwick.TestServer"):
//   1 method  Echo(text)            the text back
//   2 property Value                any value, kept
//   3 method  Fail()                an application error with a description
//   4 method  CountPresent(...)     how many arguments are not left out
//   5 method  Child()               a new object of the same class
//   6 method  Sum(a, b)             a + b as a LONG
//   7 method  Fill(BSTR*, SHORT*)   writes "filled" and 7 through the references
//   8 property Shared               the value of SharedProbe, common to servers
// Built a second time as OtherServer.dll with OTHER_SERVER defined.
#include "SharedProbe.h"
#include "TestServerIds.h"

#include "ole/ClassFactory.h"
#include "ole/DispatchObject.h"
#include "ole/ServerRegistration.h"
#include "ole/Variant.h"

namespace {

#ifdef OTHER_SERVER
const ole::ServerClass kClass{kOtherServerProgId, kOtherServerClsid, u"Marlwick second test server"};
#else
const ole::ServerClass kClass{kTestServerProgId, kTestServerClsid, u"Marlwick test automation server"};
#endif

class CTestObject final : public ole::CDispatchObject {
public:
    ~CTestObject() override { VariantClear(&m_value); }

protected:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override
    {
        switch (member) {
        case kDispEcho:
            args.ExpectCount(1, 1);
            result = ole::MakeString(args.String(0));
            return;
        case kDispValue:
            if (flags & DISPATCH_PROPERTYPUT) {
                HRESULT hr = VariantCopy(&m_value, &args.PutValue());
                if (FAILED(hr))
                    throw ole::CDispatchError(hr);
            } else {
                VariantCopy(&result, &m_value);
            }
            return;
        case kDispFail:
            throw ole::CDispatchError(kTestServerFailure, u"The test object refused the call");
        case kDispCountPresent: {
            LONG present = 0;
            for (UINT i = 0; i < args.Count(); ++i)
                present += args.IsMissing(i) ? 0 : 1;
            result = ole::MakeLong(present);
            return;
        }
        case kDispChild:
            result = ole::MakeDispatch(new CTestObject);
            return;
        case kDispSum:
            args.ExpectCount(2, 2);
            result = ole::MakeLong(args.Long(0) + args.Long(1));
            return;
        case kDispFill: {
            args.ExpectCount(2, 2);
            const VARIANT& text = args.At(0);
            const VARIANT& number = args.At(1);
            if (text.vt != (VT_BSTR | VT_BYREF) || number.vt != (VT_I2 | VT_BYREF))
                throw ole::CDispatchError(DISP_E_TYPEMISMATCH);
            SysReAllocString(text.pbstrVal, u"filled");
            *number.piVal = 7;
            return;
        }
        case kDispShared:
            if (flags & DISPATCH_PROPERTYPUT)
                probe::SharedValue() = args.PutLong();
            else
                result = ole::MakeLong(probe::SharedValue());
            return;
        default:
            throw ole::CDispatchError(DISP_E_MEMBERNOTFOUND);
        }
    }

    std::u16string ErrorSource() const override { return kClass.progId; }

private:
    VARIANT m_value{};
};

IUnknown* CreateTestObject()
{
    return static_cast<IDispatch*>(new CTestObject);
}

const ole::ServedClass kServed[] = {{kClass.clsid, CreateTestObject}};

// An address inside this library, to find its own file.
const int g_anchor = 0;

} // namespace

OLE_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return ole::GetServedClassObject(kServed, clsid, iid, object);
}

OLE_SERVER_EXPORT HRESULT DllRegisterServer()
{
    std::u16string path = ole::ServerLibraryPath(&g_anchor);
    if (path.empty())
        return SELFREG_E_CLASS;
    return ole::RegisterServerClass(kClass, path);
}

OLE_SERVER_EXPORT HRESULT DllUnregisterServer()
{
    return ole::UnregisterServerClass(kClass);
}
