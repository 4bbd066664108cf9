#pragma once
// A status line that only remembers what it was told: for tests and hosts without a window.

#include <map>
#include <string>
#include <vector>

#include "messaging/common_library.h"

namespace platform {

class RecordingStatusLine : public messaging::StatusLine {
  public:
    void SetStatus(const std::string& text) override { texts.push_back(text); }
    void EnableCommand(int command, bool enabled) override { commands[command] = enabled; }

    std::string lastText() const { return texts.empty() ? std::string() : texts.back(); }
    // The last state given to a host command; true for a command never mentioned.
    bool isEnabled(int command) const {
        const auto it = commands.find(command);
        return it == commands.end() || it->second;
    }

    std::vector<std::string> texts;
    std::map<int, bool> commands;
};

}  // namespace platform
