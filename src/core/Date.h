// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace drowsel {

// A wall-clock instant in seconds since 1970; differences are seconds.
using Date = double;

} // namespace drowsel
