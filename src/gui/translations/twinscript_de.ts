<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutDlg</name>
    <message>
        <source>About Twinscript</source>
        <translation>Über Twinscript</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Sprache:</translation>
    </message>
    <message>
        <source>The language of the window; the log stays in English</source>
        <translation>Die Sprache des Fensters; das Protokoll bleibt englisch</translation>
    </message>
    <message>
        <source>(from the next start)</source>
        <translation>(ab dem nächsten Start)</translation>
    </message>
    <message>
        <source>Written in QT %1</source>
        <translation>Geschrieben mit QT %1</translation>
    </message>
    <message>
        <source>
Joining, synchronizing &amp; merging tool for text subtitles

SHORT DESCRIPTION
Twinscript overlays two subtitle files of different languages so that an ordinary media player shows both at the same time. It writes one file that holds both streams: SubRip (.srt) or MicroDVD (.sub) text stacked vertically by the time marks, or Advanced SubStation (.ass) with one style per language. Where subtitles of the two streams overlap only partly they are broken into parts, and empty lines keep each stream at its vertical position: one set is aligned to the bottom, the other stands some lines above it. Each set can have its own colour.

Work flow is intended to be straightforward:

1.) &quot;Load Subtitle Files&quot;
* Load Upper / Load Lower read a SubRip, MicroDVD, MPL2 or SubViewer 2.0 file, known by its content, as the upper or the lower set; MicroDVD files ask for their frame rate, offering the one the file declares. Time lines that are almost right are repaired and the log says how many.
* Files dropped on a list go into that set; two files dropped anywhere are a pair.
* A video (Matroska, WebM, MP4, QuickTime) asks which of its text subtitle tracks to read; one video dropped on the window asks for both sets at once.
* The selector beside each button is the coding the file is read in. &quot;Auto Detect&quot; finds it; &quot;Auto Local&quot; is the system&apos;s coding; &quot;More…&quot; opens the full list, and the codings chosen there stay in the selectors. A byte-order mark at the start of a file always wins.
* With &quot;Append&quot; checked the file is added to the end of the set, shifted behind its last subtitle, instead of replacing it.
* &quot;Open Recent&quot; loads a pair worked on before again, each file in the coding it was read in.

2.) &quot;Synchronize&quot;
* Select a subtitle in the upper and one in the lower list that are spoken at the same moment and press &quot;Add Link&quot;; links never cross each other. &quot;Auto Link&quot; finds links from the two time lines. &quot;Delete Link&quot; and &quot;Clear Links&quot; remove them; clicking a link selects both subtitles.
* Double-clicking a subtitle selects the subtitle of the other list that is nearest in time. The time line under the lists shows both sets and their links; a click on a bar selects its subtitle.
* &quot;Synchronize&quot; moves a set onto the other one through the links: it is shifted to the first link and stretched between the links like a rubber band.
* &quot;Timing&quot; shifts or stretches a set, or the selected subtitle and all after it, or converts it from one frame rate to another.
* &quot;Strip ()&quot; removes text in round, square, curly or angle brackets, for example descriptions of sounds for the hearing impaired.
* &quot;Save as&quot; stores a set on its own as SubRip or MicroDVD, in the coding of its load selector.

3.) &quot;Process &amp; Save&quot;
* Chars/sec: subtitles too short to be read at this many characters per second are lengthened where the next one leaves room.
* ms Gap: the least time between two subtitles of a set.
* ms Snap: start and end times of the two sets closer than this are made equal, so that fewer short parts are cut.
* Join Lines puts the lines of each subtitle on one line; a line ending in a hyphen is glued to the next.
* Bottom Lines: how many lines the lower set takes at the bottom; the upper set stands above them.
* Last Line Normal / Last is Dot / Last is Doubled: what stands in the bottom line when the lower set shows nothing there, a blank, a dot or two blank lines, for players that skip empty or last lines.
* For .ass files the upper language stands directly above the lower one or at the top of the picture.
* Use Color Tags writes each set in the colour of its sliders; the previews show both sets&apos; current subtitles in their colours and the merged frame as the file will show it.
* Credit line adds a subtitle naming Twinscript after the last one.
* &quot;Process &amp; Save&quot; merges both sets and writes the result as SubRip, MicroDVD or Advanced SubStation, chosen by the file&apos;s suffix, in the coding chosen below the button; while a set comes from a video, also into a copy of that video (.mkv) with the merged track added.

