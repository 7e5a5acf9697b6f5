#include "mapi/Attachment.h"

#include "Bridge.h"

namespace mapi {

namespace {

// The extension of a file name with its dot, or empty.
std::u16string ExtensionOf(const std::u16string& fileName)
{
    const std::size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0)
        return {};
    return fileName.substr(dot);
}

} // namespace

CAttachment CAttachment::ByValue(const std::u16string& fileName, Bytes data, const std::u16string& mimeType)
{
    CAttachment a;
    CPropertyBag& p = a.m_properties;
    p.Set(PR_ATTACH_METHOD, PropertyValue::Long(ATTACH_BY_VALUE));
    p.Set(PR_ATTACH_LONG_FILENAME, PropertyValue::Unicode(fileName));
    p.Set(PR_ATTACH_FILENAME, PropertyValue::Unicode(ShortFileName(fileName)));
    p.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(fileName));
    if (const std::u16string extension = ExtensionOf(fileName); !extension.empty())
        p.Set(PR_ATTACH_EXTENSION, PropertyValue::Unicode(extension));
    if (!mimeType.empty())
        p.Set(PR_ATTACH_MIME_TAG, PropertyValue::Unicode(mimeType));
    p.Set(PR_RENDERING_POSITION, PropertyValue::Long(-1));
    p.Set(PR_ATTACH_DATA_BIN, PropertyValue::Binary(std::move(data)));
    return a;
}

std::u16string CAttachment::GetFileName() const
{
    std::u16string name = message::StringOf(m_properties, PR_ATTACH_LONG_FILENAME);
    return name.empty() ? message::StringOf(m_properties, PR_ATTACH_FILENAME) : name;
}

std::u16string CAttachment::GetExtension() const { return message::StringOf(m_properties, PR_ATTACH_EXTENSION); }
std::u16string CAttachment::GetMimeType() const { return message::StringOf(m_properties, PR_ATTACH_MIME_TAG); }
std::int32_t CAttachment::GetMethod() const { return m_properties.GetLong(PR_ATTACH_METHOD, NO_ATTACHMENT); }
Bytes CAttachment::GetData() const { return m_properties.GetBinary(PR_ATTACH_DATA_BIN); }

std::u16string CAttachment::ShortFileName(const std::u16string& fileName)
{
    std::u16string extension = ExtensionOf(fileName);
    std::u16string base = fileName.substr(0, fileName.size() - extension.size());
    if (base.size() <= 8 && extension.size() <= 4)
        return fileName;
    if (base.size() > 8)
        base = base.substr(0, 6) + u"~1";
    return base + extension.substr(0, 4);
}

} // namespace mapi
