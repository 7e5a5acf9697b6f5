#include "notes/format/ByteIo.h"
#include "notes/format/DateTimeValue.h"
#include "notes/format/ItemCodec.h"

#include <gtest/gtest.h>

namespace notestest {
namespace {

using namespace notes::format;

RichTextContent SampleContent()
{
    RichTextContent content;
    RichElement run = MakeRun("caf\xe9", RUN_BOLD | RUN_UNDERLINE);
    run.face = "Arial";
    run.pointSize = 13;
    run.color = 0x123456;
    RichElement picture = MakeElement(RichElementKind::Graphic);
    picture.format = GraphicFormat::Jpeg;
    picture.width = 640;
    picture.height = 480;
    picture.bytes = std::string("\xff\xd8\x00\x01", 4);
    RichElement place = MakeElement(RichElementKind::AttachmentRef);
    place.text = "a.doc";
    content.paragraphs.push_back({{run, MakeElement(RichElementKind::Tab), MakeElement(RichElementKind::LineBreak)}});
    content.paragraphs.push_back({});
    content.paragraphs.push_back({{picture, place}});
    return content;
}

TEST(ItemCodecTest, EveryValueLayoutRoundTrips)
{
    std::vector<std::string> texts{"", "one", std::string("nul\0inside", 10)};
    EXPECT_EQ(DecodeTextList(EncodeTextList(texts)), texts);
    std::vector<double> numbers{0, -1.5, 1e300};
    EXPECT_EQ(DecodeNumberList(EncodeNumberList(numbers)), numbers);
    std::vector<DateTimeEntry> times{
        {{1, DatePrecision::DateOnly}, std::nullopt},
        {{-86400 * 365, DatePrecision::DateAndTime}, DateTimeValue{7200, DatePrecision::TimeOnly}},
    };
    EXPECT_EQ(DecodeDateTimeList(EncodeDateTimeList(times)), times);
    RichTextContent content = SampleContent();
    EXPECT_EQ(DecodeRichText(EncodeRichText(content)), content);
    EXPECT_EQ(DecodeTextList(EncodeTextList({})), std::vector<std::string>{});
}

TEST(ItemCodecTest, LayoutIsLittleEndianWithCountsAndLengths)
{
    EXPECT_EQ(EncodeTextList({"ab"}), std::string("\x01\x00\x00\x00\x02\x00\x00\x00" "ab", 10));
    EXPECT_EQ(EncodeNumberList({1.0}), std::string("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf0\x3f", 12));
    EXPECT_EQ(EncodeDateTimeList({{{0x0102, DatePrecision::DateOnly}, std::nullopt}}),
              std::string("\x01\x00\x00\x00\x00\x02\x01\x00\x00\x00\x00\x00\x00\x01", 14));
}

TEST(ItemCodecTest, EveryTruncationAndTrailingByteIsRejected)
{
    std::string blobs[] = {EncodeTextList({"alpha", "beta"}), EncodeNumberList({1, 2}),
                           EncodeDateTimeList({{{5, DatePrecision::DateAndTime}, DateTimeValue{6}}}),
                           EncodeRichText(SampleContent())};
    for (std::size_t kind = 0; kind < 4; ++kind) {
        const std::string& blob = blobs[kind];
        for (std::size_t length = 0; length < blob.size(); ++length) {
            std::string_view cut(blob.data(), length);
            bool decoded = kind == 0   ? DecodeTextList(cut).has_value()
                           : kind == 1 ? DecodeNumberList(cut).has_value()
                           : kind == 2 ? DecodeDateTimeList(cut).has_value()
                                       : DecodeRichText(cut).has_value();
            EXPECT_FALSE(decoded) << "kind " << kind << " cut at " << length;
        }
    }
    EXPECT_FALSE(DecodeTextList(blobs[0] + "x"));
    EXPECT_FALSE(DecodeRichText(blobs[3] + "x"));
}

TEST(ItemCodecTest, HugeCountsAndUnknownKindsAreRejectedWithoutAllocating)
{
    EXPECT_FALSE(DecodeTextList(std::string("\xff\xff\xff\xff", 4)));
    EXPECT_FALSE(DecodeNumberList(std::string("\xff\xff\xff\x7f", 4)));
    EXPECT_FALSE(DecodeRichText(std::string("\xff\xff\xff\xff", 4)));
    // One paragraph with one element of kind 9.
    EXPECT_FALSE(DecodeRichText(std::string("\x01\x00\x00\x00\x01\x00\x00\x00\x09", 9)));
    // A date-time of precision 3.
    EXPECT_FALSE(DecodeDateTimeList(std::string("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03", 14)));
    // A text whose length runs past the end.
    EXPECT_FALSE(DecodeTextList(std::string("\x01\x00\x00\x00\xff\xff\xff\xff" "ab", 10)));
}

TEST(DateTimeTest, TextFormsAndTheirParsing)
{
    DateTimeValue value{SecondsFromCivil({2026, 12, 8, 9, 5, 0}), DatePrecision::DateAndTime};
    EXPECT_EQ(FormatDateTime(value), "2026-12-08 09:05:00");
    value.precision = DatePrecision::DateOnly;
    EXPECT_EQ(FormatDateTime(value), "2026-12-08");
    value.precision = DatePrecision::TimeOnly;
    EXPECT_EQ(FormatDateTime(value), "09:05:00");
    EXPECT_EQ(FormatDateTimeEntry({{0, DatePrecision::DateAndTime}, DateTimeValue{3600}}),
              "1970-01-01 00:00:00 - 1970-01-01 01:00:00");

    for (const char* text : {"2026-12-08 09:05:00", "2024-02-29", "23:59:59", "1899-12-30 00:00:00", "0001-01-01"}) {
        auto parsed = ParseDateTime(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(FormatDateTime(*parsed), text);
    }
    EXPECT_EQ(ParseDateTime("2026-12-08T09:05:00"), ParseDateTime("2026-12-08 09:05:00"));
    // Years of four digits are written without printf: the edges of that
    // range, and the years outside it, each as printf writes them.
    const struct {
        CivilTime civil;
        const char* text;
    } edges[] = {
        {{0, 1, 1, 0, 0, 0}, "0000-01-01 00:00:00"},   {{9999, 12, 31, 23, 59, 59}, "9999-12-31 23:59:59"},
        {{10000, 1, 1, 0, 0, 0}, "10000-01-01 00:00:00"}, {{-1, 12, 31, 7, 8, 9}, "-001-12-31 07:08:09"},
        {{305, 10, 9, 10, 20, 30}, "0305-10-09 10:20:30"},
    };
    for (const auto& edge : edges) {
        EXPECT_EQ(FormatDateTime({SecondsFromCivil(edge.civil), DatePrecision::DateAndTime}), edge.text);
        const std::string text = edge.text;
        const std::size_t space = text.find(' ');
        EXPECT_EQ(FormatDateTime({SecondsFromCivil(edge.civil), DatePrecision::DateOnly}), text.substr(0, space));
        EXPECT_EQ(FormatDateTime({SecondsFromCivil(edge.civil), DatePrecision::TimeOnly}), text.substr(space + 1));
    }
    for (const char* bad : {"", "2026-02-29", "2025-13-01", "2026-04-31", "2026-12-08 24:00:00", "2026-1-8",
                            "2026-12-08 09:05", "08/12/2026", "2026-12-08 09:05:00Z", "12:60:00"})
        EXPECT_FALSE(ParseDateTime(bad)) << bad;
}

TEST(DateTimeTest, CivilConversionRoundTripsAcrossCenturiesAndBeforeTheEpoch)
{
    for (std::int64_t days = -800000; days <= 800000; days += 997) {
        std::int64_t seconds = days * 86400 + 3723;
        CivilTime civil = CivilFromSeconds(seconds);
        EXPECT_EQ(SecondsFromCivil(civil), seconds) << days;
        EXPECT_EQ(civil.hour, 1);
        EXPECT_EQ(civil.second, 3);
    }
    CivilTime leap = CivilFromSeconds(SecondsFromCivil({2000, 2, 29, 0, 0, 0}) + 86400);
    EXPECT_EQ(leap.month, 3);
    EXPECT_EQ(leap.day, 1);
    CivilTime before = CivilFromSeconds(-1);
    EXPECT_EQ(before.year, 1969);
    EXPECT_EQ(before.hour, 23);
    EXPECT_EQ(before.second, 59);
}

TEST(ByteReaderTest, AShortReadFailsAndStaysFailed)
{
    ByteReader reader(std::string_view("\x01\x02\x03", 3));
    EXPECT_EQ(reader.U16(), 0x0201);
    EXPECT_EQ(reader.U32(), 0u);
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.U8(), 0);
}

TEST(ByteReaderTest, FieldsAreLittleEndianWhateverTheirHighBytes)
{
    ByteWriter writer;
    writer.U16(0xFE01);
    writer.U32(0x80FF7F01u);
    writer.I64(-2);
    writer.I64(0x0123456789ABCDEF);
    writer.Bytes32(std::string_view("\xff\x00z", 3));
    const std::string bytes = writer.Take();
    ByteReader reader(bytes);
    EXPECT_EQ(reader.U16(), 0xFE01);
    EXPECT_EQ(reader.U32(), 0x80FF7F01u);
    EXPECT_EQ(reader.I64(), -2);
    EXPECT_EQ(reader.I64(), 0x0123456789ABCDEF);
    EXPECT_EQ(reader.Bytes32(), std::string("\xff\x00z", 3));
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.Failed());
    // A field cut short reads as nothing and takes nothing.
    ByteReader cut(std::string_view(bytes).substr(0, 5));
    EXPECT_EQ(cut.U16(), 0xFE01);
    EXPECT_EQ(cut.U32(), 0u);
    EXPECT_TRUE(cut.Failed());
}

} // namespace
} // namespace notestest
