// ShellOpen against Wine's real shell: links reach the program registered for their scheme,
// unchanged, and a link nothing can open passes silently.
#include "launcher/shell_open.h"
#include "platform/message_pump.h"
#include "platform/win32_raii.h"
#include "support/recorded_links.h"
#include "support/test_support.h"
#include "support/window_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using test_support::RecordedLinks;

// Top-level windows of this process that look like a message box or a dialog.
int DialogsOfThisProcess() {
    return static_cast<int>(test_support::ProcessWindows(GetCurrentProcessId(), "#32770").size());
}

class ShellOpenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner.reset(CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
        ASSERT_NE(owner, nullptr);
    }
    UniqueWindow owner;
};

TEST_F(ShellOpenTest, MailtoAndHttpReachTheirHandlersUnchanged) {
    RecordedLinks links({"mailto", "http"});
    const ULONGLONG before = GetTickCount64();
    ShellOpen(owner.get(), "mailto:someone@example.com");
    ShellOpen(owner.get(), "http://www.example.org/varnel?page=about&lang=en");
    EXPECT_LT(GetTickCount64() - before, 5000u) << "the shell is asked, not waited for";
    const std::vector<std::string> expected = {"mailto:someone@example.com",
                                               "http://www.example.org/varnel?page=about&lang=en"};
    std::vector<std::string> got = links.WaitFor(2, 10000);
    // The two handlers run as separate processes and may finish in either order.
    std::sort(got.begin(), got.end());
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(got, sorted);
}

TEST_F(ShellOpenTest, ATargetNothingCanOpenPassesSilently) {
    RecordedLinks links({"mailto", "http"});
    const int dialogs = DialogsOfThisProcess();
    ShellOpen(owner.get(), "varnel-no-such-scheme:nothing");
    test_support::PumpFor(500);
    EXPECT_EQ(DialogsOfThisProcess(), dialogs) << "no message of any kind";
    EXPECT_TRUE(links.Received().empty());
    EXPECT_TRUE(IsWindow(owner.get()));
}

TEST(RecordedLinksTest, PutsBackTheHandlersItReplaced) {
    const std::string mailto = test_support::OpenCommandOf("mailto");
    const std::string http = test_support::OpenCommandOf("http");
    {
        RecordedLinks links({"mailto", "http"});
        EXPECT_NE(test_support::OpenCommandOf("mailto").find("url_recorder.exe"),
                  std::string::npos);
    }
    EXPECT_EQ(test_support::OpenCommandOf("mailto"), mailto);
    EXPECT_EQ(test_support::OpenCommandOf("http"), http);
}

} // namespace
