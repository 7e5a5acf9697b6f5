// The names the mail conversion gives: the PST names of Notes folders, the
// paths they are matched and created by, and the files of attachments.
#include "AttachmentNames.h"
#include "MailFolderPaths.h"

#include <gtest/gtest.h>

namespace {

TEST(MailFolderNames, OnlyTheFiveSystemFoldersAreRenamedAndOnlyByTheirExactName)
{
    EXPECT_EQ(MapNotesFolderName("($Inbox)"), "Inbox");
    EXPECT_EQ(MapNotesFolderName("($Sent)"), "Sent");
    EXPECT_EQ(MapNotesFolderName("($Drafts)"), "Drafts");
    EXPECT_EQ(MapNotesFolderName("($All)"), "All");
    EXPECT_EQ(MapNotesFolderName("($Trash)"), "Trash");
    EXPECT_EQ(MapNotesFolderName("($inbox)"), "($inbox)");
    EXPECT_EQ(MapNotesFolderName("($Inbox) "), "($Inbox) ");
    EXPECT_EQ(MapNotesFolderName("($Calendar)"), "($Calendar)");
    EXPECT_EQ(MapNotesFolderName("Projects\\2026"), "Projects\\2026");
}

TEST(MailFolderNames, AnEntryIsComparedAfterItsFirstBackslashBehindTheStepFiveName)
{
    EXPECT_EQ(MailFolderPath("Mail", "Projects\\2026"), u"Mail\\Projects\\2026\\");
    EXPECT_EQ(SelectionComparisonPath("Mail", u"Lotus Notes\\Projects\\2026\\"), u"Mail\\Projects\\2026\\");
    EXPECT_EQ(SelectionComparisonPath("Mail", u"Inbox"), u"Mail\\Inbox");
    EXPECT_EQ(SelectionComparisonPath("Mail", u""), u"Mail\\");
    // Both sides pass the step-5 name through the ANSI code page.
    EXPECT_EQ(MailFolderPath("R\xe9unions", "Inbox"), SelectionComparisonPath("R\xe9unions", u"Lotus Notes\\Inbox\\"));
    EXPECT_EQ(PstFolderPath(u"Pellinor Conversion FolderMail", u"Mail\\Projects\\2026\\"),
              u"\\\\Pellinor Conversion FolderMail\\Mail\\Projects\\2026");
}

TEST(AttachmentFileNames, OnlyTheLastComponentOfANameIsUsed)
{
    EXPECT_EQ(AttachmentBaseName(u"report.doc"), u"report.doc");
    EXPECT_EQ(AttachmentBaseName(u"..\\..\\Windows\\win.ini"), u"win.ini");
    EXPECT_EQ(AttachmentBaseName(u"a/b/c.txt"), u"c.txt");
    EXPECT_EQ(AttachmentBaseName(u"D:evil.exe"), u"evil.exe");
    EXPECT_EQ(AttachmentBaseName(u"list;of;names"), u"list;of;names");
    EXPECT_EQ(AttachmentBaseName(u".."), u"Attachment");
    EXPECT_EQ(AttachmentBaseName(u"C:\\"), u"Attachment");
    EXPECT_EQ(AttachmentBaseName(u""), u"Attachment");
    EXPECT_EQ(AttachmentBaseName(u".profile"), u".profile");
}

TEST(AttachmentFileNames, CharactersNoWindowsFileNameHoldsBecomeUnderscores)
{
    EXPECT_EQ(AttachmentBaseName(u"a*b?c\"d<e>f|g.txt"), u"a_b_c_d_e_f_g.txt");
    EXPECT_EQ(AttachmentBaseName(u"tab\tnew\nline\x01\x1f.txt"), u"tab_new_line__.txt");
    // Only the last component is looked at; what is left of it is kept.
    EXPECT_EQ(AttachmentBaseName(u"dir\\what?.txt"), u"what_.txt");
    EXPECT_EQ(AttachmentBaseName(u"\x7f~#%&{}.txt"), u"\x7f~#%&{}.txt");
    EXPECT_EQ(AttachmentBaseName(u"\u00e9t\u00e9 \u4e2d.doc"), u"\u00e9t\u00e9 \u4e2d.doc");
    // Two names that the replacement makes one do not share a file.
    CAttachmentNames names;
    EXPECT_EQ(names.Take(u"a*b.txt"), u"a_b.txt");
    EXPECT_EQ(names.Take(u"a?b.txt"), u"a_b(2).txt");
    EXPECT_EQ(names.Take(u"a_b.txt"), u"a_b(3).txt");
}

TEST(AttachmentFileNames, ANameTakenInTheDocumentGetsANumberWhateverItsCase)
{
    CAttachmentNames names;
    EXPECT_EQ(names.Take(u"report.doc"), u"report.doc");
    EXPECT_EQ(names.Take(u"REPORT.DOC"), u"REPORT(2).DOC");
    EXPECT_EQ(names.Take(u"sub\\report.doc"), u"report(3).doc");
    EXPECT_EQ(names.Take(u"\u00c9t\u00e9.txt"), u"\u00c9t\u00e9.txt");
    EXPECT_EQ(names.Take(u"\u00e9t\u00e9.txt"), u"\u00e9t\u00e9(2).txt");
    EXPECT_EQ(names.Take(u"README"), u"README");
    EXPECT_EQ(names.Take(u"readme"), u"readme(2)");
    EXPECT_EQ(names.Take(u".profile"), u".profile");
    EXPECT_EQ(names.Take(u".profile"), u".profile(2)");
    // ";" ends an entry of the mail's attachment list.
    EXPECT_EQ(names.Take(u"list;of;names"), u"list_of_names");
}

TEST(AttachmentFileNames, ANameTooLongForItsRoomLosesTheEndOfItsStemNotItsExtension)
{
    CAttachmentNames names;
    EXPECT_EQ(names.Take(u"minutes.doc", 11), u"minutes.doc");
    EXPECT_EQ(names.Take(u"quarterly.pdf", 10), u"quarte.pdf");
    EXPECT_EQ(names.Take(u"quarterly.pdf", 10), u"qua(2).pdf");
    // An extension that fills the room is cut like any name.
    EXPECT_EQ(names.Take(u"a.verylongextension", 8), u"a.verylo");
    EXPECT_EQ(names.Take(u"README", 3), u"REA");
}

} // namespace
