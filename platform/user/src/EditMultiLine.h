// The multi-line edit (ES_MULTILINE): lines at line breaks, a first visible
// line, the caret kept in view as it moves by lines and pages. No word wrap:
// the system's viewers ask for a horizontal scroll bar, under which the
// Windows edit does not wrap either.
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
// A window with WS_VSCROLL: its bar's range is the lines, its page the lines
// that show, its position the first visible line.
void SyncVerticalScrollBar(HWND hwnd, const EditView& view);

} // namespace user::detail
