#include "components/FolderPath.h"

#include "ole/DispatchObject.h"

namespace components {

FolderPath ParseFolderPath(std::u16string_view path)
{
    auto invalid = [&](std::u16string_view why) {
        return ole::CDispatchError(E_INVALIDARG,
                                   u"the folder path \"" + std::u16string(path) + u"\" " + std::u16string(why));
    };
    if (path.size() < 2 || path[0] != u'\\' || path[1] != u'\\')
        throw invalid(u"does not begin with two backslashes");
    std::u16string_view rest = path.substr(2);
    if (!rest.empty() && rest.back() == u'\\')
        rest.remove_suffix(1);
    FolderPath parsed;
    std::vector<std::u16string> pieces;
    for (;;) {
        std::size_t slash = rest.find(u'\\');
        pieces.emplace_back(rest.substr(0, slash));
        if (pieces.back().empty())
            throw invalid(pieces.size() == 1 ? u"names no store" : u"has an empty folder name");
        if (slash == std::u16string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    parsed.storeName = std::move(pieces.front());
    parsed.levels.assign(std::make_move_iterator(pieces.begin() + 1), std::make_move_iterator(pieces.end()));
    return parsed;
}

} // namespace components