4.) &quot;Donate &amp; Exit&quot;
* &quot;Donate&quot;, where the build names a donation page, opens it in the web browser.
* &quot;Quit&quot; ends the program; the settings are kept for the next start.
* &quot;About&quot; shows this text.

VERSION HISTORY
1.1
* Appended files get the correct time offset.
* Sync links are cleared when a new file is loaded, not on reload or append.
* Shift and stretch of the selected and all following subtitles.
* A set is saved in the coding of its load selector.
* The save directory defaults to the last load directory.
1.0
* First release.
</source>
        <translation>
Werkzeug zum Verbinden, Synchronisieren und Zusammenführen von Text-Untertiteln

KURZBESCHREIBUNG
Twinscript legt zwei Untertiteldateien verschiedener Sprachen so übereinander, dass ein gewöhnlicher Mediaplayer beide zugleich zeigt. Es schreibt eine Datei, die beide Spuren enthält: SubRip- (.srt) oder MicroDVD-Text (.sub), nach den Zeitmarken senkrecht gestapelt, oder Advanced SubStation (.ass) mit einem Stil je Sprache. Wo sich Untertitel der beiden Spuren nur teilweise überschneiden, werden sie in Teile zerlegt, und Leerzeilen halten jede Spur auf ihrer Höhe: ein Satz steht unten, der andere einige Zeilen darüber. Jeder Satz kann seine eigene Farbe haben.

Der Arbeitsablauf ist einfach gehalten:

1.) „Untertiteldateien laden“
* „Obere laden“ / „Untere laden“ lesen eine SubRip-, MicroDVD-, MPL2- oder SubViewer-2.0-Datei, am Inhalt erkannt, als oberen oder unteren Satz; MicroDVD-Dateien fragen nach ihrer Bildrate und bieten die an, die die Datei angibt. Fast richtige Zeitzeilen werden repariert, und das Protokoll sagt, wie viele.
* Auf eine Liste gezogene Dateien kommen in diesen Satz; zwei irgendwo abgelegte Dateien sind ein Paar.
* Ein Video (Matroska, WebM, MP4, QuickTime) fragt, welche seiner Text-Untertitelspuren gelesen werden soll; ein auf das Fenster gezogenes Video fragt nach beiden Sätzen zugleich.
* Die Auswahl neben jeder Schaltfläche ist die Kodierung, in der die Datei gelesen wird. „Auto Detect“ erkennt sie; „Auto Local“ ist die Kodierung des Systems; „Mehr…“ öffnet die ganze Liste, und die dort gewählten Kodierungen bleiben in den Auswahlen. Eine Byte-Order-Mark am Anfang einer Datei hat immer Vorrang.
* Ist „Anhängen“ angekreuzt, kommt die Datei ans Ende des Satzes, hinter seinen letzten Untertitel verschoben, statt ihn zu ersetzen.
* „Zuletzt geöffnet“ lädt ein früher bearbeitetes Paar wieder, jede Datei in der Kodierung, in der sie gelesen wurde.

2.) „Synchronisieren“
* Wählen Sie in der oberen und in der unteren Liste je einen Untertitel, die im selben Moment gesprochen werden, und drücken Sie „Link setzen“; Links kreuzen sich nie. „Auto-Link“ findet Links aus den beiden Zeitleisten. „Link löschen“ und „Alle Links löschen“ entfernen sie; ein Klick auf einen Link wählt beide Untertitel.
* Ein Doppelklick auf einen Untertitel wählt den zeitlich nächsten Untertitel der anderen Liste. Die Zeitleiste unter den Listen zeigt beide Sätze und ihre Links; ein Klick auf einen Balken wählt seinen Untertitel.
* „Synchronisieren“ legt einen Satz über die Links auf den anderen: er wird zum ersten Link verschoben und zwischen den Links wie ein Gummiband gedehnt.
* „Zeiten“ verschiebt oder dehnt einen Satz, oder den gewählten Untertitel und alle folgenden, oder rechnet ihn von einer Bildrate in eine andere um.
* „Entfernen ()“ entfernt Text in runden, eckigen, geschweiften oder spitzen Klammern, zum Beispiel Geräuschbeschreibungen für Hörgeschädigte.
* „Speichern unter“ speichert einen Satz für sich als SubRip oder MicroDVD, in der Kodierung seiner Ladeauswahl.

