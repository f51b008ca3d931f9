<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
    <context>
        <name>typix::DispatchDialog</name>
        <message>
            <source>Email Software not Compliant</source>
            <translation>Kein geeignetes Mailprogramm</translation>
        </message>
        <message>
            <source>No mail system is set up, so the typing can't be sent.

Configure an SMTP server in Settings, or install a sendmail-compatible mail program (such as msmtp or Postfix).</source>
            <translation>Es ist kein Mailsystem eingerichtet, daher kann die Abschrift nicht gesendet werden.

Richten Sie in den Einstellungen einen SMTP-Server ein oder installieren Sie ein sendmail-kompatibles Mailprogramm (etwa msmtp oder Postfix).</translation>
        </message>
        <message>
            <source>Dictation</source>
            <translation>Diktat</translation>
        </message>
        <message>
            <source>Dictation (%1)</source>
            <translation>Diktat (%1)</translation>
        </message>
        <message>
            <source>Dispatch</source>
            <translation>Versenden</translation>
        </message>
        <message>
            <source>&amp;Browse</source>
            <translation>&amp;Durchsuchen</translation>
        </message>
        <message>
            <source>&amp;Dispatch</source>
            <translation>&amp;Versenden</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>Hilfe</translation>
        </message>
        <message>
            <source>Attach Document</source>
            <translation>Dokument anhängen</translation>
        </message>
        <message>
            <source>Document Files (*)</source>
            <translation>Dokumente (*)</translation>
        </message>
        <message>
            <source>Sending to %1 ... (Cancel stops)</source>
            <translation>Senden an %1 ... (Abbrechen hält an)</translation>
        </message>
        <message>
            <source>Sending was stopped; nothing was sent.</source>
            <translation>Das Senden wurde angehalten; nichts wurde gesendet.</translation>
        </message>
        <message>
            <source>The mail was not sent.</source>
            <translation>Die Mail wurde nicht gesendet.</translation>
        </message>
        <message>
            <source>Dispatch Failed</source>
            <translation>Versand fehlgeschlagen</translation>
        </message>
        <message>
            <source>

The dictation stays in the list. Check the address and the mail settings, then try again.</source>
            <translation>

Das Diktat bleibt in der Liste. Prüfen Sie die Adresse und die Mail-Einstellungen und versuchen Sie es erneut.</translation>
        </message>
        <message>
            <source>Stopping ...</source>
            <translation>Wird angehalten ...</translation>
        </message>
        <message>
            <source>&amp;Email:</source>
            <translation>&amp;E-Mail:</translation>
        </message>
        <message>
            <source>&amp;Subject:</source>
            <translation>&amp;Betreff:</translation>
        </message>
        <message>
            <source>&amp;Attach:</source>
            <translation>&amp;Anhang:</translation>
        </message>
    </context>
    <context>
        <name>typix::DockDialog</name>
        <message>
            <source>Please connect your portable dictaphone to your computer and press the play button on your portable dictaphone.</source>
            <translation>Bitte schließen Sie Ihr Diktiergerät an den Computer an und drücken Sie am Diktiergerät die Wiedergabetaste.</translation>
        </message>
        <message>
            <source>Unable to start transfer.
This may be because the sound card is being used.</source>
            <translation>Die Übertragung kann nicht starten.
Vielleicht wird die Soundkarte gerade verwendet.</translation>
        </message>
        <message>
            <source>Recording dictation.
When complete please click Done.</source>
            <translation>Diktat wird aufgenommen.
