// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantMap>

namespace drowsel {

// What the build knows about the program: its version under
// "CFBundleShortVersionString" and its build number under "CFBundleVersion".
// A value the build did not have is missing.
class MainBundle {
public:
    MainBundle() = delete;

    static QVariantMap infoDictionary();
};

} // namespace drowsel
