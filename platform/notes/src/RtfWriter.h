// Rich text as an RTF 1.x document: a font table and a colour table built
// from the runs, one \par per paragraph, \b \i \ul \f \fs \cf for the runs'
// styles, \line and \tab, pictures as \pict groups with their bytes in hex.
// Text is in the ANSI code page: under Windows-1252 bytes above 0x7F are
// written as \'hh, under UTF-8 characters past ASCII as \uN?, so the
// document itself is 7-bit either way.
#pragma once

#include "RichTextRange.h"

#include <string>

namespace notes::detail {

std::string WriteRtf(const format::RichTextContent& content, RichTextPlace from, RichTextPlace to);

} // namespace notes::detail
