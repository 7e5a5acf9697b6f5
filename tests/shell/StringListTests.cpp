#include "ShellFixture.h"
#include "StringList.h"

#include <cstdlib>

namespace {

std::vector<std::u16string> Texts(const StringNode* head)
{
    std::vector<std::u16string> out;
    for (; head; head = head->next)
        out.emplace_back(head->text);
    return out;
}

int g_allocationsLeft = 0;

void* FailingAllocator(std::size_t bytes)
{
    return g_allocationsLeft-- > 0 ? std::malloc(bytes) : nullptr;
}

} // namespace

class StringListTest : public ShellFixture {
protected:
    void TearDown() override
    {
        SetStringListAllocator(nullptr);
        ShellFixture::TearDown();
    }
};

TEST_F(StringListTest, AppendsKeepOrderAndOwnTheirCopies)
{
    StringNode* head = nullptr;
    WCHAR buffer[16] = u"Lotus Notes\\";
    AppendStringNode(&head, buffer);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->next, nullptr);
    buffer[0] = u'X';
    AppendStringNode(&head, u"");
    AppendStringNode(&head, u"same");
    AppendStringNode(&head, u"same");
    EXPECT_EQ(Texts(head), (std::vector<std::u16string>{u"Lotus Notes\\", u"", u"same", u"same"}));
    EXPECT_NE(head->next->next->text, head->next->next->next->text);
    EXPECT_EQ(CountStringNodes(head), 4);

    FreeStringList(&head);
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(CountStringNodes(head), 0);
    FreeStringList(&head);
    AppendStringNode(&head, u"again");
    EXPECT_EQ(Texts(head), (std::vector<std::u16string>{u"again"}));
    FreeStringList(&head);
}

TEST_F(StringListTest, LongTextsAreCopiedWhole)
{
    std::u16string longText(70000, u'z');
    StringNode* head = nullptr;
    AppendStringNode(&head, longText.c_str());
    EXPECT_EQ(std::u16string(head->text), longText);
    FreeStringList(&head);
}

TEST_F(StringListTest, RunningOutOfMemorySaysSoAndEndsTheProgram)
{
    StringNode* head = nullptr;
    AppendStringNode(&head, u"first");
    g_allocationsLeft = 1; // the node, but not its text
    SetStringListAllocator(FailingAllocator);
    try {
        AppendStringNode(&head, u"second");
        FAIL() << "the append returned";
    } catch (const testsupport::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    auto boxes = user::MessageBoxHistory();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Out Of Memory");
    EXPECT_EQ(boxes[0].caption, u"Pellinor for NSF to PST");
    EXPECT_EQ(boxes[0].type, 0x1010u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    SetStringListAllocator(nullptr);
    FreeStringList(&head);
}
