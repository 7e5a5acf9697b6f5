#include "CountedObject.h"

#include "ole/Variant.h"

#include <gtest/gtest.h>

namespace {

TEST(Bstr, KeepsLengthEmbeddedNullsAndTerminator)
{
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], u'b');
    EXPECT_EQ(s[3], 0);
    SysFreeString(s);

    BSTR blank = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), 4u);
    EXPECT_EQ(std::u16string(blank, 4), std::u16string(4, u'\0'));
    SysFreeString(blank);
}

TEST(Bstr, NullIsTheEmptyString)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    BSTR s = SysAllocString(u"old");
    ASSERT_TRUE(SysReAllocString(&s, nullptr));
    EXPECT_EQ(SysStringLen(s), 0u);
    ASSERT_TRUE(SysReAllocString(&s, u"newer"));
    EXPECT_EQ(std::u16string(s), u"newer");
    SysFreeString(s);
}

TEST(Variant, ClearFreesTheStringAndReleasesTheObject)
{
    VARIANT v = ole::MakeString(u"held");
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);

    CountedObject object;
    object.AddRef(); // the VARIANT's reference
    VARIANT d = ole::MakeDispatch(&object);
    ASSERT_EQ(object.references, 2u);
    VariantClear(&d);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(d.vt, VT_EMPTY);
}

TEST(Variant, ByReferenceValuesOwnNothing)
{
    BSTR owned = SysAllocString(u"caller's");
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BSTR | VT_BYREF;
    ref.pbstrVal = &owned;
    VariantClear(&ref);
    EXPECT_EQ(ref.vt, VT_EMPTY);
    EXPECT_EQ(std::u16string(owned), u"caller's"); // still alive
    SysFreeString(owned);
}

TEST(Variant, UnknownTypesAreRefusedAndLeftAlone)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = 0x0FFF;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(v.vt, 0x0FFF);
}

TEST(Variant, CopyIsDeep)
{
    ole::CVariant source;
    static_cast<VARIANT&>(source) = ole::MakeString(u"text");
    ole::CVariant copy;
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(std::u16string(copy.bstrVal), u"text");

    CountedObject object;
    VARIANT d = ole::MakeDispatch(&object);
    {
        ole::CVariant second;
        VariantCopy(&second, &d);
        EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(Variant, MissingArgumentMarker)
{
    VARIANT missing = ole::MakeMissing();
    EXPECT_EQ(missing.vt, VT_ERROR);
    EXPECT_EQ(missing.scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(static_cast<unsigned>(DISP_E_PARAMNOTFOUND), 0x80020004u);
    EXPECT_TRUE(ole::IsMissing(missing));
    VARIANT other = missing;
    other.scode = E_FAIL;
    EXPECT_FALSE(ole::IsMissing(other));
    VARIANT empty = ole::MakeLong(0);
    EXPECT_FALSE(ole::IsMissing(empty));
}

TEST(Guid, TextFormRoundTripsAndRejectsMalformedText)
{
    GUID guid{0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};
    EXPECT_EQ(ole::GuidText(guid), u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    CLSID parsed{};
    ASSERT_EQ(CLSIDFromString(u"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}", &parsed), S_OK);
    EXPECT_EQ(parsed, guid);
    for (const char16_t* bad : {u"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9", u"{0A1B2C3D-4E5F-6071-8293A4B5C6D7E8F9}",
                                u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}", u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG}",
                                u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}x", u""}) {
        EXPECT_EQ(CLSIDFromString(bad, &parsed), CO_E_CLASSSTRING) << Utf16ToUtf8(bad);
    }
    WCHAR small[10];
    EXPECT_EQ(StringFromGUID2(guid, small, 10), 0);
    WCHAR enough[39];
    EXPECT_EQ(StringFromGUID2(guid, enough, 39), 39);
}

} // namespace
