#include "outlook/outlook_config.h"

#include "common/settings.h"

#include <windows.h>

#include <optional>

namespace sandbox {

namespace {

void ApplyMode(const std::optional<std::string>& text, OutlookConfig& config) {
    if (!text) {
        return;
    }
    const std::string mode = TrimBlanks(*text);
    if (lstrcmpiA(mode.c_str(), "window") == 0) {
        config.mode = OutlookMode::Window;
    } else if (lstrcmpiA(mode.c_str(), "exit") == 0) {
        config.mode = OutlookMode::Exit;
    } else if (lstrcmpiA(mode.c_str(), "stay") == 0) {
        config.mode = OutlookMode::Stay;
    }
}

void ApplyNumber(const std::optional<std::string>& text, unsigned& target) {
    if (!text) {
        return;
    }
    if (const auto number = ParseNumber(*text)) {
        target = static_cast<unsigned>(*number);
    }
}

std::optional<std::string> NonEmpty(std::string text) {
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

OutlookConfig LoadOutlookConfig(const std::string& iniPath) {
    OutlookConfig config;
    const auto mode = EnvironmentValue("VARNEL_OUTLOOK_MODE");
    if (!mode) {
        ApplyMode(NonEmpty(IniValue(iniPath, "Outlook", "Mode")), config);
        ApplyNumber(NonEmpty(IniValue(iniPath, "Outlook", "DelayMs")), config.delayMs);
        ApplyNumber(NonEmpty(IniValue(iniPath, "Outlook", "ExitCode")), config.exitCode);
        config.journal = IniValue(iniPath, "Outlook", "Journal");
    }
    ApplyMode(mode, config);
    ApplyNumber(EnvironmentValue("VARNEL_OUTLOOK_DELAY_MS"), config.delayMs);
    ApplyNumber(EnvironmentValue("VARNEL_OUTLOOK_EXIT_CODE"), config.exitCode);
    if (const auto journal = EnvironmentValue("VARNEL_OUTLOOK_JOURNAL")) {
        config.journal = *journal;
    }
    return config;
}

std::string ProfileTitle(const std::string& commandLine) {
    static const std::string marker = " /profile ";
    const auto at = commandLine.find(marker);
    if (at == std::string::npos) {
        return "Outlook";
    }
    return commandLine.substr(at + marker.size());
}

} // namespace sandbox