3.) „Verarbeiten &amp; Speichern“
* Zeichen/s: Untertitel, die zu kurz sind, um bei so vielen Zeichen pro Sekunde gelesen zu werden, werden verlängert, wo der nächste Platz lässt.
* ms Abstand: die kürzeste Zeit zwischen zwei Untertiteln eines Satzes.
* ms Einrasten: Anfangs- und Endzeiten der beiden Sätze, die näher beieinander liegen, werden gleich gemacht, damit weniger kurze Teile entstehen.
* „Zeilen verbinden“ setzt die Zeilen jedes Untertitels in eine Zeile; eine Zeile, die auf einen Bindestrich endet, wird an die nächste geklebt.
* Zeilen unten: wie viele Zeilen der untere Satz unten einnimmt; der obere Satz steht darüber.
* Letzte Zeile normal / Letzte ist Punkt / Letzte doppelt: was in der untersten Zeile steht, wenn der untere Satz dort nichts zeigt: ein Leerzeichen, ein Punkt oder zwei Leerzeilen, für Player, die leere oder letzte Zeilen auslassen.
* In .ass-Dateien steht die obere Sprache direkt über der unteren oder am oberen Bildrand.
* „Farb-Tags verwenden“ schreibt jeden Satz in der Farbe seiner Regler; die Vorschauen zeigen die aktuellen Untertitel beider Sätze in ihren Farben und das zusammengeführte Bild so, wie die Datei es zeigen wird.
* „Nennung“ fügt nach dem letzten Untertitel einen Untertitel an, der Twinscript nennt.
* „Verarbeiten &amp; Speichern“ führt beide Sätze zusammen und schreibt das Ergebnis als SubRip, MicroDVD oder Advanced SubStation, nach der Endung der Datei gewählt, in der Kodierung, die unter der Schaltfläche gewählt ist; stammt ein Satz aus einem Video, auch in eine Kopie dieses Videos (.mkv) mit der zusammengeführten Spur.

4.) „Spenden &amp; Beenden“
* „Spenden“ öffnet, wo der Build eine Spendenseite nennt, diese im Webbrowser.
* „Beenden“ beendet das Programm; die Einstellungen bleiben für den nächsten Start erhalten.
* „Über“ zeigt diesen Text.

VERSIONSGESCHICHTE
1.1
* Angehängte Dateien erhalten den richtigen Zeitversatz.
* Sync-Links werden gelöscht, wenn eine neue Datei geladen wird, nicht beim erneuten Laden oder Anhängen.
* Verschieben und Dehnen des gewählten und aller folgenden Untertitel.
* Ein Satz wird in der Kodierung seiner Ladeauswahl gespeichert.
* Das Speicherverzeichnis ist anfangs das letzte Ladeverzeichnis.
1.0
* Erste Veröffentlichung.
</translation>
    </message>
</context>
<context>
    <name>CodingSelector</name>
    <message>
        <source>More…</source>
        <translation>Mehr…</translation>
    </message>
