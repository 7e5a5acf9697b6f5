// The look of a single-line edit: its text scrolled to keep the caret in
// view, the selection highlighted while it has the focus, the caret.
#pragma once

#include "gdi/GdiTypes.h"
#include "win32/Types.h"

#include <cstddef>
#include <string>

namespace user::detail {

struct EditView {
    std::size_t anchor = 0;
    std::size_t caret = 0;
    int scroll = 0; // pixels of text scrolled out at the left
    int topLine = 0; // multi-line: the first line in view
    HFONT font = nullptr;
    bool focused = false;
    // Multi-line: the widest line's width in widestFont, -1 until measured.
    int widest = -1;
    HFONT widestFont = nullptr;
};

// Paints the edit; moves view.scroll so that the caret shows.
void PaintEdit(HWND hwnd, HDC dc, EditView& view);
// The character position nearest to a client x.
std::size_t EditPositionAt(HWND hwnd, const EditView& view, int x);

} // namespace user::detail
