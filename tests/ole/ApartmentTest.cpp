#include "ole/Com.h"
#include "testsupport/MachineFixture.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

class Apartment : public testsupport::MachineFixture {};

HRESULT CreateAnything()
{
    void* object = nullptr;
    return CoCreateInstance(GUID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object);
}

TEST_F(Apartment, InitialisationIsCountedPerThread)
{
    std::thread([] {
        EXPECT_EQ(CreateAnything(), CO_E_NOTINITIALIZED);
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        // One initialisation is still standing.
        EXPECT_EQ(CreateAnything(), REGDB_E_CLASSNOTREG);
        CoUninitialize();
        EXPECT_EQ(CreateAnything(), CO_E_NOTINITIALIZED);
        // An unbalanced extra call does not go below zero.
        CoUninitialize();
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        CoUninitialize();
    }).join();
}

TEST_F(Apartment, AnotherThreadsInitialisationDoesNotCount)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    HRESULT onWorker = S_OK;
    std::thread([&] { onWorker = CreateAnything(); }).join();
    EXPECT_EQ(onWorker, CO_E_NOTINITIALIZED);
    CoUninitialize();
}

} // namespace
