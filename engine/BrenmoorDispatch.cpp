#include "BrenmoorDispatch.h"

#include "DispatchParams.h"
#include "ole/Variant.h"

#include <string>

namespace {

enum : DISPID {
    kCall2A = 0x6003002A,
    kCall2B = 0x6003002B,
    kCall2C = 0x6003002C,
    kCall2D = 0x6003002D,
    kCall2E = 0x6003002E,
    kCall2F = 0x6003002F,
};

} // namespace

void Brenmoor_Call6003002A(COleDispatchDriver& brenmoor)
{
    ole::CVariant ignored;
    brenmoor.InvokeHelper(kCall2A, DISPATCH_METHOD, VT_VARIANT, &ignored, nullptr);
}

void Brenmoor_Call6003002B(COleDispatchDriver& brenmoor, BSTR* pstPath, BSTR* targetFolder)
{
    std::u16string ignored;
    brenmoor.InvokeHelper(kCall2B, DISPATCH_METHOD, VT_BSTR, &ignored, Params(VTS_PBSTR VTS_PBSTR), pstPath,
                          targetFolder);
}

void Brenmoor_Call6003002C(COleDispatchDriver& brenmoor, BSTR* folderPath)
{
    std::u16string ignored;
    brenmoor.InvokeHelper(kCall2C, DISPATCH_METHOD, VT_BSTR, &ignored, Params(VTS_PBSTR), folderPath);
}

void Brenmoor_Call6003002E(COleDispatchDriver& brenmoor, BSTR* folderPath)
{
    std::u16string ignored;
    brenmoor.InvokeHelper(kCall2E, DISPATCH_METHOD, VT_BSTR, &ignored, Params(VTS_PBSTR), folderPath);
}

void Brenmoor_Call6003002D(COleDispatchDriver& brenmoor, const BrenmoorMessageArgs& parts)
{
    std::u16string ignored;
    brenmoor.InvokeHelper(kCall2D, DISPATCH_METHOD, VT_BSTR, &ignored,
                          Params(VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PBSTR VTS_PI2
                                     VTS_PBSTR VTS_PBSTR),
                          parts.folderPath, parts.subject, parts.to, parts.emlPath, parts.date, parts.attachments,
                          parts.body, parts.bodyKind, parts.cc, parts.spare);
}

void Brenmoor_Call6003002F(COleDispatchDriver& brenmoor)
{
    ole::CVariant ignored;
    brenmoor.InvokeHelper(kCall2F, DISPATCH_METHOD, VT_VARIANT, &ignored, nullptr);
}
