// The calendar entries of the synthetic databases.
#pragma once

#include "SyntheticText.h"

namespace nsfbuild {

// Entry i of a calendar: its type cycles through 0, 1, 2, 4, 8, 16 and 32.
NoteContent CalendarNote(CSyntheticText& random, std::size_t index);

} // namespace nsfbuild
