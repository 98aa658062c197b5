// Test programs run as the product does: on a single-threaded apartment.
#include <gtest/gtest.h>

#include <ole2.h>
#include <windows.h>

int main(int argc, char** argv) {
    const HRESULT ole = OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (SUCCEEDED(ole)) {
        OleUninitialize();
    }
    return result;
}
