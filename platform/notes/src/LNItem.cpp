#include "notes/LNItem.h"

#include "Status.h"
#include "notes/format/ItemCodec.h"

LNSTATUS LNItem::Load(const notes::detail::ItemData& data)
{
    m_name = data.name;
    m_type = data.type;
    m_flags = data.flags;
    m_null = false;
    return LNNOERROR;
}

LNSTATUS LNText::Load(const notes::detail::ItemData& data)
{
    auto values = notes::format::DecodeTextList(data.value);
    if (!values)
        return LNERR_DATABASE_CORRUPT;
    m_values = std::move(*values);
    return LNItem::Load(data);
}

LNINT LNText::GetCount() const
{
    notes::detail::EnterOrRaise("LNText::GetCount");
    return static_cast<LNINT>(m_values.size());
}

LNINT LNNumbers::GetCount() const
{
    notes::detail::EnterOrRaise("LNNumbers::GetCount");
    return static_cast<LNINT>(m_values.size());
}

LNTextElement LNText::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNText::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    return LNTextElement(LNString(m_values[static_cast<std::size_t>(index)]));
}

LNSTATUS LNNumbers::Load(const notes::detail::ItemData& data)
{
    auto values = notes::format::DecodeNumberList(data.value);
    if (!values)
        return LNERR_DATABASE_CORRUPT;
    m_values = std::move(*values);
    return LNItem::Load(data);
}

LNNUMBER LNNumbers::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNNumbers::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    return m_values[static_cast<std::size_t>(index)];
}
