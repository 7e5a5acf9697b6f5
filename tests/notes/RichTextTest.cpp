#include "NotesFixture.h"
#include "testsupport/AnsiCodePage.h"
#include "RtfReader.h"

#include <algorithm>
#include <cstdio>

namespace notestest {
namespace {

class RichTextTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\Notes\\Data\\mail.nsf", kMailDescription);
        OpenDatabase("C:\\Notes\\Data\\mail.nsf");
        m_memo = OpenFirstDocument("($Inbox)");
        ASSERT_EQ(m_memo.GetItem("Body", &m_body), LNNOERROR);
    }

    std::optional<RtfDocument> ExportRange(const LNRTCursor& start, const LNRTCursor& end)
    {
        EXPECT_EQ(m_body.Export("C:\\tol1.rtf", start, end, ""), LNNOERROR);
        return ReadRtf(ReadHostFile(Host(u"C:\\tol1.rtf")));
    }

    LNDocument m_memo;
    LNRichText m_body;
};

TEST_F(RichTextTest, PlainTextJoinsParagraphsAndBreaksWithCrLf)
{
    LNString text;
    ASSERT_EQ(m_body.GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(),
                 "Plain strong and slanted\tred\r\nSecond {line} \\ end\r\nafter break\r\n");
    // The last paragraph holds only a picture and an attachment place, so
    // the text ends with the break that joins it.

    LNRichText html;
    ASSERT_EQ(OpenFirstDocument("Projects\\2026").GetItem("Body", &html), LNNOERROR);
    ASSERT_EQ(html.GetText(&text), LNNOERROR);
    EXPECT_STREQ(text.GetPlatformTextPtr(), "<HTML> <p>hi</p>");

    LNRichText empty;
    ASSERT_EQ(empty.GetText(&text), LNNOERROR);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(RichTextTest, ExportWritesAnRtfDocumentThatKeepsTheRunsFormatting)
{
    LNRTCursor start, end;
    ASSERT_EQ(m_body.GetCursor(&start), LNNOERROR);
    ASSERT_EQ(m_body.GetEndCursor(&end), LNNOERROR);
    auto rtf = ExportRange(start, end);
    ASSERT_TRUE(rtf.has_value()) << ReadHostFile(Host(u"C:\\tol1.rtf"));

    auto plain = rtf->SegmentWith("Plain");
    auto strong = rtf->SegmentWith("strong");
    auto slanted = rtf->SegmentWith("slanted");
    auto red = rtf->SegmentWith("red");
    ASSERT_TRUE(plain && strong && slanted && red);
    EXPECT_FALSE(plain->bold || plain->italic);
    EXPECT_TRUE(strong->bold);
    EXPECT_FALSE(strong->italic);
    EXPECT_TRUE(slanted->italic);
    EXPECT_FALSE(slanted->bold);
    EXPECT_TRUE(red->underline);
    EXPECT_EQ(rtf->PlainText(),
              "Plain strong and slanted\tred\nSecond {line} \\ end\nafter break\n[report.doc]\n");
    EXPECT_NE(std::find(rtf->fonts.begin(), rtf->fonts.end(), "Arial"), rtf->fonts.end());
    ASSERT_EQ(rtf->pictures.size(), 1u);
    EXPECT_EQ(rtf->pictures[0].substr(1, 3), "PNG");

    std::string raw = ReadHostFile(Host(u"C:\\tol1.rtf"));
    EXPECT_NE(raw.find("\\red192\\green0\\blue0;"), std::string::npos);
    EXPECT_NE(raw.find("\\fs28"), std::string::npos); // 14 points
}

// An RTF reader of its own (Debian's unrtf, listed in scripts/setup.sh) must
// read the export with its bold, italic and underlined runs.
TEST_F(RichTextTest, AnIndependentRtfReaderReadsTheExportWithItsFormatting)
{
    LNRTCursor start, end;
    m_body.GetCursor(&start);
    m_body.GetEndCursor(&end);
    ASSERT_EQ(m_body.Export("C:\\tol1.rtf", start, end), LNNOERROR);
    // unrtf writes the pictures it finds into its working folder: the root's.
    std::string command = "cd '" + m_root.string() + "' && unrtf --html '" + Host(u"C:\\tol1.rtf").string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string html;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        html.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0) << "unrtf is needed (scripts/setup.sh): " << html;
    EXPECT_NE(html.find("<b>strong</b>"), std::string::npos) << html;
    EXPECT_NE(html.find("<i>slanted</i>"), std::string::npos) << html;
    EXPECT_NE(html.find("<u>red</u>"), std::string::npos) << html;
    EXPECT_NE(html.find("Second {line} \\ end"), std::string::npos) << html;
    EXPECT_NE(html.find("Arial"), std::string::npos) << html;
}

