// The refusals of a PST before it is opened for update, as every automation
// server meets them through the shared profile.
#include "ComponentMachine.h"
#include "PstBack.h"

#include "components/ProfileStores.h"
#include "components/StoreFileChecks.h"
#include "win32/WideString.h"

namespace componenttest {
namespace {

constexpr const char16_t* kPst = u"C:\\Guarded.pst";

class StoreFileCheckTest : public ComponentMachine {
protected:
    void SetUp() override
    {
        ComponentMachine::SetUp();
        auto made = mapi::CStore::Create(Host(kPst), u"Guarded");
        ASSERT_TRUE(made.Ok()) << made.Message();
        ASSERT_TRUE((*made)->Close().Ok());
        ASSERT_TRUE(ProtectStore(Host(kPst), u"Open sesame"));
    }

    // Adds the store with a prompt that answers `answer`: the refusal's code
    // (S_OK when added) and its description.
    std::pair<HRESULT, std::u16string> Add(std::optional<std::u16string> answer)
    {
        try {
            components::AddProfileStore(kPst, u"unused", [&](std::u16string_view path) {
                m_asked.emplace_back(path);
                return answer;
            });
        } catch (const ole::CDispatchError& error) {
            return {error.Code(), error.Description()};
        }
        return {S_OK, {}};
    }

    std::vector<std::u16string> m_asked;
};

TEST_F(StoreFileCheckTest, OnlyTheRightPasswordAddsAProtectedStoreAndItIsAskedOnce)
{
    EXPECT_EQ(Add(std::nullopt),
              std::make_pair(components::kPasswordNotGiven, std::u16string(u"the password of C:\\Guarded.pst was not given")));
    EXPECT_EQ(Add(u"open sesame"), std::make_pair(E_ACCESSDENIED, std::u16string(u"the password given for "
                                                                                  u"C:\\Guarded.pst is not correct")));
    EXPECT_EQ(Add(u""), std::make_pair(E_ACCESSDENIED, std::u16string(u"the password given for "
                                                                       u"C:\\Guarded.pst is not correct")));
    EXPECT_TRUE(mapi::CMailProfile::Default().GetStores().empty());
    EXPECT_EQ(Add(u"Open sesame").first, S_OK);
    EXPECT_EQ(m_asked, std::vector<std::u16string>(4, kPst));

    // Added once, the store is the profile's: no question again, and a
    // server without a prompt reaches it too.
    EXPECT_EQ(Add(std::nullopt).first, S_OK);
    EXPECT_NO_THROW(components::AddProfileStore(kPst, u"unused"));
    EXPECT_EQ(m_asked.size(), 4u);
}

TEST_F(StoreFileCheckTest, AServerWithoutAPromptIsRefusedAProtectedStore)
{
    try {
        components::AddProfileStore(kPst, u"unused");
        FAIL() << "a protected store was added without its password";
    } catch (const ole::CDispatchError& error) {
        EXPECT_EQ(error.Code(), components::kPasswordNotGiven);
        EXPECT_EQ(error.Description(), u"C:\\Guarded.pst is protected by a password");
    }
}

TEST_F(StoreFileCheckTest, PasswordsDifferByCaseAndNoPasswordIsZero)
{
    EXPECT_EQ(components::StorePasswordCrc(u""), 0u);
    EXPECT_NE(components::StorePasswordCrc(u"Open sesame"), components::StorePasswordCrc(u"open sesame"));
    EXPECT_NE(components::StorePasswordCrc(u"Open sesame"), 0u);
}

} // namespace
} // namespace componenttest
