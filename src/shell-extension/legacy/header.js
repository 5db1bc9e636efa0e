// SPDX-License-Identifier: GPL-3.0-or-later
// Generated from ShellService.js: the form GNOME Shell 43 and 44 load.
const {Gio, GLib, Meta, Shell} = imports.gi;
