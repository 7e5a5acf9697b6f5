#include "RdoItemProperties.h"

void RdoPutText(COleDispatchDriver& item, DISPID property, LPCWSTR text)
{
    item.SetProperty(property, VT_BSTR, text);
}

void RdoPutDate(COleDispatchDriver& item, DISPID property, DATE value)
{
    item.SetProperty(property, VT_DATE, value);
}

void RdoPutBool(COleDispatchDriver& item, DISPID property, BOOL value)
{
    item.SetProperty(property, VT_BOOL, value);
}

void RdoPutLong(COleDispatchDriver& item, DISPID property, LONG value)
{
    item.SetProperty(property, VT_I4, value);
}
