#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::xtest {

// What a program's windows show, read through the accessibility bus by a
// helper script that runs beside the test (accessibility_reader.py). Reading
// only: the tests act with the pointer, as a user would.
class AccessibilityReader {
public:
    struct Control {
        std::string name;
        std::string role;
        std::string text;
        bool isChecked = false;
        bool isEnabled = false;
        bool isShowing = false;
        std::array<int, 4> extents{}; // x, y, width, height on the screen
    };
    // One application's row in the panel.
    struct Row {
        std::string name;
        bool isOn = false;
        std::optional<std::string> timeLeft; // none while hidden
    };
    struct Window {
        std::string name;
        std::vector<Control> controls;
        std::vector<Row> rows;
    };

    // Starts the script; needs the session bus with the accessibility bus on it.
    // Throws std::runtime_error when it does not answer.
    explicit AccessibilityReader(const std::string& script);
    ~AccessibilityReader();
    AccessibilityReader(const AccessibilityReader&) = delete;
    AccessibilityReader& operator=(const AccessibilityReader&) = delete;

    // The windows of the process that are on screen now, popups included.
    std::vector<Window> windowsOf(pid_t pid);

private:
    std::string readLine(std::chrono::milliseconds timeout);

    pid_t helper = -1;
    int requests = -1;
    int answers = -1;
    std::string unread;
};

} // namespace drowsel::xtest