Klicken Sie am Ende auf Fertig.</translation>
        </message>
        <message>
            <source>Recording Portable Dictaphone</source>
            <translation>Aufnahme vom Diktiergerät</translation>
        </message>
        <message>
            <source> &amp;Connection Settings</source>
            <translation> &amp;Verbindungseinstellungen</translation>
        </message>
        <message>
            <source>Sound Record Device</source>
            <translation>Aufnahmegerät</translation>
        </message>
        <message>
            <source>Audio Input Channel</source>
            <translation>Audioeingang</translation>
        </message>
        <message>
            <source>Record Volume Level</source>
            <translation>Aufnahmepegel</translation>
        </message>
        <message>
            <source>Activate Level</source>
            <translation>Auslösepegel</translation>
        </message>
        <message>
            <source>Restart</source>
            <translation>Neu starten</translation>
        </message>
        <message>
            <source>&amp;Done</source>
            <translation>&amp;Fertig</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>Hilfe</translation>
        </message>
        <message>
            <source>Select sound card to be used for connection</source>
            <translation>Soundkarte für die Verbindung wählen</translation>
        </message>
        <message>
            <source>Select the sound input channel</source>
            <translation>Audioeingang wählen</translation>
        </message>
        <message>
            <source>Set the volume to record at</source>
            <translation>Aufnahmelautstärke einstellen</translation>
        </message>
        <message>
            <source>Set the automatic activate level</source>
            <translation>Pegel für den automatischen Start einstellen</translation>
        </message>
        <message>
            <source>Restart the transfer</source>
            <translation>Übertragung neu beginnen</translation>
        </message>
        <message>
            <source>Click when transfer is complete</source>
            <translation>Klicken, wenn die Übertragung abgeschlossen ist</translation>
        </message>
        <message>
            <source>Cancel Transfer</source>
            <translation>Übertragung abbrechen</translation>
        </message>
        <message>
            <source>Display more instructions about using the Transfer feature</source>
            <translation>Weitere Hinweise zur Übertragung anzeigen</translation>
        </message>
    </context>
    <context>
        <name>typix::GlobalShortcutsPortal</name>
        <message>
            <source>Korvel Typix: 2 seconds back</source>
            <translation>Korvel Typix: 2 Sekunden zurück</translation>
        </message>
        <message>
            <source>Korvel Typix: 2 seconds ahead</source>
            <translation>Korvel Typix: 2 Sekunden vor</translation>
        </message>
        <message>
            <source>Korvel Typix: play at normal speed</source>
            <translation>Korvel Typix: mit normaler Geschwindigkeit abspielen</translation>
        </message>
        <message>
            <source>Korvel Typix: play slowly</source>
            <translation>Korvel Typix: langsam abspielen</translation>
        </message>
        <message>
            <source>Korvel Typix: play fast</source>
            <translation>Korvel Typix: schnell abspielen</translation>
        </message>
        <message>
            <source>Korvel Typix: stop</source>
            <translation>Korvel Typix: anhalten</translation>
        </message>
        <message>
            <source>Korvel Typix: show the window</source>
            <translation>Korvel Typix: Fenster zeigen</translation>
        </message>
        <message>
            <source>Korvel Typix: minimize the window</source>
            <translation>Korvel Typix: Fenster minimieren</translation>
        </message>
    </context>
    <context>
        <name>typix::HelpWindow</name>
        <message>
            <source>Korvel Typix Help</source>
            <translation>Korvel Typix Hilfe</translation>
        </message>
    </context>
    <context>
        <name>typix::InstallDialog</name>
        <message>
            <source>Installing Korvel Typix</source>
            <translation>Korvel Typix wird installiert</translation>
        </message>
        <message>
            <source>Install Error</source>
            <translation>Installationsfehler</translation>
        </message>
        <message>
            <source>Installation file corrupt.

A checksum error was detected in your install file, please redownload file and install again.</source>
            <translation>Installationsdatei beschädigt.

In Ihrer Installationsdatei wurde ein Prüfsummenfehler gefunden. Bitte laden Sie die Datei erneut herunter und installieren Sie noch einmal.</translation>
        </message>
        <message>
            <source>Uninstall Korvel Typix</source>
            <translation>Korvel Typix deinstallieren</translation>
        </message>
        <message>
            <source>Are you sure you want to remove Korvel Typix from this computer?</source>
            <translation>Möchten Sie Korvel Typix wirklich von diesem Computer entfernen?</translation>
        </message>
        <message>
            <source>Also delete your dictations, typing and settings?

Only the files Korvel Typix made in its data folders are deleted; anything else in them stays. Choose No to keep them for a later installation.

Data folders:</source>
            <translation>Auch Ihre Diktate, Abschriften und Einstellungen löschen?

Gelöscht werden nur die Dateien, die Korvel Typix in seinen Datenordnern angelegt hat; alles andere darin bleibt. Wählen Sie Nein, um sie für eine spätere Installation zu behalten.

