// A module of the tests, its resources read from a resource script.
#pragma once

#include "user/Resources.h"

#include <cstdint>
#include <gtest/gtest.h>

inline HINSTANCE ModuleFromScript(const char* script, std::uintptr_t handle)
{
    user::ResourceSet set;
    user::ScriptError error;
    EXPECT_TRUE(user::ParseResourceScript(script, nullptr, set, &error)) << error.message;
    auto instance = reinterpret_cast<HINSTANCE>(handle);
    user::RegisterResources(instance, set);
    return instance;
}
