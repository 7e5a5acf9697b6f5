// Registers a resource script of a test under a module handle of its own.
#pragma once

#include "user/Resources.h"

#include <cstdint>
#include <gtest/gtest.h>

inline HINSTANCE RegisterScript(const char* script, std::uintptr_t handle)
{
    user::ResourceSet set;
    user::ScriptError error;
    EXPECT_TRUE(user::ParseResourceScript(script, nullptr, set, &error)) << error.message;
    auto instance = reinterpret_cast<HINSTANCE>(handle);
    user::RegisterResources(instance, set);
    return instance;
}
