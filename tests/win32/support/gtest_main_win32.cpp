// Test programs run as the product does: on a single-threaded apartment, with the program's
// accelerators (where the test program carries its resources).
#include "platform/message_pump.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <windows.h>

int main(int argc, char** argv) {
    const HRESULT ole = OleInitialize(nullptr);
    UseAccelerators(
        LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS)));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (SUCCEEDED(ole)) {
        OleUninitialize();
    }
    return result;
}