</context>
<context>
    <name>FrameRateDlg</name>
    <message>
        <source>Frame Rate required</source>
        <translation>Bildrate benötigt</translation>
    </message>
    <message>
        <source>Frame rate of %1</source>
        <translation>Bildrate von %1</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>System language</source>
        <translation>Sprache des Systems</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>1.) Load Subtitle Files</source>
        <translation>1.) Untertiteldateien laden</translation>
    </message>
    <message>
        <source>Load Upper</source>
        <translation>Obere laden</translation>
    </message>
    <message>
        <source>Coding of the upper file</source>
        <translation>Kodierung der oberen Datei</translation>
    </message>
    <message>
        <source>Load Lower</source>
        <translation>Untere laden</translation>
    </message>
    <message>
        <source>Coding of the lower file</source>
        <translation>Kodierung der unteren Datei</translation>
    </message>
    <message>
        <source>Append</source>
        <translation>Anhängen</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>Load one of the last ten pairs of files again</source>
        <translation>Eines der letzten zehn Dateipaare wieder laden</translation>
    </message>
    <message>
        <source>4.) Donate and Exit</source>
        <translation>4.) Spenden und Beenden</translation>
    </message>
    <message>
        <source>Donate</source>
        <translation>Spenden</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>2.) Synchronize</source>
        <translation>2.) Synchronisieren</translation>
    </message>
    <message>
        <source>Upper</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Synchronize</source>
        <translation>Synchronisieren</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Timing</source>
        <translation>Zeiten</translation>
    </message>
    <message>
        <source>Strip ()</source>
        <translation>Entfernen ()</translation>
    </message>
    <message>
        <source>Add Link</source>
        <translation>Link setzen</translation>
    </message>
    <message>
        <source>Auto Link</source>
        <translation>Auto-Link</translation>
    </message>
    <message>
        <source>Find links from the two time lines (the links placed before are replaced, yours are kept)</source>
        <translation>Links aus den beiden Zeitleisten finden (die zuvor gefundenen werden ersetzt, Ihre bleiben)</translation>
    </message>
    <message>
        <source>Delete Link</source>
        <translation>Link löschen</translation>
    </message>
    <message>
        <source>Clear Links</source>
        <translation>Alle Links löschen</translation>
    </message>
    <message>
        <source>Lower</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>Both time lines and their links: wheel zooms, drag scrolls, a click selects the subtitle</source>
        <translation>Beide Zeitleisten und ihre Links: das Mausrad zoomt, Ziehen verschiebt, ein Klick wählt den Untertitel</translation>
    </message>
    <message>
        <source>3.) Select Processing and Save</source>
        <translation>3.) Verarbeitung wählen und speichern</translation>
    </message>
    <message>
        <source>Process &amp;&amp; Save</source>
        <translation>Verarbeiten &amp;&amp; Speichern</translation>
    </message>
    <message>
        <source>Coding of the merged file</source>
        <translation>Kodierung der zusammengeführten Datei</translation>
    </message>
    <message>
        <source> Chars/sec</source>
        <translation> Zeichen/s</translation>
    </message>
    <message>
        <source> Try expansion to Maximum Characters per Second</source>
        <translation> Verlängern bis höchstens so viele Zeichen pro Sekunde</translation>
    </message>
    <message>
        <source> ms Gap</source>
        <translation> ms Abstand</translation>
    </message>
    <message>
        <source>Gap between 2 consecutive Subtitles</source>
        <translation>Abstand zwischen zwei aufeinanderfolgenden Untertiteln</translation>
    </message>
    <message>
        <source> ms Snap</source>
        <translation> ms Einrasten</translation>
    </message>
    <message>
        <source>Snap Transitions of Upper and Lower </source>
        <translation>Wechsel von oben und unten aufeinander einrasten </translation>
    </message>
    <message>
        <source> Bottom Lines</source>
        <translation> Zeilen unten</translation>
    </message>
    <message>
        <source>Number of bottom lines</source>
        <translation>Anzahl der unteren Zeilen</translation>
    </message>
    <message>
        <source>Where an .ass file shows the upper subtitles</source>
        <translation>Wo eine .ass-Datei die oberen Untertitel zeigt</translation>
    </message>
    <message>
        <source>Upper Above</source>
        <translation>Obere darüber</translation>
    </message>
    <message>
        <source>Upper at Top</source>
        <translation>Obere ganz oben</translation>
    </message>
    <message>
        <source>Join Lines</source>
        <translation>Zeilen verbinden</translation>
    </message>
    <message>
        <source>Last Line Normal</source>
        <translation>Letzte Zeile normal</translation>
    </message>
    <message>
        <source>Last is Dot</source>
        <translation>Letzte ist Punkt</translation>
    </message>
    <message>
        <source>Last is Doubled</source>
        <translation>Letzte doppelt</translation>
    </message>
    <message>
        <source>Use Color Tags</source>
        <translation>Farb-Tags verwenden</translation>
    </message>
    <message>
        <source>Credit line</source>
        <translation>Nennung</translation>
    </message>
    <message>
        <source>Add a subtitle naming Twinscript after the last one</source>
        <translation>Nach dem letzten einen Untertitel anfügen, der Twinscript nennt</translation>
    </message>
    <message>
        <source>Choose the upper colour</source>
        <translation>Die obere Farbe wählen</translation>
    </message>
    <message>
        <source>Red of the upper colour</source>
        <translation>Rot der oberen Farbe</translation>
    </message>
    <message>
        <source>Green of the upper colour</source>
        <translation>Grün der oberen Farbe</translation>
    </message>
    <message>
        <source>Blue of the upper colour</source>
        <translation>Blau der oberen Farbe</translation>
    </message>
    <message>
        <source>Current upper subtitle</source>
        <translation>Aktueller oberer Untertitel</translation>
    </message>
    <message>
        <source>Current lower subtitle</source>
        <translation>Aktueller unterer Untertitel</translation>
    </message>
    <message>
        <source>Choose the lower colour</source>
        <translation>Die untere Farbe wählen</translation>
    </message>
    <message>
        <source>Red of the lower colour</source>
        <translation>Rot der unteren Farbe</translation>
    </message>
    <message>
        <source>Green of the lower colour</source>
        <translation>Grün der unteren Farbe</translation>
    </message>
    <message>
        <source>Blue of the lower colour</source>
        <translation>Blau der unteren Farbe</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>The merged frame at the current subtitle, stacked as it will be saved</source>
        <translation>Das zusammengeführte Bild beim aktuellen Untertitel, gestapelt wie es gespeichert wird</translation>
    </message>
    <message>
        <source>Save upper subtitles</source>
        <translation>Obere Untertitel speichern</translation>
    </message>
    <message>
        <source>Save lower subtitles</source>
        <translation>Untere Untertitel speichern</translation>
    </message>
    <message>
        <source>Load upper subtitles</source>
        <translation>Obere Untertitel laden</translation>
    </message>
    <message>
        <source>Load lower subtitles</source>
        <translation>Untere Untertitel laden</translation>
    </message>
    <message>
        <source>Save merged subtitles</source>
        <translation>Zusammengeführte Untertitel speichern</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Ctrl+Shift+O</source>
        <translation>Ctrl+Shift+O</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Y</source>
        <translation>Ctrl+Shift+Y</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>Ctrl+Shift+L</source>
        <translation>Ctrl+Shift+L</translation>
    </message>
    <message>
        <source>Ctrl+Del</source>
        <translation>Ctrl+Del</translation>
    </message>
    <message>
        <source>Ctrl+Y</source>
        <translation>Ctrl+Y</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Reading %1</source>
        <translation>%1 wird gelesen</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>%1 wird geschrieben</translation>
    </message>
    <message>
        <source>Subtitles (%1);;Videos (%2);;All files (*)</source>
        <translation>Untertitel (%1);;Videos (%2);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Matroska video with the merged track (*.%1)</source>
        <translation>Matroska-Video mit der zusammengeführten Spur (*.%1)</translation>
    </message>
