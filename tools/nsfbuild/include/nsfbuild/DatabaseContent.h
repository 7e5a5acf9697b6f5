// A database to build, as plain data: notes with their items and
// attachments, and views and folders listing notes by their key.
#pragma once

#include "notes/LNGlobal.h"
#include "notes/format/DateTimeValue.h"
#include "notes/format/RichTextContent.h"

#include <string>
#include <vector>

namespace nsfbuild {

using notes::format::DateTimeEntry;
using notes::format::DateTimeValue;
using notes::format::RichTextContent;

struct ItemContent {
    std::string name;
    LNITEMTYPE type = LNITEMTYPE_TEXT;
    LNITEMFLAGS flags = 0;
    std::vector<std::string> texts;
    std::vector<double> numbers;
    std::vector<DateTimeEntry> times;
    RichTextContent richText;
};

struct AttachmentContent {
    std::string name;
    std::string bytes;
};

struct NoteContent {
    std::string key;  // how views and folders name the note in a description
    std::string unid; // 32 hex digits; made from the note id when empty
    DateTimeValue created, modified, added;
    LNCALENTRYTYPE calendarType = LNCALENTRYTYPE_NONE;
    bool alarm = false;
    std::vector<ItemContent> items;
    std::vector<AttachmentContent> attachments;
};

struct ViewFolderContent {
    std::string name;
    bool isFolder = false;
    std::vector<std::string> entryKeys;
};

struct DatabaseContent {
    std::vector<NoteContent> notes;
    std::vector<ViewFolderContent> viewFolders;
};

ItemContent TextItem(std::string name, std::vector<std::string> values, LNITEMFLAGS flags = LNITEMFLAGS_SUMMARY);
ItemContent NumberItem(std::string name, std::vector<double> values);
ItemContent DateItem(std::string name, std::vector<DateTimeEntry> values);
ItemContent RichTextItem(std::string name, RichTextContent content);

// A date and time from its parts.
DateTimeValue MakeTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

} // namespace nsfbuild
