// A message's recipient and attachment tables are copies of empty tables
// kept per layout: each copy must be the table laying it out would give, and
// what a save adds to its copy must never reach the kept one.
#include "message/MessageNode.h"
#include "message/MessageTables.h"
#include "message/OneOff.h"
#include "mapi/ltp/TableTemplates.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mapi;
using namespace mapi::message;

namespace {

// A property of a recipient that no template column holds.
constexpr std::uint32_t kExtraTag = PROP_TAG(PT_UNICODE, 0x3A45);

const std::vector<std::uint32_t>& Template(ltp::TableKind kind) { return ltp::GetTableTemplate(kind).columns; }

CMessageTables Prepared()
{
    CMessageTables tables;
    tables.SetTemplates(Template(ltp::TableKind::Recipients), Template(ltp::TableKind::Attachments));
    return tables;
}

Recipient WithExtra(const std::u16string& name)
{
    Recipient r{MAPI_TO, name, u"a@example.com", u"SMTP", {}};
    r.extra.Set(kExtraTag, ltp::PropertyValue::Unicode(u"extra"));
    return r;
}

NodeContent Laid(const std::vector<std::uint32_t>& columns)
{
    auto table = ltp::CTableContext::Create(columns);
    EXPECT_TRUE(table.Ok());
    return table->ToNode();
}

bool HasColumn(const ltp::CTableContext& table, std::uint32_t tag)
{
    const auto& columns = table.Columns();
    return std::any_of(columns.begin(), columns.end(), [tag](const auto& c) { return c.tag == tag; });
}

TEST(MessageTablesTest, CopiesAreTheTablesLayingOutGives)
{
    CMessageTables tables = Prepared();
    const std::vector<Recipient> plain{{MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}}};
    const std::vector<Recipient> extra{plain[0], WithExtra(u"Carol")};
    for (int round = 0; round < 2; ++round) { // laid out, then copied from what was kept
        auto recipients = tables.Recipients(plain);
        ASSERT_TRUE(recipients.Ok()) << recipients.Message();
        EXPECT_EQ(recipients->ToNode(), Laid(RecipientColumns(Template(ltp::TableKind::Recipients), plain)));
        auto withExtra = tables.Recipients(extra);
        ASSERT_TRUE(withExtra.Ok()) << withExtra.Message();
        EXPECT_EQ(withExtra->ToNode(), Laid(RecipientColumns(Template(ltp::TableKind::Recipients), extra)));
        auto attachments = tables.Attachments();
        ASSERT_TRUE(attachments.Ok()) << attachments.Message();
        EXPECT_EQ(attachments->ToNode(), Laid(AttachmentColumns(Template(ltp::TableKind::Attachments))));
    }
}

TEST(MessageTablesTest, RecipientsOwnPropertiesGetColumnsOnlyInTheirTable)
{
    CMessageTables tables = Prepared();
    auto withExtra = tables.Recipients({WithExtra(u"Carol")});
    ASSERT_TRUE(withExtra.Ok());
    EXPECT_TRUE(HasColumn(*withExtra, kExtraTag));
    auto plain = tables.Recipients({{MAPI_TO, u"Bob", u"bob@example.com", u"SMTP", {}}});
    ASSERT_TRUE(plain.Ok());
    EXPECT_FALSE(HasColumn(*plain, kExtraTag));
    EXPECT_TRUE(HasColumn(*plain, PR_SMTP_ADDRESS));
}

TEST(MessageTablesTest, RowsOfACopyStayInTheCopy)
{
    CMessageTables tables = Prepared();
    auto first = tables.Recipients({});
    ASSERT_TRUE(first.Ok());
    ltp::CPropertyBag cells;
    cells.Set(PR_DISPLAY_NAME, ltp::PropertyValue::Unicode(u"Bob"));
    cells.Set(PR_LTP_ROW_VER, ltp::PropertyValue::Long(1));
    ASSERT_TRUE(first->AppendRow(0, cells).Ok());
    auto attachments = tables.Attachments();
    ASSERT_TRUE(attachments.Ok());
    ASSERT_TRUE(attachments->AppendRow(0x8025, cells).Ok());

    auto second = tables.Recipients({});
    ASSERT_TRUE(second.Ok());
    EXPECT_EQ(second->RowCount(), 0u);
    EXPECT_FALSE(second->HasRow(0));
    EXPECT_EQ(second->ToNode(), Laid(RecipientColumns(Template(ltp::TableKind::Recipients), {})));
    auto again = tables.Attachments();
    ASSERT_TRUE(again.Ok());
    EXPECT_EQ(again->RowCount(), 0u);
}

