// An attachment of a message ([MS-PST] 2.4.6, [MS-OXCMSG] 2.2.2): a property
// context of its own, held in memory with its bytes until the message is
// saved. Attachments by value carry their file's name and bytes.
#pragma once

#include "mapi/Properties.h"

#include <string>

namespace mapi {

class CAttachment {
public:
    CAttachment() = default;
    // An attachment by value: the file name (without a folder; its
    // extension becomes PR_ATTACH_EXTENSION), the file's bytes and, when
    // known, the MIME type.
    static CAttachment ByValue(const std::u16string& fileName, Bytes data, const std::u16string& mimeType = {});

    // PR_ATTACH_LONG_FILENAME, else PR_ATTACH_FILENAME.
    std::u16string GetFileName() const;
    std::u16string GetExtension() const;
    std::u16string GetMimeType() const;
    std::int32_t GetMethod() const; // PR_ATTACH_METHOD
    // PR_ATTACH_DATA_BIN; empty for other methods.
    Bytes GetData() const;

    CPropertyBag& Properties() { return m_properties; }
    const CPropertyBag& Properties() const { return m_properties; }

    // The short name of PR_ATTACH_FILENAME: the long name when it is an 8.3
    // name already, otherwise six characters of its base, "~1" and three of
    // its extension.
    static std::u16string ShortFileName(const std::u16string& fileName);

private:
    CPropertyBag m_properties;
};

} // namespace mapi
