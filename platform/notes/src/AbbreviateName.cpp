#include "notes/LNNotesSession.h"

#include <cctype>
#include <vector>

namespace notes {

namespace {

// The labels of a canonical name's components.
bool IsComponentLabel(std::string_view label)
{
    static const char* const kLabels[] = {"CN", "OU", "O", "C", "G", "S", "I", "Q", "P", "A"};
    for (const char* known : kLabels) {
        std::string_view k(known);
        if (label.size() != k.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < k.size(); ++i)
            same = same && std::toupper(static_cast<unsigned char>(label[i])) == k[i];
        if (same)
            return true;
    }
    return false;
}

} // namespace

// A canonical name is "label=value" components joined by "/", every
// component labelled; an "@domain" after the last one is kept. Anything
// else is not canonical and comes back as it is.
std::string AbbreviateCanonicalName(std::string_view name)
{
    std::string_view domain;
    std::string_view body = name;
    if (auto at = name.rfind('@'); at != std::string_view::npos && name.find('=') < at) {
        domain = name.substr(at);
        body = name.substr(0, at);
    }
    std::vector<std::string_view> values;
    std::size_t start = 0;
    while (true) {
        std::size_t slash = body.find('/', start);
        std::string_view component = body.substr(start, slash == std::string_view::npos ? slash : slash - start);
        std::size_t equals = component.find('=');
        if (equals == std::string_view::npos || !IsComponentLabel(component.substr(0, equals)))
            return std::string(name);
        values.push_back(component.substr(equals + 1));
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    std::string result;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            result += '/';
        result += values[i];
    }
    result += domain;
    return result;
}

} // namespace notes
