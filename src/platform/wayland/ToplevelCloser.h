// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

namespace drowsel {

// Asks the compositor to close one toplevel, named by the id its workspace
// gave it. The workspace owns the closer, so applications that outlive the
// workspace hold an expired reference and ask nobody.
class ToplevelCloser {
public:
    // True when the request was sent; false for a toplevel that is gone or
    // must not be closed through this workspace.
    using Request = std::function<bool(std::uint64_t toplevel)>;

    explicit ToplevelCloser(Request request) : request(std::move(request)) {}

    bool close(std::uint64_t toplevel) const { return request(toplevel); }

private:
    Request request;
};

} // namespace drowsel