TEST(MessageTablesTest, NoTableBeforeTheTemplatesAreKnown)
{
    CMessageTables tables;
    EXPECT_FALSE(tables.Recipients({}).Ok());
    EXPECT_FALSE(tables.Attachments().Ok());
}

} // namespace

namespace {

// A row takes of an object the properties whose ids are its columns, those
// of another type than their column too (they empty the cell), and nothing
// else: not the body, not what only the object has.
TEST(MessageTablesTest, ARowTakesThePropertiesOfItsColumnsOnly)
{
    CMessageTables tables = Prepared();
    auto attachments = tables.Attachments();
    ASSERT_TRUE(attachments.Ok());
    ltp::CPropertyBag properties;
    properties.Set(PR_ATTACH_FILENAME, ltp::PropertyValue::Unicode(u"a.txt"));
    properties.Set(PR_ATTACH_DATA_BIN, ltp::PropertyValue::Binary(Bytes(20000, 7)));
    properties.Set(PROP_TAG(PT_UNICODE, PROP_ID(PR_ATTACH_METHOD)), ltp::PropertyValue::Unicode(u"not a number"));
    const ltp::CPropertyBag cells = ColumnProperties(*attachments, properties);
    EXPECT_EQ(cells.Size(), 2u);
    EXPECT_EQ(cells.GetUnicode(PR_ATTACH_FILENAME), u"a.txt");
    EXPECT_FALSE(cells.Has(CHANGE_PROP_TYPE(PR_ATTACH_DATA_BIN, ltp::CPropertyBag::kAnyType)));
    EXPECT_EQ(cells.GetUnicode(PROP_TAG(PT_UNICODE, PROP_ID(PR_ATTACH_METHOD))), u"not a number");

    ASSERT_TRUE(attachments->AppendRow(0x8025, cells).Ok());
    auto row = attachments->ReadRow(0x8025);
    ASSERT_TRUE(row.Ok());
    EXPECT_EQ(row->cells.GetUnicode(PR_ATTACH_FILENAME), u"a.txt");
    EXPECT_FALSE(row->cells.Has(CHANGE_PROP_TYPE(PR_ATTACH_METHOD, ltp::CPropertyBag::kAnyType)));
}

} // namespace

// A recipient's search key is its address type and address, uppercased, in
// the ANSI code page; ASCII takes a short way that must give the same bytes.
TEST(MessageTablesTest, SearchKeysUppercaseTheAddressOfAnyScript)
{
    const auto text = [](const Bytes& b) { return std::string(b.begin(), b.end()); };
    EXPECT_EQ(text(SearchKey(u"bob.Receiver@example.com", u"smtp")), std::string("SMTP:BOB.RECEIVER@EXAMPLE.COM", 29) + '\0');
    EXPECT_EQ(text(SearchKey(u"", u"")), std::string(":") + '\0');
    // Outside ASCII the code page decides: é uppercases to É (0xC9 in
    // Windows-1252, two bytes in UTF-8); either way not the ASCII result.
    const Bytes accented = SearchKey(u"ren\u00e9@example.com", u"SMTP");
    EXPECT_EQ(text(accented).substr(0, 8), "SMTP:REN");
    EXPECT_NE(text(accented).substr(8, 1), "\xe9");
    EXPECT_EQ(accented.back(), 0);
    // Every ASCII character keeps its byte, letters uppercased.
    std::u16string all;
    for (char16_t c = 1; c < 0x80; ++c)
        all += c;
    const Bytes key = SearchKey(all, u"X");
    ASSERT_EQ(key.size(), all.size() + 3);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const char16_t c = all[i];
        EXPECT_EQ(key[2 + i], c >= u'a' && c <= u'z' ? c - 0x20 : c) << int(c);
    }
}
