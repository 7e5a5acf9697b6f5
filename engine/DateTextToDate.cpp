#include "DateTextToDate.h"

#include "ole/Variant.h"

DATE DateTextToDate(std::u16string_view text)
{
    ole::CVariant textValue;
    static_cast<VARIANT&>(textValue) = ole::MakeString(text);
    ole::CVariant dateValue;
    if (FAILED(VariantChangeType(&dateValue, &textValue, 0, VT_DATE)))
        return 0.0;
    return dateValue.date;
}