Datenordner:</translation>
        </message>
    </context>
    <context>
        <name>typix::KeyHints</name>
        <message>
            <source>F7 and F8 jump 2 seconds; hold Ctrl+Left or Ctrl+Right (or the pedal) to hear the dictation rewind or fast-forward</source>
            <translation>F7 und F8 springen 2 Sekunden; halten Sie Strg+Links oder Strg+Rechts (oder das Pedal), um das Diktat beim Zurück- oder Vorspulen zu hören</translation>
        </message>
        <message>
            <source>Hold F7 or F8 to hear the dictation rewind or fast-forward</source>
            <translation>Halten Sie F7 oder F8, um das Diktat beim Zurück- oder Vorspulen zu hören</translation>
        </message>
        <message>
            <source>Rewind (hold Ctrl+Left; F7 jumps 2 s back)</source>
            <translation>Zurückspulen (Strg+Links halten; F7 springt 2 s zurück)</translation>
        </message>
        <message>
            <source>Rewind (hold F7)</source>
            <translation>Zurückspulen (F7 halten)</translation>
        </message>
        <message>
            <source>Fast Forward (hold Ctrl+Right; F8 jumps 2 s ahead)</source>
            <translation>Vorspulen (Strg+Rechts halten; F8 springt 2 s vor)</translation>
        </message>
        <message>
            <source>Fast Forward (hold F8)</source>
            <translation>Vorspulen (F8 halten)</translation>
        </message>
        <message>
            <source>Play (F9 plays at normal speed)</source>
            <translation>Abspielen (F9 spielt mit normaler Geschwindigkeit)</translation>
        </message>
    </context>
    <context>
        <name>typix::LProgressDialog</name>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
    </context>
    <context>
        <name>typix::LicenceDialog</name>
        <message>
            <source>Korvel Typix licence terms

1. You may install and use Korvel Typix on the computers of your business, for as many users as your licence names.

2. You may copy the setup file to install the program and keep one copy for safe keeping. You may not sell, rent or lend the program, and you may not take it apart beyond what the law allows.

3. Dictations, typing and settings are yours; the program keeps them in your own folders and sends them only where you tell it to.

4. The program is provided as it is. Korvel is not liable for lost work or other loss arising from its use, except where the law says otherwise.

Choose "I Agree" to install Korvel Typix, or "I Do Not Agree" to leave without installing anything.</source>
            <translation>Lizenzbedingungen von Korvel Typix

1. Sie dürfen Korvel Typix auf den Rechnern Ihres Unternehmens installieren und nutzen, für so viele Benutzer, wie Ihre Lizenz nennt.

2. Sie dürfen die Setup-Datei kopieren, um das Programm zu installieren, und eine Kopie zur Sicherung aufbewahren. Sie dürfen das Programm nicht verkaufen, vermieten oder verleihen und es nicht weiter zerlegen, als das Gesetz es erlaubt.

3. Diktate, Abschriften und Einstellungen gehören Ihnen; das Programm bewahrt sie in Ihren eigenen Ordnern auf und sendet sie nur dorthin, wohin Sie es anweisen.

4. Das Programm wird so bereitgestellt, wie es ist. Korvel haftet nicht für verlorene Arbeit oder andere Schäden aus seiner Nutzung, soweit das Gesetz nichts anderes bestimmt.

Wählen Sie "Ich stimme zu", um Korvel Typix zu installieren, oder "Ich stimme nicht zu", um ohne Installation zu beenden.</translation>
        </message>
        <message>
            <source>Licence Terms</source>
            <translation>Lizenzbedingungen</translation>
        </message>
        <message>
            <source>Please read the licence terms:</source>
            <translation>Bitte lesen Sie die Lizenzbedingungen:</translation>
        </message>
        <message>
            <source>I Agree</source>
            <translation>Ich stimme zu</translation>
        </message>
        <message>
            <source>I Do Not Agree</source>
            <translation>Ich stimme nicht zu</translation>
        </message>
    </context>
    <context>
        <name>typix::LogoWin</name>
        <message>
            <source>Version %1 for Linux
Transcription player for typists
Made by the Korvel Typix developers</source>
            <translation>Version %1 für Linux
