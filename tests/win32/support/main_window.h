#pragma once

// The main window of this process, opened on a catalogue the test gives and closed after the
// test with any About box it left open, whatever the test did to it.

#include "platform/location_entry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace test_support {

class MainWindowTest : public ::testing::Test {
  protected:
    // Fills the catalogue (the manual row, then `rows`), sets the user name the alias starts
    // from, creates the window, shows it in front and lets it settle.
    void OpenMain(const std::vector<LocationEntry>& rows = {{"London", "LONMX01"}},
                  const char* userName = "jdoe");
    // Closes every About box, then the window; uses up the quit request a test caused.
    void CloseMain();
    void TearDown() override { CloseMain(); }
    HWND Item(int id) const { return GetDlgItem(form, id); }

    HWND form = nullptr;
};

} // namespace test_support
