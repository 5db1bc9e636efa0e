// SPDX-License-Identifier: GPL-3.0-or-later
// Opens org.gnome.Shell.Eval to the test driving this private shell.
function init() {
    return {
        enable() {
            global.context.unsafe_mode = true;
        },
        disable() {
            global.context.unsafe_mode = false;
        },
    };
}
