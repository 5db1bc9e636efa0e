// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <memory>

namespace drowsel {

// Owns what xcb hands out with malloc: replies, events and errors.
struct XcbReplyDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbReplyDeleter>;

} // namespace drowsel
