// The contact filler: one Notes "Person" document carried over into one new,
// unsaved RDO contact item, item by item in a fixed order, each as a text or
// a date put to a property of the item by its DISPID. It shows the contact's
// name and mobile number in the progress dialog and tests the stop request
// after the first, second, third, twelfth and last item. Saving the item is
// the caller's business.
#pragma once

#include "afx/OleDispatchDriver.h"

class CProDlg;
class LNDocument;

enum class ContactFillOutcome {
    Finished,
    // A stop was requested: the items after that check were not done and
    // the contact must not be saved.
    Stopped,
};

// The fixed text buffers every item passes through, in bytes and in wide
// characters; a text that does not fit with its terminator is cut to its
// first kContactTextCut bytes.
constexpr int kContactTextBuffer = 1024;
constexpr int kContactTextCut = 1000;

// A failing item (missing, of another type, rejected by the item) is
// skipped alone; nothing is reported.
ContactFillOutcome FillContactItem(CProDlg& dialog, const LNDocument& document, COleDispatchDriver& item);
