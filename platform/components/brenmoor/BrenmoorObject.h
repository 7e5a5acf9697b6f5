// Brenmoor's one class: it opens the target store in the default profile,
// makes mail folders by path and writes each mail message from its parts.
#pragma once

#include "ole/DispatchObject.h"

#include <string>

namespace brenmoor {

// The RTF body file that the mail conversion exports each rich-text body
// to; its name is fixed between the two sides and not handed over.
inline constexpr const char16_t* kRtfBodyFile = u"C:\\tol1.rtf";

class CBrenmoor final : public ole::CDispatchObject {
private:
    void OnInvoke(DISPID member, WORD flags, const ole::CDispArgs& args, VARIANT& result) override;
    std::u16string ErrorSource() const override;

    void CheckOutlook();
    std::u16string OpenTarget(const std::u16string& pstPath, const std::u16string& rootName);
    void WriteMessage(const ole::CDispArgs& args);
};

} // namespace brenmoor
