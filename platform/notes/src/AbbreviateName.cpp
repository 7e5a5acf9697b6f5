#include "notes/LNNotesSession.h"

#include <string>

namespace notes {

namespace {

// The labels of a canonical name's components, in any case (the library
// runs in the C locale, where case is ASCII's alone).
bool IsComponentLabel(std::string_view label)
{
    if (label.empty() || label.size() > 2)
        return false;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    const char first = upper(label[0]);
    if (label.size() == 2)
        return (first == 'C' && upper(label[1]) == 'N') || (first == 'O' && upper(label[1]) == 'U');
    return std::string_view("OCGSIQPA").find(first) != std::string_view::npos;
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
    // Every component is checked before anything is kept: a name with one
    // unlabelled component comes back whole.
    std::string result;
    result.reserve(body.size() + domain.size());
    std::size_t start = 0;
    while (true) {
        std::size_t slash = body.find('/', start);
        std::string_view component = body.substr(start, slash == std::string_view::npos ? slash : slash - start);
        std::size_t equals = component.find('=');
        if (equals == std::string_view::npos || !IsComponentLabel(component.substr(0, equals)))
            return std::string(name);
        if (start)
            result += '/';
        result += component.substr(equals + 1);
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    result += domain;
    return result;
}

} // namespace notes
