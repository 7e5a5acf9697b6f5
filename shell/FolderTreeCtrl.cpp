// The folder tree's items: its icons, the items of a path, and the path of an
// item. The ticks and the click live in FolderTreeChecks.cpp.
#include "FolderTreeCtrl.h"

#include "user/Icons.h"
#include "user/Resources.h"
#include "win32/CodePage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The item texts are widened into 199 characters and narrowed back into at
// most 255 bytes.
constexpr int kMaxAnsiTextBytes = 255;

// The icon resources in the order of CFolderTreeCtrl::Image.
constexpr UINT kFolderIcons[] = {144, 147, 143, 141, 140, 142, 146, 152};

struct SystemFolderIcon {
    const WCHAR* upperName;
    int image;
};
constexpr SystemFolderIcon kSystemFolderIcons[] = {
    {u"LOTUS NOTES", CFolderTreeCtrl::ImageNotes}, {u"INBOX", CFolderTreeCtrl::ImageInbox},
    {u"SENT", CFolderTreeCtrl::ImageSent},         {u"DRAFTS", CFolderTreeCtrl::ImageDrafts},
    {u"ALL", CFolderTreeCtrl::ImageAll},           {u"TRASH", CFolderTreeCtrl::ImageTrash},
};

CString ItemTextOf(const char* name)
{
    std::u16string text = AnsiToWide(name);
    text.resize(WideCutLength(text, CFolderTreeCtrl::kMaxTextChars));
    return CString(std::move(text));
}

std::string AnsiOf(const CString& text)
{
    char buffer[kMaxAnsiTextBytes + 1];
    const int bytes = WideToAnsiTruncated(text, buffer, kMaxAnsiTextBytes);
    return std::string(buffer, static_cast<std::size_t>(bytes));
}

bool WithinTreeLimits(std::string_view path)
{
    if (path.size() > static_cast<std::size_t>(CFolderTreeCtrl::kMaxPathBytes))
        return false;
    std::size_t start = 0;
    for (std::size_t at = path.find('\\'); at != std::string_view::npos; at = path.find('\\', start)) {
        if (at - start > static_cast<std::size_t>(CFolderTreeCtrl::kMaxComponentBytes))
            return false;
        start = at + 1;
    }
    return true;
}

// The components of a path: the texts before each backslash.
std::vector<std::string> PathComponents(std::string_view path)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    for (std::size_t at = path.find('\\'); at != std::string_view::npos; at = path.find('\\', start)) {
        components.emplace_back(path.substr(start, at - start));
        start = at + 1;
    }
    return components;
}

} // namespace

namespace {

// A worker's insert, run whole on the tree's own thread.
constexpr UINT kInsertPathMessage = WM_APP + 1;

} // namespace

BEGIN_MESSAGE_MAP(CFolderTreeCtrl, CTreeCtrl)
ON_WM_LBUTTONDOWN()
ON_MESSAGE(kInsertPathMessage, &CFolderTreeCtrl::OnInsertPath)
END_MESSAGE_MAP()

void CFolderTreeCtrl::SetupImageList()
{
    CImageList icons;
    if (!icons.Create(16, 16, ILC_COLOR8, 0, 0))
        return;
    for (UINT id : kFolderIcons)
        icons.Add(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id)));
    SetImageList(&icons, TVSIL_NORMAL);
    // The list that was set before, if any, goes once the tree holds the new one.
    m_imageList.DeleteImageList();
    m_imageList.Attach(icons.Detach());
}

bool CFolderTreeCtrl::InsertPath(const char* path)
{
    // From the worker, each call into the tree is a message of its own, and
    // the user's click could land between reading a parent's children and
    // marking the parent: the parent would keep a mark its children no longer
    // justify. The whole insert runs on the tree's thread instead, between
    // the user's clicks.
    if (!WithinTreeLimits(path))
        return false;
    if (m_hWnd && ::GetWindowThreadProcessId(m_hWnd, nullptr) != ::GetCurrentThreadId()) {
        SendMessage(kInsertPathMessage, 0, reinterpret_cast<LPARAM>(path));
        return true;
    }
    HTREEITEM item = TVI_ROOT;
    for (const std::string& component : PathComponents(path)) {
        item = FindOrInsertChild(component.c_str(), item);
        if (!item)
            return true; // the tree is gone
    }
    if (item == TVI_ROOT)
        return true;
    UpdateParentChecks(item);
    UpdateParentBold(item);
    return true;
}

HTREEITEM CFolderTreeCtrl::FindOrInsertChild(const char* name, HTREEITEM parent)
{
    if (!parent)
        parent = TVI_ROOT;
    const CString text = ItemTextOf(name);
    HTREEITEM child = parent == TVI_ROOT ? GetRootItem() : GetChildItem(parent);
    for (; child; child = GetNextSiblingItem(child)) {
        if (GetItemText(child) == text)
            return child;
    }
    return InsertFolderItem(name, ImageFolder, ImageFolderSelected, parent, TVI_LAST, parent == TVI_ROOT);
}

HTREEITEM CFolderTreeCtrl::InsertFolderItem(const char* name, int image, int selectedImage, HTREEITEM parent,
                                            HTREEITEM insertAfter, bool hasChildren)
{
    CString text = ItemTextOf(name);
    CString upper = text;
    upper.MakeUpper();
    for (const SystemFolderIcon& icon : kSystemFolderIcons) {
        if (upper == icon.upperName) {
            image = icon.image;
            selectedImage = icon.image;
            break;
        }
    }
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = insertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = text.GetBuffer();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    if (hasChildren) {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = 1;
    }
    return InsertItem(&insert);
}

void CFolderTreeCtrl::GetItemPath(HTREEITEM item, char* out) const
{
    std::memset(out, 0, kPathBufferBytes);
    if (!item || item == TVI_ROOT)
        return;
    std::vector<std::string> texts; // the item's first, the top item's last
    for (HTREEITEM at = item; at; at = GetParentItem(at))
        texts.push_back(AnsiOf(GetItemText(at)));
    std::string path;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
        path += *text;
        path += '\\';
    }
    std::memcpy(out, path.data(), AnsiCutLength(path, kMaxPathBytes));
}

LRESULT CFolderTreeCtrl::OnInsertPath(WPARAM, LPARAM path)
{
    InsertPath(reinterpret_cast<const char*>(path));
    return 0;
}
