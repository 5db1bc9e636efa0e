<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>drowsel::AppRow</name>
    <message>
        <source>Playing sound: not idle</source>
        <translation>Spielt Ton ab: nicht untätig</translation>
    </message>
    <message>
        <source>Recording: not idle</source>
        <translation>Nimmt auf: nicht untätig</translation>
    </message>
    <message>
        <source>Keeping the computer awake: %1</source>
        <translation>Hält den Computer wach: %1</translation>
    </message>
    <message>
        <source>not idle</source>
        <translation>nicht untätig</translation>
    </message>
    <message>
        <source>Running a command: not idle</source>
        <translation>Führt einen Befehl aus: nicht untätig</translation>
    </message>
    <message>
        <source>Quit %1 automatically</source>
        <translation>%1 automatisch beenden</translation>
    </message>
    <message>
        <source>Reset idle time of %1</source>
        <translation>Untätige Zeit von %1 zurücksetzen</translation>
    </message>
    <message>
        <source>Quit %1 now</source>
        <translation>%1 jetzt beenden</translation>
    </message>
</context>
<context>
    <name>drowsel::ContentView</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Quit Drowsel</source>
        <translation>Drowsel beenden</translation>
    </message>
</context>
<context>
    <name>drowsel::SettingsView</name>
    <message>
        <source>%1h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>Shows button to quit apps manually</source>
        <translation>Zeigt eine Taste zum Beenden von Anwendungen</translation>
    </message>
    <message>
        <source>Idle time in hours until quitting</source>
        <translation>Untätige Zeit in Stunden bis zum Beenden</translation>
    </message>
    <message>
        <source>Drowsel</source>
        <translation>Drowsel</translation>
    </message>
    <message>
        <source>Startup:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>Idle time:</source>
        <translation>Untätig:</translation>
    </message>
    <message>
        <source>until quitting</source>
        <translation>bis zum Beenden</translation>
    </message>
    <message>
        <source>Quit button:</source>
        <translation>Beenden-Taste:</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>drowsel::TrayMenu</name>
    <message>
        <source>Spare applications at work</source>
        <translation>Arbeitende Anwendungen verschonen</translation>
    </message>
    <message>
        <source>Count only time at the computer</source>
        <translation>Nur Zeit am Computer zählen</translation>
    </message>
    <message>
        <source>Pause for 1 hour</source>
        <translation>Pause für 1 Stunde</translation>
    </message>
    <message>
        <source>Pause until tomorrow</source>
        <translation>Pause bis morgen</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Recently quit</source>
        <translation>Kürzlich beendet</translation>
    </message>
    <message>
        <source>No application quit yet</source>
        <translation>Noch keine Anwendung beendet</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Warn before quitting</source>
        <translation>Vor dem Beenden warnen</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Quit Drowsel</source>
        <translation>Drowsel beenden</translation>
    </message>
</context>
<context>
    <name>drowsel::TrayItem</name>
    <message>
        <source>Paused until %1</source>
        <translation>Pausiert bis %1</translation>
    </message>
</context>
<context>
    <name>drowsel::DesktopNotifications</name>
    <message>
        <source>An application</source>
        <translation>Eine Anwendung</translation>
    </message>
    <message>
        <source>%1 will be asked to quit in 1 minute</source>
        <translation>%1 wird in 1 Minute zum Beenden aufgefordert</translation>
    </message>
    <message>
        <source>%1 will be asked to quit in %2 minutes</source>
        <translation>%1 wird in %2 Minuten zum Beenden aufgefordert</translation>
    </message>
    <message>
        <source>Keep open</source>
        <translation>Geöffnet lassen</translation>
    </message>
    <message>
        <source>Quit now</source>
        <translation>Jetzt beenden</translation>
    </message>
</context>
<context>
    <name>drowsel::RecentQuits</name>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
</context>
<context>
    <name>drowsel::NoTrayGuard</name>
    <message>
        <source>Drowsel has no tray to show its icon</source>
        <translation>Drowsel hat keine Leiste für sein Symbol</translation>
    </message>
    <message>
        <source>Drowsel keeps track of your applications but asks none of them to quit until a tray shows its icon, so that you can see and stop it.</source>
        <translation>Drowsel behält Ihre Anwendungen im Blick, fordert aber keine zum Beenden auf, bis eine Leiste sein Symbol zeigt, damit Sie es sehen und anhalten können.</translation>
    </message>
    <message>
        <source>Quit idle applications anyway</source>
        <translation>Untätige Anwendungen trotzdem beenden</translation>
    </message>
</context>
<context>
    <name>drowsel::CommandLine</name>
    <message>
        <source>Politely quits the applications you have left idle for too long.</source>
        <translation>Beendet höflich die Anwendungen, die Sie zu lange nicht benutzt haben.</translation>
    </message>
</context>
<context>
    <name>drowsel::DisplayProbe</name>
    <message>
        <source>drowsel: no display answers: DISPLAY and WAYLAND_DISPLAY name none that can be reached</source>
        <translation>drowsel: kein Bildschirm antwortet: DISPLAY und WAYLAND_DISPLAY nennen keinen erreichbaren</translation>
    </message>
</context>
<context>
    <name>drowsel::ShellExtensionNotice</name>
    <message>
        <source>Without its GNOME Shell extension, Drowsel sees none of your Wayland windows. On Wayland a newly installed extension runs only after you log out and back in; until then Drowsel works with the applications that run under XWayland only.</source>
        <translation>Ohne seine GNOME-Shell-Erweiterung sieht Drowsel keines Ihrer Wayland-Fenster. Unter Wayland läuft eine neu installierte Erweiterung erst, nachdem Sie sich ab- und wieder angemeldet haben; bis dahin arbeitet Drowsel nur mit den Anwendungen, die unter XWayland laufen.</translation>
    </message>
    <message>
        <source>Enable the AppIndicator extension too, so that the top bar shows Drowsel's icon.</source>
        <translation>Aktivieren Sie auch die Erweiterung AppIndicator, damit die obere Leiste das Symbol von Drowsel zeigt.</translation>
    </message>
    <message>
        <source>Drowsel's GNOME Shell extension is not running</source>
        <translation>Die GNOME-Shell-Erweiterung von Drowsel läuft nicht</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Aktivieren</translation>
    </message>
</context>
</TS>
