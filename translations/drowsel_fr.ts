<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>drowsel::AppRow</name>
    <message>
        <source>Playing sound: not idle</source>
        <translation>Lit du son : pas inactive</translation>
    </message>
    <message>
        <source>Recording: not idle</source>
        <translation>Enregistre : pas inactive</translation>
    </message>
    <message>
        <source>Keeping the computer awake: %1</source>
        <translation>Garde l’ordinateur éveillé : %1</translation>
    </message>
    <message>
        <source>not idle</source>
        <translation>pas inactive</translation>
    </message>
    <message>
        <source>Running a command: not idle</source>
        <translation>Exécute une commande : pas inactive</translation>
    </message>
    <message>
        <source>Quit %1 automatically</source>
        <translation>Fermer %1 automatiquement</translation>
    </message>
    <message>
        <source>Reset idle time of %1</source>
        <translation>Remettre à zéro l’inactivité de %1</translation>
    </message>
    <message>
        <source>Quit %1 now</source>
        <translation>Fermer %1 maintenant</translation>
    </message>
</context>
<context>
    <name>drowsel::ContentView</name>
    <message>
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message>
        <source>Quit Drowsel</source>
        <translation>Quitter Drowsel</translation>
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
        <translation>Affiche un bouton pour fermer les applications</translation>
    </message>
    <message>
        <source>Idle time in hours until quitting</source>
        <translation>Durée d’inactivité en heures avant la fermeture</translation>
    </message>
    <message>
        <source>Drowsel</source>
        <translation>Drowsel</translation>
    </message>
    <message>
        <source>Startup:</source>
        <translation>Démarrage :</translation>
    </message>
    <message>
        <source>Idle time:</source>
        <translation>Inactivité :</translation>
    </message>
    <message>
        <source>until quitting</source>
        <translation>avant la fermeture</translation>
    </message>
    <message>
        <source>Quit button:</source>
        <translation>Bouton Fermer :</translation>
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
        <translation>Épargner les applications au travail</translation>
    </message>
    <message>
        <source>Count only time at the computer</source>
        <translation>Ne compter que le temps passé à l’ordinateur</translation>
    </message>
    <message>
        <source>Pause for 1 hour</source>
        <translation>Pause d’une heure</translation>
    </message>
    <message>
        <source>Pause until tomorrow</source>
        <translation>Pause jusqu’à demain</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reprendre</translation>
    </message>
    <message>
        <source>Recently quit</source>
        <translation>Quittées récemment</translation>
    </message>
    <message>
        <source>No application quit yet</source>
        <translation>Aucune application quittée pour l’instant</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Warn before quitting</source>
        <translation>Avertir avant de quitter</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Réglages…</translation>
    </message>
    <message>
        <source>Quit Drowsel</source>
        <translation>Quitter Drowsel</translation>
    </message>
</context>
<context>
    <name>drowsel::TrayItem</name>
    <message>
        <source>Paused until %1</source>
        <translation>En pause jusqu’à %1</translation>
    </message>
</context>
<context>
    <name>drowsel::DesktopNotifications</name>
    <message>
        <source>An application</source>
        <translation>Une application</translation>
    </message>
    <message>
        <source>%1 will be asked to quit in 1 minute</source>
        <translation>%1 sera invitée à se fermer dans 1 minute</translation>
    </message>
    <message>
        <source>%1 will be asked to quit in %2 minutes</source>
        <translation>%1 sera invitée à se fermer dans %2 minutes</translation>
    </message>
    <message>
        <source>Keep open</source>
        <translation>Garder ouverte</translation>
    </message>
    <message>
        <source>Quit now</source>
        <translation>Fermer maintenant</translation>
    </message>
</context>
<context>
    <name>drowsel::RecentQuits</name>
    <message>
        <source>Unknown</source>
        <translation>Inconnue</translation>
    </message>
</context>
<context>
    <name>drowsel::NoTrayGuard</name>
    <message>
        <source>Drowsel has no tray to show its icon</source>
        <translation>Drowsel n’a pas de zone de notification où montrer son icône</translation>
    </message>
    <message>
        <source>Drowsel keeps track of your applications but asks none of them to quit until a tray shows its icon, so that you can see and stop it.</source>
        <translation>Drowsel suit vos applications mais n’en invite aucune à se fermer tant qu’une zone de notification ne montre pas son icône, pour que vous puissiez le voir et l’arrêter.</translation>
    </message>
    <message>
        <source>Quit idle applications anyway</source>
        <translation>Fermer quand même les applications inactives</translation>
    </message>
</context>
<context>
    <name>drowsel::CommandLine</name>
    <message>
        <source>Politely quits the applications you have left idle for too long.</source>
        <translation>Ferme poliment les applications que vous avez laissées inactives trop longtemps.</translation>
    </message>
</context>
<context>
    <name>drowsel::DisplayProbe</name>
    <message>
        <source>drowsel: no display answers: DISPLAY and WAYLAND_DISPLAY name none that can be reached</source>
        <translation>drowsel : aucun affichage ne répond : DISPLAY et WAYLAND_DISPLAY n’en désignent aucun joignable</translation>
    </message>
</context>
<context>
    <name>drowsel::ShellExtensionNotice</name>
    <message>
        <source>Without its GNOME Shell extension, Drowsel sees none of your Wayland windows. On Wayland a newly installed extension runs only after you log out and back in; until then Drowsel works with the applications that run under XWayland only.</source>
        <translation>Sans son extension GNOME Shell, Drowsel ne voit aucune de vos fenêtres Wayland. Sous Wayland, une extension nouvellement installée ne fonctionne qu’après une déconnexion et une reconnexion ; d’ici là, Drowsel ne fonctionne qu’avec les applications qui s’exécutent sous XWayland.</translation>
    </message>
    <message>
        <source>Enable the AppIndicator extension too, so that the top bar shows Drowsel's icon.</source>
        <translation>Activez aussi l’extension AppIndicator, pour que la barre supérieure affiche l’icône de Drowsel.</translation>
    </message>
    <message>
        <source>Drowsel's GNOME Shell extension is not running</source>
        <translation>L’extension GNOME Shell de Drowsel ne fonctionne pas</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Activer</translation>
    </message>
</context>
</TS>
