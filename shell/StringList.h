// Singly linked lists of wide strings: the folders ticked in the wizard, the
// backup sources and destinations, the dates of a calendar entry. A list is
// its head pointer, null when empty; it owns its nodes, each node its text.
#pragma once

#include "win32/Types.h"

#include <cstddef>

struct StringNode {
    WCHAR* text;
    StringNode* next;
};

// Appends a copy of text at the tail. When memory runs out it says
// "Out Of Memory" and ends the program.
void AppendStringNode(StringNode** head, const WCHAR* text);

// The number of nodes; 0 for the empty list.
int CountStringNodes(const StringNode* head);

// Releases every node and its text and leaves the head null.
void FreeStringList(StringNode** head);

// The allocator of nodes and texts (its memory is released with free());
// tests replace it to reach the out-of-memory exit. Null puts the heap back.
using StringListAllocator = void* (*)(std::size_t bytes);
void SetStringListAllocator(StringListAllocator allocator);
