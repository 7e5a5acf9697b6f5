// Reading a named property of a message as the type its value has.
#pragma once

#include "mapi/Message.h"

#include <optional>

namespace components {

// The value when the message has the property with a value of type T;
// nothing when it lacks it, has another type, or the store cannot say.
template <typename T>
std::optional<T> NamedValue(const mapi::CMessage& message, const mapi::NamedTag& tag)
{
    auto value = message.GetNamedProperty(tag);
    if (!value.Ok() || !*value)
        return std::nullopt;
    const T* data = (*value)->template Get<T>();
    return data ? std::optional<T>(*data) : std::nullopt;
}

} // namespace components