Diktatwiedergabe für Schreibkräfte
Von den Entwicklern von Korvel Typix</translation>
        </message>
        <message>
            <source>Proprietary software</source>
            <translation>Proprietäre Software</translation>
        </message>
    </context>
    <context>
        <name>typix::MCDisp</name>
        <message>
            <source>Channels</source>
            <translation>Kanäle</translation>
        </message>
    </context>
    <context>
        <name>typix::MainDialog</name>
        <message>
            <source>&amp;Load Dictation File	F3</source>
            <translation>Diktat la&amp;den	F3</translation>
        </message>
        <message>
            <source>&amp;Dispatch (Reply with Typing)	Ctrl+D</source>
            <translation>&amp;Versenden (Antwort mit Abschrift)	Strg+D</translation>
        </message>
        <message>
            <source>Do&amp;ne (No reply)	Ctrl+N</source>
            <translation>&amp;Fertig (ohne Antwort)	Strg+N</translation>
        </message>
        <message>
            <source>&amp;Delete	Ctrl+Del</source>
            <translation>&amp;Löschen	Strg+Entf</translation>
        </message>
        <message>
            <source>Recover &amp;Old Files	Ctrl+O</source>
            <translation>Alte Diktate &amp;wiederherstellen	Strg+O</translation>
        </message>
        <message>
            <source>Korvel Typix - transcription made comfortable</source>
            <translation>Korvel Typix - bequem abschreiben</translation>
        </message>
        <message>
            <source>F9 plays at normal speed, F10 slowly, F11 fast; Escape stops</source>
            <translation>F9 spielt mit normaler Geschwindigkeit, F10 langsam, F11 schnell; Esc hält an</translation>
        </message>
        <message>
            <source>Your typing is saved whenever you move to another dictation</source>
            <translation>Ihre Abschrift wird gespeichert, sobald Sie zu einem anderen Diktat wechseln</translation>
        </message>
        <message>
            <source>Dispatch (Ctrl+D) sends your typing back to the author</source>
            <translation>Versenden (Strg+D) schickt Ihre Abschrift an den Autor zurück</translation>
        </message>
        <message>
            <source>Done files can be recovered for about ten days (Ctrl+O)</source>
            <translation>Fertige Diktate lassen sich etwa zehn Tage lang wiederherstellen (Strg+O)</translation>
        </message>
        <message>
            <source>Drag the speed bar to slow down fast talkers</source>
            <translation>Ziehen Sie den Geschwindigkeitsregler, um schnelle Sprecher zu verlangsamen</translation>
        </message>
        <message>
            <source>New dictation arrives by itself from FTP, the network and e-mail</source>
            <translation>Neue Diktate kommen von selbst per FTP, aus dem Netzwerk und per E-Mail</translation>
        </message>
        <message>
            <source>Press F1 for help on keys, pedals and settings</source>
            <translation>F1 zeigt die Hilfe zu Tasten, Pedalen und Einstellungen</translation>
        </message>
        <message>
            <source>Audio files (%1)</source>
            <translation>Audiodateien (%1)</translation>
        </message>
        <message>
            <source>Confirm Delete</source>
            <translation>Löschen bestätigen</translation>
        </message>
        <message>
            <source>Are you sure you want to delete this file?

Once you have deleted a file is cannot be recovered. Use the Done button if you want to be able to recover the file.</source>
            <translation>Möchten Sie diese Datei wirklich löschen?

Eine gelöschte Datei kann nicht wiederhergestellt werden. Verwenden Sie die Schaltfläche Fertig, wenn Sie die Datei später wiederherstellen möchten.</translation>
        </message>
        <message>
            <source>Load Dictation File</source>
            <translation>Diktat laden</translation>
        </message>
        <message>
            <source> Files</source>
            <translation> Dateien</translation>
        </message>
        <message>
            <source>Dispatch</source>
            <translation>Versenden</translation>
        </message>
        <message>
            <source>Done</source>
            <translation>Fertig</translation>
        </message>
        <message>
            <source>Delete</source>
            <translation>Löschen</translation>
        </message>
        <message>
            <source> Sender Information</source>
            <translation> Absender</translation>
        </message>
        <message>
            <source>Priority</source>
            <translation>Priorität</translation>
        </message>
        <message>
            <source>Date</source>
            <translation>Datum</translation>
        </message>
        <message>
            <source> Transport</source>
            <translation> Wiedergabe</translation>
        </message>
        <message>
            <source> Volume</source>
            <translation> Lautstärke</translation>
        </message>
        <message>
            <source>Speed</source>
            <translation>Geschwindigkeit</translation>
        </message>
        <message>
            <source> Dock</source>
            <translation> Dock</translation>
        </message>
        <message>
            <source> Typing Pad</source>
            <translation> Schreibfeld</translation>
        </message>
        <message>
            <source>List of current files</source>
            <translation>Liste der aktuellen Diktate</translation>
        </message>
        <message>
            <source>Reply to sender with typing (Ctrl+D)</source>
            <translation>Abschrift an den Absender schicken (Strg+D)</translation>
        </message>
        <message>
            <source>Mark file as Done and remove from list (Ctrl+N)</source>
            <translation>Diktat als fertig markieren und aus der Liste nehmen (Strg+N)</translation>
        </message>
        <message>
            <source>Delete file - unrecoverable (Ctrl+Del)</source>
            <translation>Datei löschen - nicht wiederherstellbar (Strg+Entf)</translation>
        </message>
        <message>
            <source>Priority (importance) of file</source>
            <translation>Priorität (Wichtigkeit) des Diktats</translation>
        </message>
        <message>
            <source>Stop (Escape)</source>
            <translation>Stopp (Esc)</translation>
        </message>
        <message>
            <source>Go to Start (Ctrl+Home)</source>
            <translation>Zum Anfang (Strg+Pos1)</translation>
        </message>
        <message>
            <source>Go to End (Ctrl+End)</source>
            <translation>Zum Ende (Strg+Ende)</translation>
        </message>
        <message>
            <source>Playback volume level control</source>
            <translation>Wiedergabelautstärke</translation>
        </message>
        <message>
            <source>Playback speed control</source>
            <translation>Wiedergabegeschwindigkeit</translation>
        </message>
        <message>
            <source>Clear Voice</source>
            <translation>Klare Stimme</translation>
        </message>
        <message>
            <source>Less rumble, even loudness (Transport menu: Clear Voice)</source>
            <translation>Weniger Brummen, gleichmäßige Lautstärke (Menü Wiedergabe: Klare Stimme)</translation>
        </message>
        <message>
            <source>Transfer recording from Portable Dictaphone (Ctrl+L)</source>
            <translation>Aufnahme vom Diktiergerät übertragen (Strg+L)</translation>
        </message>
        <message>
            <source>Type here (right click for menu)</source>
            <translation>Hier schreiben (Rechtsklick für das Menü)</translation>
        </message>
        <message>
            <source>Current load progress</source>
            <translation>Fortschritt des Ladens</translation>
        </message>
        <message>
            <source>Cannot Read Dictation</source>
            <translation>Diktat nicht lesbar</translation>
        </message>
        <message>
            <source>The file "%1" cannot be read as audio.

