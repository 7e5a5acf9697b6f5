#include "ole/DispatchObject.h"

#include "win32/Thread.h"

#include <new>
#include <string>

namespace {

bool IsArgumentError(HRESULT code)
{
    switch (code) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_PARAMNOTFOUND:
    case DISP_E_TYPEMISMATCH:
    case DISP_E_NONAMEDARGS:
    case DISP_E_BADVARTYPE:
    case DISP_E_OVERFLOW:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
        return true;
    default:
        return false;
    }
}

void FillException(EXCEPINFO* info, HRESULT code, const std::u16string& source, const std::u16string& description)
{
    if (!info)
        return;
    *info = EXCEPINFO{};
    info->scode = code;
    info->bstrSource = SysAllocStringLen(source.data(), static_cast<UINT>(source.size()));
    info->bstrDescription = SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
}

} // namespace

namespace ole {

CDispatchObject::CDispatchObject() = default;
CDispatchObject::~CDispatchObject() = default;

HRESULT CDispatchObject::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CDispatchObject::AddRef()
{
    return ++m_references;
}

ULONG CDispatchObject::Release()
{
    ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CDispatchObject::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CDispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CDispatchObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT nameCount, LCID, DISPID* dispIds)
{
    for (UINT i = 0; dispIds && i < nameCount; ++i)
        dispIds[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT CDispatchObject::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* argError)
{
    // Every automation call of the servers passes here: a safe point of
    // the calling thread, outside the handlers below.
    win32::ThreadSafePoint();
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!params)
        return E_INVALIDARG;
    VARIANT value;
    VariantInit(&value);
    try {
        CDispArgs args(params, flags);
        OnInvoke(member, flags, args, value);
    } catch (const CDispatchError& error) {
        VariantClear(&value);
        if (IsArgumentError(error.Code())) {
            if (argError && error.Argument() >= 0)
                *argError = static_cast<UINT>(params->cArgs - 1 - static_cast<UINT>(error.Argument()));
            return error.Code();
        }
        FillException(exception, error.Code(), ErrorSource(), error.Description());
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        VariantClear(&value);
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        // A fault below the member (a failed store write, say) is still
        // the call's failure, reported like the member's own errors.
        VariantClear(&value);
        std::string what = error.what();
        FillException(exception, E_FAIL, ErrorSource(), std::u16string(what.begin(), what.end()));
        return DISP_E_EXCEPTION;
    }
    if (result)
        *result = value;
    else
        VariantClear(&value);
    return S_OK;
}

std::u16string CDispatchObject::ErrorSource() const
{
    return {};
}

} // namespace ole
