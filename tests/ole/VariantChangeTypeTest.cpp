#include "ole/DateText.h"
#include "ole/Variant.h"

#include <gtest/gtest.h>

namespace {

std::u16string AsText(VARIANT value, USHORT flags = 0)
{
    ole::CVariant out;
    HRESULT hr = VariantChangeType(&out, &value, flags, VT_BSTR);
    VariantClear(&value);
    if (FAILED(hr))
        return u"<failed>";
    return std::u16string(out.bstrVal, SysStringLen(out.bstrVal));
}

HRESULT Change(VARIANT value, VARTYPE type, VARIANT& out)
{
    VariantInit(&out);
    HRESULT hr = VariantChangeType(&out, &value, 0, type);
    VariantClear(&value);
    return hr;
}

TEST(VariantChangeType, TextToDateUsesTheMachineDateForms)
{
    VARIANT out;
    ASSERT_EQ(Change(ole::MakeString(u"09/12/2026 14:30:05"), VT_DATE, out), S_OK);
    EXPECT_EQ(out.vt, VT_DATE);
    EXPECT_DOUBLE_EQ(out.date, ole::MakeDate(2026, 12, 9, 14, 30, 5));
    ASSERT_EQ(Change(ole::MakeString(u"2026-12-09"), VT_DATE, out), S_OK);
    EXPECT_DOUBLE_EQ(out.date, ole::MakeDate(2026, 12, 9));
}

TEST(VariantChangeType, FailedConversionLeavesTheTargetAlone)
{
    ole::CVariant target;
    static_cast<VARIANT&>(target) = ole::MakeLong(99);
    VARIANT list = ole::MakeString(u"09/12/2026;10/12/2026");
    EXPECT_EQ(VariantChangeType(&target, &list, 0, VT_DATE), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(target.vt, VT_I4);
    EXPECT_EQ(target.lVal, 99);
    VariantClear(&list);
}

TEST(VariantChangeType, NullStringIsEmptyText)
{
    VARIANT nullText;
    VariantInit(&nullText);
    nullText.vt = VT_BSTR;
    nullText.bstrVal = nullptr;
    VARIANT out;
    EXPECT_EQ(Change(nullText, VT_DATE, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(AsText(ole::MakeString(u"")), u"");
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(AsText(empty), u"");
}

TEST(VariantChangeType, InPlaceConversionFreesTheOldString)
{
    VARIANT v = ole::MakeString(u" 42 ");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 42); // the sanitizer build sees the string freed
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(std::u16string(v.bstrVal), u"42");
    VariantClear(&v);
}

TEST(VariantChangeType, ReadsThroughReferences)
{
    BSTR text = SysAllocString(u"01/02/2003");
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BSTR | VT_BYREF;
    ref.pbstrVal = &text;
    ole::CVariant out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_DATE), S_OK);
    EXPECT_DOUBLE_EQ(out.date, ole::MakeDate(2003, 2, 1));
    // Converting a reference to its own type copies the value out.
    ole::CVariant copy;
    ASSERT_EQ(VariantChangeType(&copy, &ref, 0, VT_BSTR), S_OK);
    EXPECT_NE(copy.bstrVal, text);
    SysFreeString(text);
    EXPECT_EQ(std::u16string(copy.bstrVal), u"01/02/2003");

    SHORT number = -5;
    VARIANT numberRef;
    VariantInit(&numberRef);
    numberRef.vt = VT_I2 | VT_BYREF;
    numberRef.piVal = &number;
    EXPECT_EQ(ole::ToLong(numberRef), -5);
}

TEST(VariantChangeType, NumbersRoundHalfToEvenAndReportOverflow)
{
    VARIANT out;
    ASSERT_EQ(Change(ole::MakeString(u"2.5"), VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, 2);
    ASSERT_EQ(Change(ole::MakeString(u"3.5"), VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, 4);
    ASSERT_EQ(Change(ole::MakeString(u"-1e3"), VT_I2, out), S_OK);
    EXPECT_EQ(out.iVal, -1000);
    EXPECT_EQ(Change(ole::MakeLong(40000), VT_I2, out), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(ole::MakeString(u"3000000000"), VT_I4, out), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(ole::MakeString(u"12abc"), VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(ole::MakeString(u"1,000"), VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(ole::MakeDateVariant(1e7 - 1), VT_I4, out), S_OK);
    EXPECT_EQ(Change(ole::MakeLong(3000000), VT_DATE, out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, BooleansAndTheirText)
{
    VARIANT out;
    ASSERT_EQ(Change(ole::MakeString(u"TRUE"), VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Change(ole::MakeString(u"0"), VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_FALSE);
    ASSERT_EQ(Change(ole::MakeLong(5), VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Change(ole::MakeBool(true), VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, -1);
    EXPECT_EQ(AsText(ole::MakeBool(true)), u"-1");
    EXPECT_EQ(AsText(ole::MakeBool(false), VARIANT_ALPHABOOL), u"False");
}

TEST(VariantChangeType, ValuesToText)
{
    EXPECT_EQ(AsText(ole::MakeLong(-123)), u"-123");
    EXPECT_EQ(AsText(ole::MakeShort(7)), u"7");
    VARIANT real;
    VariantInit(&real);
    real.vt = VT_R8;
    real.dblVal = 0.1;
    EXPECT_EQ(AsText(real), u"0.1");
    real.dblVal = 1e20;
    EXPECT_EQ(AsText(real), u"1E+20");
    EXPECT_EQ(AsText(ole::MakeDateVariant(ole::MakeDate(2026, 12, 9, 8, 5, 0))), u"09/12/2026 08:05:00");
}

TEST(VariantChangeType, ObjectsErrorsAndNullHaveNoOtherForm)
{
    VARIANT out;
    EXPECT_EQ(Change(ole::MakeMissing(), VT_BSTR, out), DISP_E_TYPEMISMATCH);
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(Change(null, VT_I4, out), DISP_E_TYPEMISMATCH);
    VARIANT nothing;
    VariantInit(&nothing);
    nothing.vt = VT_DISPATCH;
    EXPECT_EQ(Change(nothing, VT_BSTR, out), DISP_E_TYPEMISMATCH);
    ole::CVariant target;
    VARIANT number = ole::MakeLong(1);
    EXPECT_EQ(VariantChangeType(&target, &number, 0, VT_I4 | VT_BYREF), DISP_E_TYPEMISMATCH);
}

} // namespace

namespace {

// ToString reads a string, or a reference to one, without converting it: the
// text must still be the VARIANT's own, whole, and independent of it.
TEST(VariantToString, StringsAndReferencesToThemAreTheirWholeText)
{
    BSTR text = SysAllocStringLen(u"a\0b c", 5);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    const auto direct = ole::ToString(value);
    ASSERT_TRUE(direct);
    EXPECT_EQ(*direct, std::u16string(u"a\0b c", 5)) << "an embedded NUL is text like any other";
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BSTR | VT_BYREF;
    ref.pbstrVal = &text;
    EXPECT_EQ(ole::ToString(ref), direct);
    text[0] = u'z';
    EXPECT_EQ(direct->front(), u'a') << "the result is a copy, not a view of the BSTR";
    SysFreeString(text);

    value.bstrVal = nullptr;
    EXPECT_EQ(ole::ToString(value), std::u16string());
    BSTR none = nullptr;
    ref.pbstrVal = &none;
    EXPECT_EQ(ole::ToString(ref), std::u16string());
    ref.pbstrVal = nullptr;
    EXPECT_FALSE(ole::ToString(ref)) << "a reference to nothing has no text";
    // Other types still go through the conversion.
    EXPECT_EQ(ole::ToString(ole::MakeLong(-12)), std::u16string(u"-12"));
}

} // namespace
