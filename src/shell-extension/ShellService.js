// SPDX-License-Identifier: GPL-3.0-or-later
// The window list, focus changes and a polite close that GNOME Shell gives
// no application, offered to Drowsel on the session bus. Shared by both forms
// of the extension: the build puts the imports before it and the entry point after.

const BUS_NAME = 'com.drowsel.Drowsel.Shell';
const OBJECT_PATH = '/com/drowsel/Drowsel/Shell';
const INTERFACE_XML = `<node>
  <interface name="com.drowsel.Drowsel.Shell">
    <method name="ListWindows"><arg type="aa{sv}" direction="out" name="windows"/></method>
    <method name="CloseWindow">
      <arg type="t" direction="in" name="id"/><arg type="b" direction="out" name="asked"/>
    </method>
    <signal name="WindowOpened"><arg type="a{sv}" name="window"/></signal>
    <signal name="WindowChanged"><arg type="a{sv}" name="window"/></signal>
    <signal name="FocusChanged"><arg type="t" name="id"/></signal>
    <signal name="WindowClosed"><arg type="t" name="id"/></signal>
  </interface>
</node>`;

// What a window's own signals may change in its description.
const WINDOW_CHANGES = ['notify::title', 'notify::wm-class', 'notify::skip-taskbar', 'notify::window-type'];

const TYPE_NAMES = new Map([
    [Meta.WindowType.NORMAL, 'normal'],
    [Meta.WindowType.DIALOG, 'dialog'],
    [Meta.WindowType.MODAL_DIALOG, 'modal_dialog'],
    [Meta.WindowType.UTILITY, 'utility'],
    [Meta.WindowType.SPLASHSCREEN, 'splashscreen'],
    [Meta.WindowType.DOCK, 'dock'],
    [Meta.WindowType.DESKTOP, 'desktop'],
    [Meta.WindowType.MENU, 'menu'],
    [Meta.WindowType.DROPDOWN_MENU, 'menu'],
    [Meta.WindowType.POPUP_MENU, 'menu'],
    [Meta.WindowType.TOOLBAR, 'toolbar'],
    [Meta.WindowType.TOOLTIP, 'tooltip'],
    [Meta.WindowType.NOTIFICATION, 'notification'],
]);

function isWayland(window) {
    return window.get_client_type() === Meta.WindowClientType.WAYLAND;
}

function describe(window) {
    // A window of no known application gets a stand-in one, which is not Drowsel's to know.
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    return {
        id: window.get_id(),
        appId: app && !app.is_window_backed() ? app.get_id() : '',
        wmClass: window.get_wm_class() ?? '',
        title: window.get_title() ?? '',
        pid: Math.max(window.get_pid(), 0),
        client: isWayland(window) ? 'wayland' : 'x11',
        type: TYPE_NAMES.get(window.get_window_type()) ?? 'other',
        skipTaskbar: window.is_skip_taskbar(),
        hasFocus: window.has_focus(),
        canClose: window.can_close() && isWayland(window),
    };
}

const VARIANT_TYPES = {
    id: 't',
    appId: 's',
    wmClass: 's',
    title: 's',
    pid: 'u',
    client: 's',
    type: 's',
    skipTaskbar: 'b',
    hasFocus: 'b',
    canClose: 'b',
};

function toVariantDict(description) {
    const dict = {};
    for (const [key, type] of Object.entries(VARIANT_TYPES))
        dict[key] = new GLib.Variant(type, description[key]);
    return dict;
}

// Focus is told on its own (FocusChanged): a change of it alone is no WindowChanged.
function sameButFocus(before, after) {
    return Object.keys(VARIANT_TYPES).every(key => key === 'hasFocus' || before[key] === after[key]);
}

class ShellService {
    enable() {
        this._ownUid = new Gio.Credentials().get_unix_user();
        this._windows = new Map(); // MetaWindow -> {handlers, description}
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE,
            null, null);
        this._displayHandlers = [
            global.display.connect('window-created', (display, window) => this._track(window, true)),
            global.display.connect('notify::focus-window', () => this._emit('FocusChanged', '(t)',
                [global.display.focus_window?.get_id() ?? 0])),
        ];
        this._trackerHandler = Shell.WindowTracker.get_default().connect('tracked-windows-changed',
            () => this._refreshAll());
        for (const actor of global.get_window_actors())
            this._track(actor.meta_window, false);
    }

    disable() {
        Gio.bus_unown_name(this._nameId);
        this._exported.unexport();
        for (const handler of this._displayHandlers)
            global.display.disconnect(handler);
        Shell.WindowTracker.get_default().disconnect(this._trackerHandler);
        for (const window of [...this._windows.keys()])
            this._untrack(window);
        this._exported = null;
        this._windows = null;
    }

    ListWindowsAsync(parameters, invocation) {
        this._whenCallerIsOwner(invocation, () => {
            const list = [...this._windows.keys()].map(window => toVariantDict(describe(window)));
            invocation.return_value(new GLib.Variant('(aa{sv})', [list]));
        });
    }

    // Asks a Wayland client to close the window, as its close button would.
    // X11 clients are Drowsel's own to close (it sees them on XWayland).
    CloseWindowAsync(parameters, invocation) {
        this._whenCallerIsOwner(invocation, () => {
            const [id] = parameters;
            const window = [...this._windows.keys()].find(candidate => candidate.get_id() === id);
            const closable = window !== undefined && describe(window).canClose;
            if (closable)
                window.delete(global.get_current_time());
            invocation.return_value(new GLib.Variant('(b)', [closable]));
        });
    }

    // Only the shell's own user may see or close its windows.
    _whenCallerIsOwner(invocation, answer) {
        invocation.get_connection().call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            'GetConnectionUnixUser', new GLib.Variant('(s)', [invocation.get_sender()]),
            new GLib.VariantType('(u)'), Gio.DBusCallFlags.NONE, -1, null, (connection, result) => {
                let uid = -1;
                try {
                    [uid] = connection.call_finish(result).deepUnpack();
                } catch (error) {
                    logError(error, 'Drowsel: cannot tell the caller\'s user');
                }
                if (!this._windows)
                    invocation.return_dbus_error('org.freedesktop.DBus.Error.UnknownObject', 'Disabled meanwhile');
                else if (uid !== this._ownUid)
                    invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
                        'Only the session\'s own user may ask this');
                else
                    answer();
            });
    }

    _track(window, announce) {
        if (window.is_override_redirect() || this._windows.has(window))
            return;
        const handlers = WINDOW_CHANGES.map(change => window.connect(change, () => this._refresh(window)));
        handlers.push(window.connect('unmanaged', () => {
            this._untrack(window);
            this._emit('WindowClosed', '(t)', [window.get_id()]);
        }));
        const description = describe(window);
        this._windows.set(window, {handlers, description});
        if (announce)
            this._emit('WindowOpened', '(a{sv})', [toVariantDict(description)]);
    }

    _untrack(window) {
        for (const handler of this._windows.get(window).handlers)
            window.disconnect(handler);
        this._windows.delete(window);
    }

    _refresh(window) {
        const tracked = this._windows.get(window);
        const description = describe(window);
        if (sameButFocus(tracked.description, description))
            return;
        tracked.description = description;
        this._emit('WindowChanged', '(a{sv})', [toVariantDict(description)]);
    }

    _refreshAll() {
        for (const window of this._windows.keys())
            this._refresh(window);
    }

    _emit(signal, signature, values) {
        this._exported.emit_signal(signal, new GLib.Variant(signature, values));
    }
}