TEST_F(RichTextTest, AnsiCharactersAreEscapedSoTheDocumentIsSevenBit)
{
    testsupport::UseAnsiCodePage(1252);
    BuildDatabase(u"C:\\accents.nsf", "view V\nentries n\nnote n\nrichtext Body\nrun bold \"caf\\xe9 \\x80\"\n");
    LNDatabase accents;
    ASSERT_EQ(m_session.GetDatabase("C:\\accents.nsf", &accents), LNNOERROR);
    ASSERT_EQ(accents.Open(), LNNOERROR);
    LNViewFolderArray views;
    ASSERT_EQ(accents.GetViewFolders(&views), LNNOERROR);
    LNViewFolder view = views[0];
    ASSERT_EQ(view.Open(), LNNOERROR);
    LNDocument document;
    ASSERT_EQ(view[0].GetDocument(&document), LNNOERROR);
    ASSERT_EQ(document.Open(), LNNOERROR);
    LNRichText body;
    ASSERT_EQ(document.GetItem("Body", &body), LNNOERROR);
    LNRTCursor start, end;
    body.GetCursor(&start);
    body.GetEndCursor(&end);
    ASSERT_EQ(body.Export("C:\\accents.rtf", start, end), LNNOERROR);
    std::string raw = ReadHostFile(Host(u"C:\\accents.rtf"));
    for (unsigned char c : raw)
        ASSERT_LT(c, 0x80);
    auto rtf = ReadRtf(raw);
    ASSERT_TRUE(rtf.has_value());
    auto segment = rtf->SegmentWith("caf\xe9 \x80");
    ASSERT_TRUE(segment.has_value());
    EXPECT_TRUE(segment->bold);
}

TEST_F(RichTextTest, CursorsFindObjectsByTypeAndBoundTheExportedRange)
{
    LNRTCursor cursor, end;
    ASSERT_EQ(m_body.GetCursor(&cursor), LNNOERROR);
    ASSERT_EQ(m_body.GetEndCursor(&end), LNNOERROR);

    LNGraphic graphic;
    ASSERT_EQ(cursor.GotoNext(LNRTTYPE_GRAPHIC, &graphic), LNNOERROR);
    EXPECT_TRUE(graphic.IsType(LNRTTYPE_GRAPHIC));
    EXPECT_EQ(graphic.GetWidth(), 4);
    std::string bitmap;
    ASSERT_EQ(graphic.GetBitmap(&bitmap), LNNOERROR);
    EXPECT_EQ(bitmap.substr(1, 3), "PNG");
    // There is only one picture.
    EXPECT_EQ(cursor.GotoNext(LNRTTYPE_GRAPHIC, &graphic), LNWARN_NOT_FOUND);

    LNRTCursor start;
    m_body.GetCursor(&start);
    LNRTObject text;
    ASSERT_EQ(start.GotoNext(LNRTTYPE_TEXT, &text), LNNOERROR); // "Plain "
    ASSERT_EQ(start.GotoNext(LNRTTYPE_TEXT, &text), LNNOERROR); // "strong"
    LNRTCursor stop = start;
    ASSERT_EQ(stop.GotoNext(LNRTTYPE_TAB, nullptr), LNNOERROR);
    LNString part;
    ASSERT_EQ(m_body.GetText(start, stop, &part), LNNOERROR);
    EXPECT_STREQ(part.GetPlatformTextPtr(), "strong and slanted");
    auto rtf = ExportRange(start, stop);
    ASSERT_TRUE(rtf.has_value());
    EXPECT_EQ(rtf->PlainText(), "strong and slanted");

    EXPECT_EQ(m_body.GetText(stop, start, &part), LNERR_BAD_PARAMETER);
    LNRichText other;
    LNRTCursor foreign;
    other.GetCursor(&foreign);
    EXPECT_EQ(m_body.Export("C:\\x.rtf", foreign, end), LNERR_CURSOR_MISMATCH);
    // The cursor that found nothing stands at the end: nothing lies between.
    ASSERT_EQ(m_body.GetText(cursor, end, &part), LNNOERROR);
    EXPECT_TRUE(part.IsEmpty());
}

TEST_F(RichTextTest, AnUnplacedCursorFindsNothingAndAGraphicNotFoundHasNoBitmap)
{
    LNSetThrowAllErrorsGlobal(TRUE);
    LNRTCursor unplaced;
    LNGraphic graphic;
    EXPECT_EQ(unplaced.GotoNext(LNRTTYPE_GRAPHIC, &graphic), LNWARN_NOT_FOUND);
    EXPECT_FALSE(graphic.IsType(LNRTTYPE_GRAPHIC));
    std::string bitmap;
    EXPECT_THROW(graphic.GetBitmap(&bitmap), LNSTATUS);
    LNSetThrowAllErrorsGlobal(FALSE);
    EXPECT_EQ(graphic.GetBitmap(&bitmap), LNERR_TYPE_MISMATCH);
}

TEST_F(RichTextTest, ExportToAFolderThatDoesNotExistFails)
{
    LNRTCursor start, end;
    m_body.GetCursor(&start);
    m_body.GetEndCursor(&end);
    EXPECT_EQ(m_body.Export("C:\\No Folder\\tol1.rtf", start, end), LNERR_CANNOT_CREATE_FILE);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\No Folder\\tol1.rtf")));
}

} // namespace
} // namespace notestest
