// The machine's namespace in a tree view, as the common dialogs show it:
// "Computer" (the empty path), its drives ("C:\"), their folders, and, when
// asked for, the files that match a set of patterns. Items are loaded when
// they are first opened; each item's lParam indexes the tree's own table
// of paths.
#pragma once

#include "user/TreeView.h"

#include <optional>
#include <string>
#include <vector>

namespace user::detail {

// "Computer", "Local Disk (C:)", or the last component of the path.
std::u16string ShellDisplayName(const std::u16string& fullPath);

// The full path of an existing item with its names as they are stored;
// nothing when it does not exist.
std::optional<std::u16string> StoredPath(const std::u16string& path);

// A path and a name joined with one backslash.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

class ShellTree {
public:
    ShellTree(HWND tree, bool withFiles);

    // The file patterns ("*.nsf"); none lets every file through.
    void SetPatterns(std::vector<std::u16string> patterns);
    // Clears the tree and shows the root item, open.
    void Fill(const std::u16string& rootPath);
    // Loads an item's children when the tree is about to open it.
    void OnItemExpanding(const NMTREEVIEWW& notice);

    // Opens the tree down to the path and selects it; null (and the
    // selection left alone) when the path is not below the root or missing.
    HTREEITEM Select(const std::u16string& fullPath);
    // Selects the path and opens it, to show what the folder holds.
    HTREEITEM SelectAndOpen(const std::u16string& fullPath);
    HTREEITEM Selected() const;
    std::u16string PathOf(HTREEITEM item) const;
    bool IsFolder(HTREEITEM item) const;
    // The folder an item stands in: itself for a folder, else its parent's.
    std::u16string FolderOf(HTREEITEM item) const;

private:
    struct Node {
        std::u16string path;
        bool folder = true;
        bool loaded = false;
    };

    HTREEITEM Insert(HTREEITEM parent, const std::u16string& path, bool folder);
    void Load(HTREEITEM item);
    Node* NodeOf(HTREEITEM item);
    const Node* NodeOf(HTREEITEM item) const;

    HWND m_tree;
    bool m_withFiles;
    std::vector<std::u16string> m_patterns;
    std::vector<Node> m_nodes;
};

} // namespace user::detail
