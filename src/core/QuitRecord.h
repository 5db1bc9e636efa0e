// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/Date.h"

namespace drowsel {

// What the user can look back on: the applications Drowsel asked to quit.
class QuitRecord {
public:
    virtual ~QuitRecord() = default;

    // The application took a quit request at this time.
    virtual void add(const ApplicationHandle& application, Date askedAt) = 0;
};

} // namespace drowsel
