// The multi-line edit (ES_MULTILINE): lines at line breaks, a first visible
// line, the caret kept in view as it moves by lines and pages. No word wrap:
// the system's viewers ask for a horizontal scroll bar, under which the
// Windows edit does not wrap either; the text scrolls across as far as its
// widest line.
#pragma once

#include "EditPaint.h"

#include <string>
#include <vector>

namespace user::detail {

// Where each line begins: a line ends at "\r\n" or a lone "\n".
std::vector<std::size_t> LineStarts(const std::u16string& text);
// The line that holds a character position.
std::size_t LineOf(const std::vector<std::size_t>& starts, std::size_t position);

void PaintMultiLineEdit(HWND hwnd, HDC dc, EditView& view);
// The character position nearest to a client point.
std::size_t MultiLinePositionAt(HWND hwnd, const EditView& view, POINT point);
// The caret keys of a multi-line edit (up, down, page up and down, home and
// end, with ctrl the whole text); moves the caret and scrolls it into view.
// False for any other key.
bool MultiLineKey(HWND hwnd, EditView& view, WPARAM key, bool ctrl);
// Scrolls the view so that the caret shows.
void ScrollCaretIntoView(HWND hwnd, EditView& view);
// WM_VSCROLL and EM_LINESCROLL: moves the first visible line, not the caret.
void ScrollLines(HWND hwnd, EditView& view, long lines);
void ScrollBy(HWND hwnd, EditView& view, WORD request, WORD position);
// WM_HSCROLL: moves the text across, not the caret: a line is a character's
// average width, a page the client width.
void ScrollAcross(HWND hwnd, EditView& view, WORD request, WORD position);
// The bars the edit was made with (WS_VSCROLL, WS_HSCROLL), shown while
// there is something to scroll: the vertical one's range is the lines, its
// page the lines that show, its position the first visible line; the
// horizontal one's range is the widest line in pixels, its page the client
// width, its position the pixels scrolled out at the left.
void SyncScrollBars(HWND hwnd, EditView& view, DWORD bars);

} // namespace user::detail
