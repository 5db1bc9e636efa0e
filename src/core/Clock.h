#pragma once

#include "core/Date.h"

namespace drowsel {

class Clock {
public:
    virtual ~Clock() = default;

    virtual Date now() const = 0;
};

} // namespace drowsel
