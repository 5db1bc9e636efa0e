// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"

#include <functional>

namespace drowsel {

// Tells the user shortly before an application is asked to quit, and lets
// them keep it open or quit it at once. Called on the main thread.
class QuitWarnings {
public:
    enum class Answer { keepOpen, quitNow };
    using AnswerHandler = std::function<void(Answer)>;

    virtual ~QuitWarnings() = default;

    // The application will be asked to quit in about this many minutes. The
    // handler runs on the main thread at most once, when the user answers;
    // never after withdraw() for the application.
    virtual void warn(const ApplicationHandle& application, int minutes, AnswerHandler answered) = 0;
    // Takes back the application's warning, if one is shown.
    virtual void withdraw(const ApplicationHandle& application) = 0;
};

} // namespace drowsel