</context>
<context>
    <name>SelectCodecDlg</name>
    <message>
        <source>Select Character Coding</source>
        <translation>Zeichenkodierung wählen</translation>
    </message>
    <message>
        <source>Search, e.g. 1250 or Cyrillic</source>
        <translation>Suchen, z. B. 1250 oder Cyrillic</translation>
    </message>
    <message>
        <source>Double-click a coding to choose it</source>
        <translation>Doppelklick auf eine Kodierung wählt sie</translation>
    </message>
</context>
<context>
    <name>StripDlg</name>
    <message>
        <source>Strip Text Inside Brackets</source>
        <translation>Text in Klammern entfernen</translation>
    </message>
    <message>
        <source>Strip (*) Hearing Impaired</source>
        <translation>(*) für Hörgeschädigte entfernen</translation>
    </message>
    <message>
        <source>Strip [*] Hearing Impaired</source>
        <translation>[*] für Hörgeschädigte entfernen</translation>
    </message>
    <message>
        <source>Strip {*} SUB-Tags</source>
        <translation>{*} SUB-Tags entfernen</translation>
    </message>
    <message>
        <source>Strip &lt;*&gt; SRT-Tags</source>
        <translation>&lt;*&gt; SRT-Tags entfernen</translation>
    </message>
</context>
<context>
    <name>TimingDlg</name>
    <message>
        <source>Timing Corrections</source>
        <translation>Zeitkorrekturen</translation>
    </message>
    <message>
        <source>Shift (s; 0.001 s = 1 ms)</source>
        <translation>Verschieben (s; 0,001 s = 1 ms)</translation>
    </message>
    <message>
        <source>Seconds; the three decimals are ms</source>
        <translation>Sekunden; die drei Nachkommastellen sind ms</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Stretch (s; 0.001 s = 1 ms)</source>
        <translation>Dehnen (s; 0,001 s = 1 ms)</translation>
    </message>
    <message>
        <source>Shift &amp;&amp; stretch 
selected &amp;&amp; following</source>
        <translation>Gewählten &amp;&amp; folgende 
verschieben &amp;&amp; dehnen</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Umrechnen</translation>
    </message>
    <message>
        <source>- None -</source>
        <translation>- Keine -</translation>
    </message>
</context>
<context>
    <name>TrackDlg</name>
    <message>
        <source>Subtitle track</source>
        <translation>Untertitelspur</translation>
    </message>
    <message>
        <source>Upper</source>
        <translation>Oben</translation>
    </message>
    <message>
        <source>Lower</source>
        <translation>Unten</translation>
    </message>
    <message>
        <source>Subtitle tracks of %1</source>
        <translation>Untertitelspuren von %1</translation>
    </message>
</context>
<context>
    <name>WorkProgress</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
