// SPDX-License-Identifier: GPL-3.0-or-later
// Generated from ShellService.js: the ES module form GNOME Shell 45 and later load.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
