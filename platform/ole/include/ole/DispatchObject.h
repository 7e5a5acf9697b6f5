// The base of the automation objects that in-process servers hand out: a
// counted IDispatch whose Invoke reads its arguments through CDispArgs and
// turns a thrown CDispatchError into what a caller of Invoke expects.
#pragma once

#include "ole/OleAuto.h"

#include <atomic>
#include <exception>
#include <string>

namespace ole {

// Raised by a member. Argument errors (DISP_E_BADPARAMCOUNT,
// DISP_E_TYPEMISMATCH, DISP_E_PARAMNOTFOUND, DISP_E_MEMBERNOTFOUND, ...)
// are returned by Invoke as they are; any other code is an application
// error, reported as DISP_E_EXCEPTION with the code and the description in
// EXCEPINFO.
class CDispatchError : public std::exception {
public:
    explicit CDispatchError(HRESULT code, std::u16string description = {}, int argument = -1);
    HRESULT Code() const { return m_code; }
    const std::u16string& Description() const { return m_description; }
    // The positional argument (in call order) at fault, or -1.
    int Argument() const { return m_argument; }
    const char* what() const noexcept override { return "automation call failed"; }

private:
    HRESULT m_code;
    std::u16string m_description;
    int m_argument;
};

// The arguments of one Invoke, in call order.
class CDispArgs {
public:
    CDispArgs(const DISPPARAMS* params, WORD flags);

    // Positional arguments; a property put's value is not one of them.
    UINT Count() const { return m_count; }
    // Throws DISP_E_BADPARAMCOUNT unless min <= Count() <= max.
    void ExpectCount(UINT min, UINT max) const;

    // Argument i (0 is the first in call order). Missing means absent or
    // passed as VT_ERROR DISP_E_PARAMNOTFOUND.
    const VARIANT& At(UINT i) const;
    bool IsMissing(UINT i) const;
    // Converted as VariantChangeType does; a failed conversion throws
    // DISP_E_TYPEMISMATCH naming the argument, an absent one
    // DISP_E_PARAMNOTOPTIONAL.
    std::u16string String(UINT i) const;
    LONG Long(UINT i) const;
    bool Bool(UINT i) const;
    DATE Date(UINT i) const;

    // The value of a property put (the DISPID_PROPERTYPUT argument); throws
    // DISP_E_PARAMNOTFOUND when the call carries none.
    const VARIANT& PutValue() const;
    std::u16string PutString() const;
    LONG PutLong() const;
    bool PutBool() const;
    DATE PutDate() const;

private:
    const VARIANT& Required(UINT i) const;

    const DISPPARAMS* m_params;
    UINT m_count;
    const VARIANT* m_putValue = nullptr;
};

class CDispatchObject : public IDispatch {
public:
    CDispatchObject();
    CDispatchObject(const CDispatchObject&) = delete;
    CDispatchObject& operator=(const CDispatchObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    // Names are not offered: callers bind by DISPID.
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* dispIds) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override;

protected:
    virtual ~CDispatchObject();

    // One call. result is empty on entry; a member with a value fills it.
    // An unknown member or kind throws CDispatchError(DISP_E_MEMBERNOTFOUND).
    virtual void OnInvoke(DISPID member, WORD flags, const CDispArgs& args, VARIANT& result) = 0;
    // The source named in EXCEPINFO, the ProgID of the server as a rule.
    virtual std::u16string ErrorSource() const;

private:
    std::atomic<ULONG> m_references{1};
};

} // namespace ole
