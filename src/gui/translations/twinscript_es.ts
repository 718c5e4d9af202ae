<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>AboutDlg</name>
    <message>
        <source>About Twinscript</source>
        <translation>Acerca de Twinscript</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Idioma:</translation>
    </message>
    <message>
        <source>The language of the window; the log stays in English</source>
        <translation>El idioma de la ventana; el registro sigue en inglés</translation>
    </message>
    <message>
        <source>(from the next start)</source>
        <translation>(desde el próximo inicio)</translation>
    </message>
    <message>
        <source>Written in QT %1</source>
        <translation>Escrito en QT %1</translation>
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
Herramienta para unir, sincronizar y combinar subtítulos de texto

DESCRIPCIÓN BREVE
Twinscript superpone dos archivos de subtítulos de idiomas distintos para que un reproductor corriente muestre ambos a la vez. Escribe un archivo que contiene las dos pistas: texto SubRip (.srt) o MicroDVD (.sub) apilado en vertical según las marcas de tiempo, o Advanced SubStation (.ass) con un estilo por idioma. Donde los subtítulos de las dos pistas solo se solapan en parte, se dividen en partes, y las líneas vacías mantienen cada pista a su altura: un conjunto va abajo y el otro unas líneas por encima. Cada conjunto puede tener su propio color.

El flujo de trabajo es sencillo:

1.) «Cargar subtítulos»
* «Cargar superior» / «Cargar inferior» leen un archivo SubRip, MicroDVD, MPL2 o SubViewer 2.0, reconocido por su contenido, como conjunto superior o inferior; los archivos MicroDVD preguntan por su velocidad de fotogramas y ofrecen la que declara el archivo. Las líneas de tiempo casi correctas se reparan y el registro dice cuántas.
* Los archivos soltados sobre una lista van a ese conjunto; dos archivos soltados en cualquier lugar son un par.
* Un vídeo (Matroska, WebM, MP4, QuickTime) pregunta cuál de sus pistas de subtítulos de texto leer; un vídeo soltado sobre la ventana pregunta por ambos conjuntos a la vez.
* El selector junto a cada botón es la codificación con la que se lee el archivo. «Auto Detect» la averigua; «Auto Local» es la codificación del sistema; «Más…» abre la lista completa, y las codificaciones elegidas allí se quedan en los selectores. Una marca de orden de bytes al principio del archivo siempre manda.
* Con «Añadir» marcado, el archivo se añade al final del conjunto, desplazado tras su último subtítulo, en lugar de sustituirlo.
* «Recientes» vuelve a cargar un par trabajado antes, cada archivo en la codificación con la que se leyó.

2.) «Sincronizar»
* Seleccione en la lista superior y en la inferior un subtítulo que se diga en el mismo momento y pulse «Enlazar»; los enlaces nunca se cruzan. «Enlace automático» encuentra enlaces a partir de las dos líneas de tiempo. «Borrar enlace» y «Borrar enlaces» los quitan; un clic en un enlace selecciona ambos subtítulos.
* Un doble clic en un subtítulo selecciona el subtítulo de la otra lista más cercano en el tiempo. La línea de tiempo bajo las listas muestra ambos conjuntos y sus enlaces; un clic en una barra selecciona su subtítulo.
* «Sincronizar» lleva un conjunto sobre el otro a través de los enlaces: se desplaza hasta el primer enlace y se estira entre los enlaces como una goma elástica.
* «Tiempos» desplaza o estira un conjunto, o el subtítulo seleccionado y todos los siguientes, o lo convierte de una velocidad de fotogramas a otra.
* «Quitar ()» elimina el texto entre paréntesis, corchetes, llaves o ángulos, por ejemplo las descripciones de sonidos para personas sordas.
* «Guardar como» guarda un conjunto por separado como SubRip o MicroDVD, en la codificación de su selector de carga.

