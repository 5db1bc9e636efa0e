// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Date.h"

namespace drowsel {

class Clock {
public:
    virtual ~Clock() = default;

    virtual Date now() const = 0;
};

} // namespace drowsel
