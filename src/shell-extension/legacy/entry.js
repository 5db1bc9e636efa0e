
// SPDX-License-Identifier: GPL-3.0-or-later
// The shell calls init() once and then enable() and disable() on what it returns.
function init() {
    return new ShellService();
}
