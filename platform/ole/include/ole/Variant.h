// Small helpers over VARIANT for the code that makes and reads automation
// values: an owning wrapper, constructors of each kind, and readers that
// convert as VariantChangeType does.
#pragma once

#include "ole/OleAuto.h"

#include <optional>
#include <string>
#include <string_view>

namespace ole {

// A VARIANT that clears itself.
class CVariant : public VARIANT {
public:
    CVariant() { VariantInit(this); }
    ~CVariant() { VariantClear(this); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
};

// Each returns a VARIANT that the caller owns (a new BSTR; the object's
// reference is taken over, not added).
VARIANT MakeString(std::u16string_view text);
VARIANT MakeLong(LONG value);
VARIANT MakeShort(SHORT value);
VARIANT MakeBool(bool value);
VARIANT MakeDateVariant(DATE value);
VARIANT MakeDispatch(IDispatch* object);
// An optional argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND.
VARIANT MakeMissing();

bool IsMissing(const VARIANT& value);

// The value in the requested form, read through a reference; nullopt when it
// does not convert. A null BSTR reads as the empty string.
std::optional<std::u16string> ToString(const VARIANT& value);
std::optional<LONG> ToLong(const VARIANT& value);
std::optional<bool> ToBool(const VARIANT& value);
std::optional<DATE> ToDate(const VARIANT& value);

} // namespace ole
