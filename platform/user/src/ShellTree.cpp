#include "ShellTree.h"

#include "user/MessageQueue.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <algorithm>

namespace user::detail {

namespace {

struct Child {
    std::u16string name;
    bool folder;
};

bool LessNoCase(const std::u16string& a, const std::u16string& b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        WCHAR x = CharUpperChar(a[i]), y = CharUpperChar(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// The entries of a folder that FindFirstFileW finds for the pattern.
void Find(const std::u16string& folder, const std::u16string& pattern, bool folders, std::vector<Child>& out)
{
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW(JoinPath(folder, pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::u16string name = data.cFileName;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == u"." || name == u".." || isFolder != folders)
            continue;
        bool seen = std::any_of(out.begin(), out.end(), [&](const Child& c) { return c.name == name; });
        if (!seen)
            out.push_back({name, isFolder});
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::vector<Child> ChildrenOf(const std::u16string& path, bool withFiles, const std::vector<std::u16string>& patterns)
{
    std::vector<Child> folders, files;
    if (path.empty()) {
        DWORD drives = GetLogicalDrives();
        for (int n = 0; n < 26; ++n) {
            if (drives & (1u << n))
                folders.push_back({std::u16string(1, static_cast<char16_t>(u'A' + n)) + u":\\", true});
        }
        return folders;
    }
    Find(path, u"*", true, folders);
    if (withFiles) {
        if (patterns.empty())
            Find(path, u"*", false, files);
        for (const std::u16string& pattern : patterns)
            Find(path, pattern, false, files);
    }
    auto byName = [](const Child& a, const Child& b) { return LessNoCase(a.name, b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

// Whether full lies at or below the folder.
bool IsWithin(const std::u16string& folder, const std::u16string& full)
{
    if (folder.empty())
        return true;
    if (full.size() < folder.size() || !EqualsNoCase(std::u16string_view(full).substr(0, folder.size()), folder))
        return false;
    return full.size() == folder.size() || folder.back() == u'\\' || full[folder.size()] == u'\\';
}

} // namespace

std::u16string ShellDisplayName(const std::u16string& fullPath)
{
    if (fullPath.empty())
        return u"Computer";
    if (fullPath.size() <= 3 && fullPath.size() >= 2 && fullPath[1] == u':')
        return u"Local Disk (" + fullPath.substr(0, 2) + u")";
    std::size_t slash = fullPath.find_last_of(u'\\');
    return slash == std::u16string::npos ? fullPath : fullPath.substr(slash + 1);
}

std::optional<std::u16string> StoredPath(const std::u16string& path)
{
    auto resolved = win32::ResolvePath(path, win32::Resolve::Existing);
    if (!resolved)
        return std::nullopt;
    auto stored = win32::WindowsPathOf(resolved->hostPath);
    return stored ? *stored : resolved->windowsPath;
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name)
{
    if (folder.empty() || folder.back() == u'\\')
        return folder + name;
    return folder + u"\\" + name;
}

ShellTree::ShellTree(HWND tree, bool withFiles) : m_tree(tree), m_withFiles(withFiles) {}

void ShellTree::SetPatterns(std::vector<std::u16string> patterns)
{
    m_patterns = std::move(patterns);
}

void ShellTree::Fill(const std::u16string& rootPath)
{
    SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_nodes.clear();
    HTREEITEM root = Insert(TVI_ROOT, rootPath, true);
    SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

void ShellTree::OnItemExpanding(const NMTREEVIEWW& notice)
{
    if (notice.action & TVE_EXPAND)
        Load(notice.itemNew.hItem);
}

HTREEITEM ShellTree::Select(const std::u16string& fullPath)
{
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (!item || !IsWithin(PathOf(item), fullPath))
        return nullptr;
    while (!EqualsNoCase(PathOf(item), fullPath)) {
        Load(item);
        SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        auto child = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                              reinterpret_cast<LPARAM>(item)));
        while (child && !IsWithin(PathOf(child), fullPath))
            child = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                             reinterpret_cast<LPARAM>(child)));
        if (!child)
            return nullptr;
        item = child;
    }
    SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageW(m_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return item;
}

HTREEITEM ShellTree::SelectAndOpen(const std::u16string& fullPath)
{
    HTREEITEM item = Select(fullPath);
    if (item)
        SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    return item;
}

HTREEITEM ShellTree::Selected() const
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::u16string ShellTree::PathOf(HTREEITEM item) const
{
    const Node* node = NodeOf(item);
    return node ? node->path : std::u16string();
}

bool ShellTree::IsFolder(HTREEITEM item) const
{
    const Node* node = NodeOf(item);
    return node && node->folder;
}

std::u16string ShellTree::FolderOf(HTREEITEM item) const
{
    const Node* node = NodeOf(item);
    if (!node)
        return {};
    if (node->folder)
        return node->path;
    auto parent = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_PARENT,
                                                           reinterpret_cast<LPARAM>(item)));
    return PathOf(parent);
}

HTREEITEM ShellTree::Insert(HTREEITEM parent, const std::u16string& path, bool folder)
{
    m_nodes.push_back({path, folder, false});
    std::u16string text = ShellDisplayName(path);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.cChildren = folder ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(m_nodes.size() - 1);
    return reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void ShellTree::Load(HTREEITEM item)
{
    Node* node = NodeOf(item);
    if (!node || !node->folder || node->loaded)
        return;
    node->loaded = true;
    std::u16string path = node->path; // the table grows below
    auto children = ChildrenOf(path, m_withFiles, m_patterns);
    for (const Child& child : children)
        Insert(item, path.empty() ? child.name : JoinPath(path, child.name), child.folder);
    if (children.empty()) {
        // Nothing to open: the item loses its button.
        TVITEMW change = {};
        change.mask = TVIF_HANDLE | TVIF_CHILDREN;
        change.hItem = item;
        change.cChildren = 0;
        SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
    }
}

ShellTree::Node* ShellTree::NodeOf(HTREEITEM item)
{
    return const_cast<Node*>(static_cast<const ShellTree*>(this)->NodeOf(item));
}

const ShellTree::Node* ShellTree::NodeOf(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
        return nullptr;
    auto index = static_cast<std::size_t>(query.lParam);
    return index < m_nodes.size() ? &m_nodes[index] : nullptr;
}

} // namespace user::detail