It may be damaged, incomplete or not a wave file. Ask the sender for the dictation again.</source>
            <translation>Die Datei "%1" lässt sich nicht als Audio lesen.

Sie ist vielleicht beschädigt, unvollständig oder keine Wave-Datei. Bitten Sie den Absender, das Diktat erneut zu senden.</translation>
        </message>
        <message>
            <source>Sound Device Error</source>
            <translation>Fehler am Audiogerät</translation>
        </message>
        <message>
            <source>Unable to start playback.

This might mean you do not have a sound card installed or the sound card is being used by another application. Please check the Hardware Settings.</source>
            <translation>Die Wiedergabe kann nicht starten.

Vielleicht ist keine Soundkarte eingebaut oder ein anderes Programm verwendet sie. Bitte prüfen Sie die Geräteeinstellungen.</translation>
        </message>
        <message>
            <source>Cu&amp;t	Ctrl+X</source>
            <translation>Aus&amp;schneiden	Strg+X</translation>
        </message>
        <message>
            <source>&amp;Copy	Ctrl+C</source>
            <translation>&amp;Kopieren	Strg+C</translation>
        </message>
        <message>
            <source>&amp;Paste	Ctrl+V</source>
            <translation>&amp;Einfügen	Strg+V</translation>
        </message>
        <message>
            <source>Copy &amp;All	Ctrl+A</source>
            <translation>&amp;Alles kopieren	Strg+A</translation>
        </message>
        <message>
            <source>&amp;Dispatch	Ctrl+D</source>
            <translation>&amp;Versenden	Strg+D</translation>
        </message>
        <message>
            <source>Dictation or Wave Files (*.dct *.DCT *.wav *.WAV)</source>
            <translation>Diktat- oder Wave-Dateien (*.dct *.DCT *.wav *.WAV)</translation>
        </message>
        <message>
            <source>All Files (*)</source>
            <translation>Alle Dateien (*)</translation>
        </message>
    </context>
    <context>
        <name>typix::MainFrame</name>
        <message>
            <source>&amp;File</source>
            <translation>&amp;Datei</translation>
        </message>
        <message>
            <source>&amp;Load Dictation File	F3</source>
            <translation>Diktat la&amp;den	F3</translation>
        </message>
        <message>
            <source>&amp;Dispatch (Reply with Typing)	Ctrl+D</source>
            <translation>&amp;Versenden (Antwort mit Abschrift)	Strg+D</translation>
        </message>
        <message>
            <source>Do&amp;ne (No reply)	Ctrl+N</source>
            <translation>&amp;Fertig (ohne Antwort)	Strg+N</translation>
        </message>
        <message>
            <source>&amp;Delete	Ctrl+Del</source>
            <translation>&amp;Löschen	Strg+Entf</translation>
        </message>
        <message>
            <source>Recover &amp;Old Files	Ctrl+O</source>
            <translation>Alte Diktate &amp;wiederherstellen	Strg+O</translation>
        </message>
        <message>
            <source>Transfer from Portable Dictaphone...</source>
            <translation>Vom Diktiergerät übertragen...</translation>
        </message>
        <message>
            <source>Settings...</source>
            <translation>Einstellungen...</translation>
        </message>
        <message>
            <source>E&amp;xit	Alt+F4</source>
            <translation>&amp;Beenden	Alt+F4</translation>
        </message>
        <message>
            <source>&amp;Transport</source>
            <translation>&amp;Wiedergabe</translation>
        </message>
        <message>
            <source>&amp;Play	F9</source>
            <translation>&amp;Abspielen	F9</translation>
        </message>
        <message>
            <source>Play Slow Speed	F10</source>
            <translation>Langsam abspielen	F10</translation>
        </message>
        <message>
            <source>Play Normal Speed	F9</source>
            <translation>Normal abspielen	F9</translation>
        </message>
        <message>
            <source>Play Fast Speed	F11</source>
            <translation>Schnell abspielen	F11</translation>
        </message>
        <message>
            <source>&amp;Stop	Esc (or F12)</source>
            <translation>&amp;Stopp	Esc (oder F12)</translation>
        </message>
        <message>
            <source>Start	Ctrl+Home</source>
            <translation>Anfang	Strg+Pos1</translation>
        </message>
        <message>
            <source>Rewind	&lt;- (or F7)</source>
            <translation>Zurückspulen	&lt;- (oder F7)</translation>
        </message>
        <message>
            <source>Fast Forward	-&gt; (or F8)</source>
            <translation>Vorspulen	-&gt; (oder F8)</translation>
        </message>
        <message>
            <source>End	Ctrl+End</source>
            <translation>Ende	Strg+Ende</translation>
        </message>
        <message>
            <source>Ty&amp;ping</source>
            <translation>&amp;Schreiben</translation>
        </message>
        <message>
            <source>Cu&amp;t	Ctrl+X</source>
            <translation>Aus&amp;schneiden	Strg+X</translation>
        </message>
        <message>
            <source>&amp;Copy	Ctrl+C</source>
            <translation>&amp;Kopieren	Strg+C</translation>
        </message>
        <message>
            <source>&amp;Paste	Ctrl+V</source>
            <translation>&amp;Einfügen	Strg+V</translation>
        </message>
        <message>
            <source>Copy &amp;All	Ctrl+A</source>
            <translation>&amp;Alles kopieren	Strg+A</translation>
        </message>
        <message>
            <source>Insert &amp;Time Mark	Ctrl+T</source>
            <translation>&amp;Zeitmarke einfügen	Strg+T</translation>
        </message>
        <message>
            <source>&amp;Settings</source>
            <translation>&amp;Einstellungen</translation>
        </message>
        <message>
            <source>Hardware Settings...</source>
            <translation>Geräteeinstellungen...</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>&amp;Hilfe</translation>
        </message>
        <message>
            <source>&amp;Help Contents	F1</source>
            <translation>&amp;Hilfethemen	F1</translation>
        </message>
        <message>
            <source>&amp;About...</source>
            <translation>Ü&amp;ber...</translation>
        </message>
        <message>
            <source>About Korvel Typix</source>
            <translation>Über Korvel Typix</translation>
        </message>
        <message>
            <source>&lt;b&gt;Korvel Typix&lt;/b&gt; %1&lt;br&gt;A transcription player for typists: a queue of dictations, playback at any speed, foot pedals and a typing pad in one window.</source>
            <translation>&lt;b&gt;Korvel Typix&lt;/b&gt; %1&lt;br&gt;Ein Diktatwiedergabeprogramm für Schreibkräfte: eine Warteschlange von Diktaten, Wiedergabe in jeder Geschwindigkeit, Fußpedale und ein Schreibfeld in einem Fenster.</translation>
        </message>
        <message>
            <source>Clear &amp;Voice</source>
            <translation>&amp;Klare Stimme</translation>
        </message>
    </context>
    <context>
        <name>typix::RecoverDialog</name>
        <message>
            <source>Recover Old Files</source>
            <translation>Alte Diktate wiederherstellen</translation>
        </message>
        <message>
            <source> &amp;Files</source>
            <translation> &amp;Dateien</translation>
        </message>
        <message>
            <source>&amp;Recover</source>
            <translation>&amp;Wiederherstellen</translation>
        </message>
        <message>
            <source>&amp;Play</source>
            <translation>&amp;Abspielen</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>&amp;Stop</source>
            <translation>&amp;Stopp</translation>
        </message>
    </context>
    <context>
        <name>typix::SettingsDialog</name>
        <message>
            <source>Every 5 mins</source>
            <translation>Alle 5 Minuten</translation>
        </message>
        <message>
            <source>Every 20 mins</source>
            <translation>Alle 20 Minuten</translation>
        </message>
        <message>
            <source>Every Hour</source>
            <translation>Stündlich</translation>
        </message>
        <message>
            <source>Every 2 Hours</source>
            <translation>Alle 2 Stunden</translation>
        </message>
        <message>
            <source>Every 3 Hours</source>
            <translation>Alle 3 Stunden</translation>
        </message>
        <message>
            <source>Every 5 Hours</source>
            <translation>Alle 5 Stunden</translation>
        </message>
        <message>
            <source>Never</source>
            <translation>Nie</translation>
        </message>
        <message>
            <source>&amp;Trust This Certificate</source>
            <translation>Diesem Zertifikat &amp;vertrauen</translation>
        </message>
        <message>
            <source>Use &amp;Plain FTP (ftp://)</source>
            <translation>&amp;Einfaches FTP verwenden (ftp://)</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>Einstellungen</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>Hilfe</translation>
        </message>
        <message>
            <source>&amp;Playback</source>
            <translation>&amp;Wiedergabe</translation>
        </message>
        <message>
            <source>Sound Play Device</source>
            <translation>Wiedergabegerät</translation>
        </message>
        <message>
            <source>Play Volume Level</source>
            <translation>Wiedergabelautstärke</translation>
        </message>
        <message>
            <source>Variable Playback Speed</source>
            <translation>Veränderbare Wiedergabegeschwindigkeit</translation>
        </message>
        <message>
            <source>Slow Playback</source>
            <translation>Langsame Wiedergabe</translation>
        </message>
        <message>
            <source>Fast Playback</source>
            <translation>Schnelle Wiedergabe</translation>
        </message>
        <message>
            <source>&amp;Foot Pedal and Hot Key Control</source>
            <translation>&amp;Fußpedal und Tastenkürzel</translation>
        </message>
        <message>
            <source>Use System-Wide Hot Keys (F5 - F12)</source>
            <translation>Systemweite Tastenkürzel verwenden (F5 - F12)</translation>
        </message>
        <message>
            <source>System-wide keys are not available in this session; F5 - F12 work in the Korvel Typix window. </source>
            <translation>Systemweite Tasten sind in dieser Sitzung nicht verfügbar; F5 - F12 wirken im Fenster von Korvel Typix. </translation>
        </message>
        <message>
            <source>&amp;Incoming</source>
            <translation>&amp;Eingang</translation>
        </message>
        <message>
            <source>Email (Scan Incoming Attachment Folder)</source>
            <translation>E-Mail (Anhangordner durchsuchen)</translation>
        </message>
        <message>
            <source>LAN (Shared Folder on Computer Network)</source>
            <translation>LAN (freigegebener Ordner im Netzwerk)</translation>
        </message>
        <message>
            <source>Direct Internet (via FTP host)</source>
            <translation>Direkt über das Internet (FTP-Server)</translation>
        </message>
        <message>
            <source>Check Now</source>
            <translation>Jetzt prüfen</translation>
        </message>
        <message>
            <source>Attach Folder</source>
            <translation>Anhangordner</translation>
        </message>
        <message>
            <source>Shared Folder</source>
            <translation>Freigegebener Ordner</translation>
        </message>
        <message>
            <source>Server</source>
            <translation>Server</translation>
        </message>
        <message>
            <source>User Name</source>
            <translation>Benutzername</translation>
        </message>
        <message>
            <source>Password</source>
            <translation>Passwort</translation>
        </message>
        <message>
            <source>Directory</source>
            <translation>Verzeichnis</translation>
        </message>
        <message>
            <source>Check Interval</source>
            <translation>Prüfintervall</translation>
        </message>
        <message>
            <source>&amp;Mail</source>
            <translation>&amp;Mail</translation>
        </message>
        <message>
            <source>SMTP Server</source>
            <translation>SMTP-Server</translation>
        </message>
        <message>
            <source>Sender Address</source>
            <translation>Absenderadresse</translation>
        </message>
        <message>
            <source>Send Test Mail</source>
            <translation>Testmail senden</translation>
        </message>
        <message>
            <source>Plain FTP: the password and the dictations travel unencrypted.</source>
            <translation>Einfaches FTP: Passwort und Diktate werden unverschlüsselt übertragen.</translation>
        </message>
        <message>
            <source>Encrypted (TLS from the start).</source>
            <translation>Verschlüsselt (TLS von Anfang an).</translation>
        </message>
        <message>
            <source>Encrypted when the server offers TLS; if it offers none, the password travels unencrypted.</source>
            <translation>Verschlüsselt, wenn der Server TLS anbietet; bietet er keines an, wird das Passwort unverschlüsselt übertragen.</translation>
        </message>
        <message>
            <source>The %1 is the program's own %2 folder. Incoming dictation would be taken out of it (or its files deleted).

Choose the folder where the other program leaves the files.</source>
            <translation>Der %1 ist der eigene Ordner %2 des Programms. Eingehende Diktate würden aus ihm herausgenommen (oder seine Dateien gelöscht).

Wählen Sie den Ordner, in dem das andere Programm die Dateien ablegt.</translation>
        </message>
        <message>
            <source>Game Control Device Error</source>
            <translation>Fehler am Pedal</translation>
        </message>
        <message>
            <source>You have selected a foot pedal but no pedal device was found.

Please check that the pedal is connected and that you may read it (see Help, Foot pedals).</source>
            <translation>Sie haben ein Fußpedal gewählt, aber kein Pedal wurde gefunden.

Bitte prüfen Sie, ob das Pedal angeschlossen ist und Sie es lesen dürfen (siehe Hilfe, Fußpedale).</translation>
        </message>
        <message>
            <source>The FTP host answered; the session is encrypted.</source>
            <translation>Der FTP-Server hat geantwortet; die Verbindung ist verschlüsselt.</translation>
        </message>
        <message>
            <source>The FTP host answered; the session is NOT encrypted (the password travelled in clear).</source>
            <translation>Der FTP-Server hat geantwortet; die Verbindung ist NICHT verschlüsselt (das Passwort wurde im Klartext übertragen).</translation>
        </message>
        <message>
            <source>The FTP check failed: %1</source>
            <translation>Die FTP-Prüfung ist fehlgeschlagen: %1</translation>
        </message>
        <message>
            <source>The FTP check ended: %1.

Trust this certificate only if its SHA-256 fingerprint is the one your FTP provider gave you:
%2

Or use plain FTP, where the password travels unencrypted.</source>
            <translation>Die FTP-Prüfung endete: %1.

Vertrauen Sie diesem Zertifikat nur, wenn sein SHA-256-Fingerabdruck der ist, den Ihr FTP-Anbieter Ihnen genannt hat:
%2

Oder verwenden Sie einfaches FTP, bei dem das Passwort unverschlüsselt übertragen wird.</translation>
        </message>
        <message>
            <source>Enter the sender address first; the test mail is sent to it.</source>
            <translation>Geben Sie zuerst die Absenderadresse ein; die Testmail wird an sie gesendet.</translation>
        </message>
        <message>
            <source>A test mail was sent to %1.</source>
            <translation>Eine Testmail wurde an %1 gesendet.</translation>
        </message>
        <message>
            <source>The test mail was not sent: %1</source>
            <translation>Die Testmail wurde nicht gesendet: %1</translation>
        </message>
        <message>
            <source>attachment folder</source>
            <translation>Anhangordner</translation>
        </message>
        <message>
            <source>shared folder</source>
            <translation>freigegebene Ordner</translation>
        </message>
        <message>
            <source>Clear Voice (Less Rumble, Even Loudness)</source>
            <translation>Klare Stimme (weniger Brummen, gleichmäßige Lautstärke)</translation>
        </message>
    </context>
    <context>
        <name>typix::TypingSettings</name>
        <message>
            <source>&amp;Typing</source>
            <translation>&amp;Schreiben</translation>
        </message>
        <message>
            <source>Playback started from stopped begins this much earlier</source>
            <translation>Die Wiedergabe nach einem Halt beginnt um so viel früher</translation>
        </message>
        <message>
            <source>Step back on resume</source>
            <translation>Rücksprung beim Fortsetzen</translation>
        </message>
        <message>
            <source>Default</source>
            <translation>Standard</translation>
        </message>
        <message>
            <source>Ctrl+Plus and Ctrl+Minus in the pad change it too</source>
            <translation>Strg+Plus und Strg+Minus im Schreibfeld ändern sie ebenfalls</translation>
        </message>
        <message>
            <source>Typing pad font size</source>
            <translation>Schriftgröße des Schreibfelds</translation>
        </message>
    </context>
    <context>
        <name>typix::UninstallDialog</name>
        <message>
            <source>Removing Korvel Typix</source>
            <translation>Korvel Typix wird entfernt</translation>
        </message>
    </context>
    <context>
        <name>typix::WaveformStrip</name>
        <message>
            <source>Waveform of the dictation: click or drag to go there</source>
            <translation>Wellenform des Diktats: klicken oder ziehen, um dorthin zu springen</translation>
        </message>
        <message>
            <source>Length of the dictation</source>
            <translation>Länge des Diktats</translation>
        </message>
    </context>
</TS>
