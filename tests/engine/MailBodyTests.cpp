// The body of a message in the two formats of step 2: plain text, with HTML
// told apart by its opening tag, or the rich text exported as RTF.
#include "MailRunFixture.h"

#include "WizardSelections.h"
#include "notes/FaultTable.h"

namespace enginetest {
namespace {

constexpr const char* kBodies = R"nsf(
folder ($Inbox)
entries rich html lowercase glued bare

note rich
text Subject rich
richtext Body
run "Plain "
run bold "strong"
para
run "second line"
note html
text Subject html
richtext Body
run "<HTML> <p>hi</p>"
note lowercase
text Subject lowercase
richtext Body
run "<html> <p>hi</p>"
note glued
text Subject glued
richtext Body
run "<HTML><p>hi</p>"
note bare
text Subject bare
)nsf";

class MailBody : public MailRunFixture {
protected:
    void SetUp() override
    {
        MailRunFixture::SetUp();
        TickFolders({u"Inbox"});
        UseNsf(kBodies);
    }

    std::vector<mapi::CMessage> Converted()
    {
        EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
        return MessagesIn({u"Inbox"});
    }

    static std::string RtfOf(const mapi::CMessage& message)
    {
        auto rtf = message.GetRtfBody();
        return rtf.Ok() ? rtf.Value() : std::string();
    }
};

TEST_F(MailBody, InTextFormatOnlyABodyOpeningWithTheUpperCaseTagAndABlankIsHtml)
{
    g_nMailBodyFormat = 1;
    auto messages = Converted();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].GetBody(), u"Plain strong\r\nsecond line");
    EXPECT_EQ(messages[0].GetHtmlBody(), u"");
    EXPECT_EQ(messages[1].GetHtmlBody(), u"<HTML> <p>hi</p>");
    EXPECT_EQ(messages[2].GetHtmlBody(), u"");
    EXPECT_EQ(messages[2].GetBody(), u"<html> <p>hi</p>");
    EXPECT_EQ(messages[3].GetHtmlBody(), u"");
    EXPECT_EQ(messages[3].GetBody(), u"<HTML><p>hi</p>");
    EXPECT_EQ(messages[4].GetBody(), u"");
    for (const auto& message : messages)
        EXPECT_EQ(RtfOf(message), "") << Utf16ToUtf8(message.GetSubject());
}

TEST_F(MailBody, InRtfFormatEveryBodyIsItsRichTextWithThePlainTextBeside)
{
    g_nMailBodyFormat = 0;
    auto messages = Converted();
    ASSERT_EQ(messages.size(), 5u);

    const std::string rich = RtfOf(messages[0]);
    EXPECT_EQ(rich.rfind("{\\rtf1", 0), 0u) << rich;
    EXPECT_NE(rich.find("\\b strong}"), std::string::npos) << rich;
    EXPECT_EQ(messages[0].GetBody(), u"Plain strong\r\nsecond line");
    // HTML is kept as rich text too.
    EXPECT_NE(RtfOf(messages[1]).find("<HTML> <p>hi</p>"), std::string::npos);
    EXPECT_EQ(messages[1].GetHtmlBody(), u"");
    EXPECT_EQ(RtfOf(messages[4]), "");
    EXPECT_EQ(messages[4].GetBody(), u"");
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\tol1.rtf")));
}

TEST_F(MailBody, ABodyFileLeftOnDiskIsNoBodyOfADocumentWithoutOne)
{
    UseNsf("folder ($Inbox)\nentries bare\nnote bare\ntext Subject bare\n");
    WriteHostFile(Host(u"C:\\tol1.rtf"), "{\\rtf1 left by an earlier run}");
    g_nMailBodyFormat = 0;
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    auto messages = MessagesIn({u"Inbox"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(RtfOf(messages[0]), "");
}

TEST_F(MailBody, AFailingExportCostsOnlyTheRichTextNotTheBody)
{
    g_nMailBodyFormat = 0;
    // The first body's export fails; the others are exported.
    notes::SetFault("LNRichText::Export", LNERR_CANNOT_CREATE_FILE, 0, 1);
    auto messages = Converted();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(RtfOf(messages[0]), "");
    EXPECT_EQ(messages[0].GetBody(), u"Plain strong\r\nsecond line");
    EXPECT_NE(RtfOf(messages[1]).find("<p>hi</p>"), std::string::npos);
    EXPECT_EQ(notes::CallCount("LNRichText::Export"), 4);
}

} // namespace
} // namespace enginetest
