// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

namespace drowsel {

// The options Drowsel takes: --help and --version, answered without a display.
class CommandLine {
    Q_DECLARE_TR_FUNCTIONS(drowsel::CommandLine)

public:
    // Prints the help or the version and ends the process with status 0, or
    // names an unknown option and ends it with status 1; returns when the
    // program is to run.
    static void process(const QCoreApplication& application);
};

} // namespace drowsel
