#include "StringList.h"

#include "AppSettings.h"
#include "user/MessageBox.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <cstdlib>
#include <cstring>

namespace {

StringListAllocator g_allocate = nullptr;

void* Allocate(std::size_t bytes)
{
    return g_allocate ? g_allocate(bytes) : std::malloc(bytes);
}

[[noreturn]] void OutOfMemory()
{
    MessageBoxW(nullptr, u"Out Of Memory", g_szMsgCaption, 0x1010);
    win32::RuntimeExit(0);
}

// The length is counted in a size_t, so texts of any length are copied whole.
WCHAR* CopyText(const WCHAR* text)
{
    std::size_t chars = wcslen(text) + 1;
    auto* copy = static_cast<WCHAR*>(Allocate(chars * sizeof(WCHAR)));
    if (copy)
        std::memcpy(copy, text, chars * sizeof(WCHAR));
    return copy;
}

StringNode* NewNode(const WCHAR* text)
{
    auto* node = static_cast<StringNode*>(Allocate(sizeof(StringNode)));
    if (!node)
        OutOfMemory();
    node->text = nullptr;
    node->next = nullptr;
    node->text = CopyText(text);
    if (!node->text) {
        std::free(node);
        OutOfMemory();
    }
    return node;
}

} // namespace

void AppendStringNode(StringNode** head, const WCHAR* text)
{
    if (!*head) {
        *head = NewNode(text);
        return;
    }
    StringNode* last = *head;
    while (last->next)
        last = last->next;
    last->next = NewNode(text);
}

int CountStringNodes(const StringNode* head)
{
    int count = 0;
    for (; head; head = head->next)
        ++count;
    return count;
}

void FreeStringList(StringNode** head)
{
    while (*head) {
        StringNode* node = *head;
        std::free(node->text);
        node->text = nullptr;
        *head = node->next;
        std::free(node);
    }
}

void SetStringListAllocator(StringListAllocator allocator)
{
    g_allocate = allocator;
}
