#include "FileText.h"

#include "notes/format/ItemCodec.h"
#include "win32/CodePage.h"

namespace notes::detail {

bool FileText::Unchanged() const
{
    return (m_encoding == FileEncoding::Utf8) == (GetACP() == CP_UTF8);
}

std::string FileText::ToAnsi(std::string_view text) const
{
    if (text.empty() || Unchanged())
        return std::string(text);
    const UINT from = m_encoding == FileEncoding::Utf8 ? CP_UTF8 : CP_1252;
    std::u16string wide(text.size(), u'\0');
    const int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(n));
    return WideToAnsi(wide);
}

void FileText::ItemToAnsi(ItemData& item) const
{
    if (Unchanged())
        return;
    item.name = ToAnsi(item.name);
    if (item.type == LNITEMTYPE_TEXT) {
        if (auto values = format::DecodeTextList(item.value)) {
            for (std::string& value : *values)
                value = ToAnsi(value);
            item.value = format::EncodeTextList(*values);
        }
    } else if (item.type == LNITEMTYPE_RICHTEXT) {
        if (auto content = format::DecodeRichText(item.value)) {
            for (auto& paragraph : content->paragraphs) {
                for (auto& element : paragraph.elements) {
                    element.text = ToAnsi(element.text);
                    element.face = ToAnsi(element.face);
                }
            }
            item.value = format::EncodeRichText(*content);
        }
    }
}

} // namespace notes::detail
