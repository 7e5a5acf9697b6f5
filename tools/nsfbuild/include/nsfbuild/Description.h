// A readable description of a database, for test fixtures and hand-made
// samples, in UTF-8: texts hold any character, those of the supplementary
// planes included (a word that is not UTF-8 is read as Windows-1252). One statement per line; "#" starts a comment line. Words
// are bare or "quoted", quoted ones with the escapes \" \\ \n \r \t and \xHH
// (the Windows-1252 character of that byte; in the contents of an attachment,
// the byte itself). A bare word takes its backslashes as they are: folder
// Projects\2026 and folder "Projects\\2026" are one name.
//
//   view NAME                 a view (in file order with the folders)
//   folder NAME               a folder; "\" in NAME nests it
//   entries KEY...            entries of the last view or folder, in order
//   note KEY                  a note; the statements below belong to it
//     unid HEX32
//     created TIME   modified TIME   added TIME
//     calendar TYPE [alarm]   its calendar entry type and alarm
//     text NAME VALUE...      a text list (VALUE may be "")
//     numbers NAME NUMBER...
//     times NAME T...         date-times; START..END is a range
//     flags WORD...           flags of the last item: summary names readers
//                             authors protected encrypted
//     richtext NAME           a rich-text item; then its content:
//       para                  a new paragraph (a first element opens one)
//       run [bold] [italic] [underline] [face=F] [size=N] [color=RRGGBB] TEXT
//       break                 a line break
//       tab
//       graphic png|jpeg|bmp WIDTH HEIGHT HEX
//       attachref NAME        the place of an attachment
//     attach NAME TEXT        an attachment holding TEXT's bytes
//     attachhex NAME HEX      an attachment holding the bytes in hex
//
// TIME is "2026-12-08 09:05:00" (quoted), 2026-12-08T09:05:00, 2026-12-08 or
// 09:05:00. A note without created, modified or added times gets
// 2026-01-01 00:00:00 for each.
#pragma once

#include "nsfbuild/DatabaseContent.h"
#include "nsfbuild/Result.h"

#include <filesystem>
#include <string_view>

namespace nsfbuild {

// On failure the message says "line N: ..." for the first bad statement.
Result ParseDescription(std::string_view text, DatabaseContent* described);

// Writes the database a description text describes.
Result BuildFromDescription(std::string_view text, const std::filesystem::path& database);

// Reads a description file and writes the database it describes.
Result BuildFromDescriptionFile(const std::filesystem::path& description, const std::filesystem::path& database);

} // namespace nsfbuild