3.) «Procesar y guardar»
* car./s: los subtítulos demasiado cortos para leerse a tantos caracteres por segundo se alargan donde el siguiente deja sitio.
* ms separación: el tiempo mínimo entre dos subtítulos de un conjunto.
* ms ajuste: los tiempos de inicio y fin de los dos conjuntos más próximos que esto se igualan, para que se corten menos partes cortas.
* «Unir líneas» pone las líneas de cada subtítulo en una sola; una línea que acaba en guion se pega a la siguiente.
* líneas abajo: cuántas líneas ocupa abajo el conjunto inferior; el superior queda por encima.
* Última línea normal / Última es punto / Última doble: qué hay en la línea inferior cuando el conjunto inferior no muestra nada allí: un espacio, un punto o dos líneas en blanco, para reproductores que omiten las líneas vacías o finales.
* En los archivos .ass el idioma superior va justo encima del inferior o en la parte alta de la imagen.
* «Usar etiquetas de color» escribe cada conjunto en el color de sus deslizadores; las vistas previas muestran los subtítulos actuales de ambos conjuntos en sus colores y el fotograma combinado tal como lo mostrará el archivo.
* «Línea de créditos» añade tras el último un subtítulo que nombra a Twinscript.
* «Procesar y guardar» combina ambos conjuntos y escribe el resultado como SubRip, MicroDVD o Advanced SubStation, según la extensión del archivo, en la codificación elegida bajo el botón; si un conjunto viene de un vídeo, también en una copia de ese vídeo (.mkv) con la pista combinada añadida.

4.) «Donar y salir»
* «Donar», si la compilación indica una página de donaciones, la abre en el navegador.
* «Salir» cierra el programa; los ajustes se guardan para el próximo inicio.
* «Acerca de» muestra este texto.

HISTORIAL DE VERSIONES
1.1
* Los archivos añadidos reciben el desplazamiento de tiempo correcto.
* Los enlaces de sincronización se borran al cargar un archivo nuevo, no al recargar ni al añadir.
* Desplazar y estirar el subtítulo seleccionado y todos los siguientes.
* Un conjunto se guarda en la codificación de su selector de carga.
* La carpeta de guardado es al principio la última carpeta de carga.
1.0
* Primera versión.
</translation>
    </message>
</context>
<context>
    <name>CodingSelector</name>
    <message>
        <source>More…</source>
        <translation>Más…</translation>
    </message>
