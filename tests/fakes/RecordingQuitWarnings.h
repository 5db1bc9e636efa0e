// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/QuitWarnings.h"

#include <unordered_map>

namespace drowsel::fakes {

// Keeps the warnings shown now, with their minutes, and lets a test answer one.
class RecordingQuitWarnings : public QuitWarnings {
public:
    struct Shown {
        int minutes;
        AnswerHandler answered;
    };

    void warn(const ApplicationHandle& application, int minutes, AnswerHandler answered) override {
        shown.insert_or_assign(application, Shown{minutes, std::move(answered)});
        ++sent;
    }
    void withdraw(const ApplicationHandle& application) override { shown.erase(application); }

    void answer(const ApplicationHandle& application, Answer answer) {
        auto handler = std::move(shown.at(application).answered);
        shown.erase(application);
        handler(answer);
    }

    std::unordered_map<ApplicationHandle, Shown> shown;
    int sent = 0;
};

} // namespace drowsel::fakes
