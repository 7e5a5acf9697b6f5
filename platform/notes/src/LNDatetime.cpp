#include "notes/LNDatetime.h"

#include "Status.h"
#include "notes/format/ItemCodec.h"

using notes::detail::Enter;
using notes::detail::Report;

LNSTATUS LNDatetime::GetText(LNString* text) const
{
    if (LNSTATUS fault = Enter("LNDatetime::GetText"))
        return fault;
    if (!text)
        return Report(LNERR_BAD_PARAMETER);
    *text = m_valid ? LNString(notes::format::FormatDateTime(m_value)) : LNString();
    return LNNOERROR;
}

LNSTATUS LNDatetimes::Load(const notes::detail::ItemData& data)
{
    auto values = notes::format::DecodeDateTimeList(data.value);
    if (!values)
        return LNERR_DATABASE_CORRUPT;
    m_values = std::move(*values);
    return LNItem::Load(data);
}

LNINT LNDatetimes::GetCount() const
{
    notes::detail::EnterOrRaise("LNDatetimes::GetCount");
    return static_cast<LNINT>(m_values.size());
}

LNDatetime LNDatetimes::operator[](LNINT index) const
{
    notes::detail::EnterOrRaise("LNDatetimes::operator[]");
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size())
        notes::detail::Raise(LNERR_INDEX_OUT_OF_RANGE);
    return LNDatetime(m_values[static_cast<std::size_t>(index)].start);
}

bool LNDatetimes::IsRange(LNINT index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_values.size() &&
           m_values[static_cast<std::size_t>(index)].end.has_value();
}

LNSTATUS LNDatetimes::GetText(LNString* text, const char* separator) const
{
    if (LNSTATUS fault = Enter("LNDatetimes::GetText"))
        return fault;
    if (!text)
        return Report(LNERR_BAD_PARAMETER);
    std::string joined;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        if (i && separator)
            joined += separator;
        joined += notes::format::FormatDateTimeEntry(m_values[i]);
    }
    *text = LNString(std::move(joined));
    return LNNOERROR;
}