</context>
<context>
    <name>FrameRateDlg</name>
    <message>
        <source>Frame Rate required</source>
        <translation>Falta la velocidad de fotogramas</translation>
    </message>
    <message>
        <source>Frame rate of %1</source>
        <translation>Velocidad de fotogramas de %1</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>System language</source>
        <translation>Idioma del sistema</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>1.) Load Subtitle Files</source>
        <translation>1.) Cargar subtítulos</translation>
    </message>
    <message>
        <source>Load Upper</source>
        <translation>Cargar superior</translation>
    </message>
    <message>
        <source>Coding of the upper file</source>
        <translation>Codificación del archivo superior</translation>
    </message>
    <message>
        <source>Load Lower</source>
        <translation>Cargar inferior</translation>
    </message>
    <message>
        <source>Coding of the lower file</source>
        <translation>Codificación del archivo inferior</translation>
    </message>
    <message>
        <source>Append</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>Recientes</translation>
    </message>
    <message>
        <source>Load one of the last ten pairs of files again</source>
        <translation>Volver a cargar uno de los últimos diez pares de archivos</translation>
    </message>
    <message>
        <source>4.) Donate and Exit</source>
        <translation>4.) Donar y salir</translation>
    </message>
    <message>
        <source>Donate</source>
        <translation>Donar</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>2.) Synchronize</source>
        <translation>2.) Sincronizar</translation>
    </message>
    <message>
        <source>Upper</source>
        <translation>Superior</translation>
    </message>
    <message>
        <source>Synchronize</source>
        <translation>Sincronizar</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Guardar como</translation>
    </message>
    <message>
        <source>Timing</source>
        <translation>Tiempos</translation>
    </message>
    <message>
        <source>Strip ()</source>
        <translation>Quitar ()</translation>
    </message>
    <message>
        <source>Add Link</source>
        <translation>Enlazar</translation>
    </message>
    <message>
        <source>Auto Link</source>
        <translation>Enlace automático</translation>
    </message>
    <message>
        <source>Find links from the two time lines (the links placed before are replaced, yours are kept)</source>
        <translation>Buscar enlaces a partir de las dos líneas de tiempo (los puestos antes se sustituyen, los suyos se conservan)</translation>
    </message>
    <message>
        <source>Delete Link</source>
        <translation>Borrar enlace</translation>
    </message>
    <message>
        <source>Clear Links</source>
        <translation>Borrar enlaces</translation>
    </message>
    <message>
        <source>Lower</source>
        <translation>Inferior</translation>
    </message>
    <message>
        <source>Both time lines and their links: wheel zooms, drag scrolls, a click selects the subtitle</source>
        <translation>Ambas líneas de tiempo y sus enlaces: la rueda amplía, arrastrar desplaza, un clic selecciona el subtítulo</translation>
    </message>
    <message>
        <source>3.) Select Processing and Save</source>
        <translation>3.) Elegir el proceso y guardar</translation>
    </message>
    <message>
        <source>Process &amp;&amp; Save</source>
        <translation>Procesar &amp;&amp; guardar</translation>
    </message>
    <message>
        <source>Coding of the merged file</source>
        <translation>Codificación del archivo combinado</translation>
    </message>
    <message>
        <source> Chars/sec</source>
        <translation> car./s</translation>
    </message>
    <message>
        <source> Try expansion to Maximum Characters per Second</source>
        <translation> Alargar hasta un máximo de caracteres por segundo</translation>
    </message>
    <message>
        <source> ms Gap</source>
        <translation> ms separación</translation>
    </message>
    <message>
        <source>Gap between 2 consecutive Subtitles</source>
        <translation>Separación entre dos subtítulos seguidos</translation>
    </message>
    <message>
        <source> ms Snap</source>
        <translation> ms ajuste</translation>
    </message>
    <message>
        <source>Snap Transitions of Upper and Lower </source>
        <translation>Ajustar los cambios de superior e inferior </translation>
    </message>
    <message>
        <source> Bottom Lines</source>
        <translation> líneas abajo</translation>
    </message>
    <message>
        <source>Number of bottom lines</source>
        <translation>Número de líneas inferiores</translation>
    </message>
    <message>
        <source>Where an .ass file shows the upper subtitles</source>
        <translation>Dónde muestra un archivo .ass los subtítulos superiores</translation>
    </message>
    <message>
        <source>Upper Above</source>
        <translation>Superior encima</translation>
    </message>
    <message>
        <source>Upper at Top</source>
        <translation>Superior arriba</translation>
    </message>
    <message>
        <source>Join Lines</source>
        <translation>Unir líneas</translation>
    </message>
    <message>
        <source>Last Line Normal</source>
        <translation>Última línea normal</translation>
    </message>
    <message>
        <source>Last is Dot</source>
        <translation>Última es punto</translation>
    </message>
    <message>
        <source>Last is Doubled</source>
        <translation>Última doble</translation>
    </message>
    <message>
        <source>Use Color Tags</source>
        <translation>Usar etiquetas de color</translation>
    </message>
    <message>
        <source>Credit line</source>
        <translation>Línea de créditos</translation>
    </message>
    <message>
        <source>Add a subtitle naming Twinscript after the last one</source>
        <translation>Añadir tras el último un subtítulo que nombra a Twinscript</translation>
    </message>
    <message>
        <source>Choose the upper colour</source>
        <translation>Elegir el color superior</translation>
    </message>
    <message>
        <source>Red of the upper colour</source>
        <translation>Rojo del color superior</translation>
    </message>
    <message>
        <source>Green of the upper colour</source>
        <translation>Verde del color superior</translation>
    </message>
    <message>
        <source>Blue of the upper colour</source>
        <translation>Azul del color superior</translation>
    </message>
    <message>
        <source>Current upper subtitle</source>
        <translation>Subtítulo superior actual</translation>
    </message>
    <message>
        <source>Current lower subtitle</source>
        <translation>Subtítulo inferior actual</translation>
    </message>
    <message>
        <source>Choose the lower colour</source>
        <translation>Elegir el color inferior</translation>
    </message>
    <message>
        <source>Red of the lower colour</source>
        <translation>Rojo del color inferior</translation>
    </message>
    <message>
        <source>Green of the lower colour</source>
        <translation>Verde del color inferior</translation>
    </message>
    <message>
        <source>Blue of the lower colour</source>
        <translation>Azul del color inferior</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vista previa</translation>
    </message>
    <message>
        <source>The merged frame at the current subtitle, stacked as it will be saved</source>
        <translation>El fotograma combinado en el subtítulo actual, apilado como se guardará</translation>
    </message>
    <message>
        <source>Save upper subtitles</source>
        <translation>Guardar los subtítulos superiores</translation>
    </message>
    <message>
        <source>Save lower subtitles</source>
        <translation>Guardar los subtítulos inferiores</translation>
    </message>
    <message>
        <source>Load upper subtitles</source>
        <translation>Cargar los subtítulos superiores</translation>
    </message>
    <message>
        <source>Load lower subtitles</source>
        <translation>Cargar los subtítulos inferiores</translation>
    </message>
    <message>
        <source>Save merged subtitles</source>
        <translation>Guardar los subtítulos combinados</translation>
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
        <translation>Leyendo %1</translation>
    </message>
    <message>
        <source>Writing %1</source>
        <translation>Escribiendo %1</translation>
    </message>
    <message>
        <source>Subtitles (%1);;Videos (%2);;All files (*)</source>
        <translation>Subtítulos (%1);;Vídeos (%2);;Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Matroska video with the merged track (*.%1)</source>
        <translation>Vídeo Matroska con la pista combinada (*.%1)</translation>
    </message>
