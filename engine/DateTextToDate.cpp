#include "DateTextToDate.h"

#include "ole/Variant.h"

DATE DateTextToDate(LPCWSTR text)
{
    ole::CVariant textValue;
    textValue.vt = VT_BSTR;
    textValue.bstrVal = SysAllocString(text);
    ole::CVariant dateValue;
    if (FAILED(VariantChangeType(&dateValue, &textValue, 0, VT_DATE)))
        return 0.0;
    return dateValue.date;
}
