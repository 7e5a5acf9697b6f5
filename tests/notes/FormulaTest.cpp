#include "NotesFixture.h"

namespace notestest {
namespace {

const char* const kAddressBook = R"(
view People
entries ann bob group
note ann
text Form Person
text FirstName Ann
text LastName Lee
text Type Person
numbers Rank 3
text Categories Sales Travel
note bob
text form Person
text FirstName Bob
text LastName Stone
numbers Rank 7
note group
text Form Group
text ListName Sales
note server
text Form Server
text FirstName "Ann"
)";

class FormulaTest : public NotesFixture {
protected:
    void SetUp() override
    {
        NotesFixture::SetUp();
        BuildDatabase(u"C:\\Notes\\Data\\names.nsf", kAddressBook);
        OpenDatabase("C:\\Notes\\Data\\names.nsf");
    }

    // The first names of the documents the formula selects, in order, or
    // "error" with the status.
    std::string Select(const char* formula)
    {
        LNDocumentArray documents;
        LNSTATUS status = m_database.Search(LNFormula(formula), &documents);
        if (status)
            return "error " + std::to_string(status);
        std::string names;
        for (LNINT i = 0; i < documents.GetCount(); ++i) {
            LNDocument document = documents[i];
            EXPECT_EQ(document.Open(), LNNOERROR);
            std::string name = "-";
            if (document.HasItem("FirstName")) {
                LNText text;
                document.GetItem("FirstName", &text);
                name = LNString(text[0]).GetPlatformTextPtr();
            }
            names += (names.empty() ? "" : ",") + name;
        }
        return names;
    }
};

TEST_F(FormulaTest, TextComparisonsIgnoreTheCaseOfFieldNamesOnly)
{
    EXPECT_EQ(Select("Form=\"Person\""), "Ann,Bob");
    EXPECT_EQ(Select("SELECT FORM = \"Person\""), "Ann,Bob");
    EXPECT_EQ(Select("Form = \"person\""), "");
    EXPECT_EQ(Select("Form != \"Person\""), "-,Ann");
    EXPECT_EQ(Select("Nickname = \"\""), "Ann,Bob,-,Ann"); // a missing field is ""
}

TEST_F(FormulaTest, AndOrNotAndParenthesesCombineComparisons)
{
    EXPECT_EQ(Select("Form = \"Person\" & FirstName = \"Bob\""), "Bob");
    EXPECT_EQ(Select("Form = \"Group\" | FirstName = \"Bob\""), "Bob,-");
    EXPECT_EQ(Select("!(Form = \"Person\")"), "-,Ann");
    // & and | bind equally, left to right.
    EXPECT_EQ(Select("Form = \"Server\" | Form = \"Group\" & ListName = \"Sales\""), "-");
    EXPECT_EQ(Select("Form = \"Server\" | (Form = \"Group\" & ListName = \"Sales\")"), "-,Ann");
}

TEST_F(FormulaTest, ListsMatchWhenAnyValueMatchesAndNumbersCompareAsNumbers)
{
    EXPECT_EQ(Select("Categories = \"Travel\""), "Ann");
    EXPECT_EQ(Select("Form = \"Group\":\"Server\""), "-,Ann");
    EXPECT_EQ(Select("Rank > 5"), "Bob");
    EXPECT_EQ(Select("Rank >= 3 & Rank <= 3"), "Ann");
    EXPECT_EQ(Select("Rank = \"3\""), ""); // a number is not a text
}

TEST_F(FormulaTest, FunctionsOfTheFormulaLanguage)
{
    EXPECT_EQ(Select("@All"), "Ann,Bob,-,Ann");
    EXPECT_EQ(Select("@IsAvailable(Rank)"), "Ann,Bob");
    EXPECT_EQ(Select("@IsUnavailable(rank) & Form = \"Group\""), "-");
    EXPECT_EQ(Select("@LowerCase(Form) = \"person\""), "Ann,Bob");
    EXPECT_EQ(Select("@Contains(LastName; \"ton\")"), "Bob");
    EXPECT_EQ(Select("@Begins(ListName; \"Sa\")"), "-");
}

TEST_F(FormulaTest, ASyntaxErrorIsAStatusNotACrash)
{
    const char* bad[] = {"", "Form =", "Form = \"Person", "(Form = \"A\"", "Form = \"A\")", "@Nope(1)", "Form # 1",
                         "& Form", "@IsAvailable(\"x\")"};
    for (const char* formula : bad)
        EXPECT_EQ(Select(formula), "error " + std::to_string(LNERR_FORMULA_SYNTAX)) << formula;
    LNSetThrowAllErrorsGlobal(TRUE);
    LNDocumentArray documents;
    EXPECT_THROW(m_database.Search(LNFormula("Form ="), &documents), LNSTATUS);
}

} // namespace
} // namespace notestest