</context>
<context>
    <name>SelectCodecDlg</name>
    <message>
        <source>Select Character Coding</source>
        <translation>Elegir la codificación de caracteres</translation>
    </message>
    <message>
        <source>Search, e.g. 1250 or Cyrillic</source>
        <translation>Buscar, p. ej. 1250 o Cyrillic</translation>
    </message>
    <message>
        <source>Double-click a coding to choose it</source>
        <translation>Doble clic en una codificación para elegirla</translation>
    </message>
</context>
<context>
    <name>StripDlg</name>
    <message>
        <source>Strip Text Inside Brackets</source>
        <translation>Quitar el texto entre paréntesis</translation>
    </message>
    <message>
        <source>Strip (*) Hearing Impaired</source>
        <translation>Quitar (*) para personas sordas</translation>
    </message>
    <message>
        <source>Strip [*] Hearing Impaired</source>
        <translation>Quitar [*] para personas sordas</translation>
    </message>
    <message>
        <source>Strip {*} SUB-Tags</source>
        <translation>Quitar etiquetas SUB {*}</translation>
    </message>
    <message>
        <source>Strip &lt;*&gt; SRT-Tags</source>
        <translation>Quitar etiquetas SRT &lt;*&gt;</translation>
    </message>
</context>
<context>
    <name>TimingDlg</name>
    <message>
        <source>Timing Corrections</source>
        <translation>Correcciones de tiempo</translation>
    </message>
    <message>
        <source>Shift (s; 0.001 s = 1 ms)</source>
        <translation>Desplazar (s; 0,001 s = 1 ms)</translation>
    </message>
    <message>
        <source>Seconds; the three decimals are ms</source>
        <translation>Segundos; los tres decimales son ms</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Stretch (s; 0.001 s = 1 ms)</source>
        <translation>Estirar (s; 0,001 s = 1 ms)</translation>
    </message>
    <message>
        <source>Shift &amp;&amp; stretch 
selected &amp;&amp; following</source>
        <translation>Desplazar &amp;&amp; estirar 
el seleccionado &amp;&amp; siguientes</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Convertir</translation>
    </message>
    <message>
        <source>- None -</source>
        <translation>- Ninguna -</translation>
    </message>
</context>
<context>
    <name>TrackDlg</name>
    <message>
        <source>Subtitle track</source>
        <translation>Pista de subtítulos</translation>
    </message>
    <message>
        <source>Upper</source>
        <translation>Superior</translation>
    </message>
    <message>
        <source>Lower</source>
        <translation>Inferior</translation>
    </message>
    <message>
        <source>Subtitle tracks of %1</source>
        <translation>Pistas de subtítulos de %1</translation>
    </message>
</context>
<context>
    <name>WorkProgress</name>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
</TS>
