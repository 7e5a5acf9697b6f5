#include "components/ItemDraft.h"

namespace components {

namespace {

template <class T>
std::optional<T> ValueOf(const ItemDraft& draft, const PropertyKey& key)
{
    const PropertyValue* value = draft.Find(key);
    if (!value || value->Type() != key.Type())
        return std::nullopt;
    if (const T* data = value->Get<T>())
        return *data;
    return std::nullopt;
}

} // namespace

std::optional<std::u16string> ItemDraft::Text(const PropertyKey& key) const
{
    return ValueOf<std::u16string>(*this, key);
}

std::optional<std::uint64_t> ItemDraft::Time(const PropertyKey& key) const
{
    return ValueOf<std::uint64_t>(*this, key);
}

std::optional<bool> ItemDraft::Flag(const PropertyKey& key) const
{
    return ValueOf<bool>(*this, key);
}

std::optional<std::int32_t> ItemDraft::Number(const PropertyKey& key) const
{
    return ValueOf<std::int32_t>(*this, key);
}

} // namespace components
