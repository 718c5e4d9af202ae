#!/usr/bin/env python3
"""Generates src/app/mainwindow.ui; the form is easier to keep right as code."""
import sys
from xml.sax.saxutils import escape

def prop(name, kind, value):
    if kind == 'string':
        return f'<property name="{name}"><string>{escape(value)}</string></property>'
    if kind == 'bool':
        return f'<property name="{name}"><bool>{"true" if value else "false"}</bool></property>'
    if kind == 'number':
        return f'<property name="{name}"><number>{value}</number></property>'
    if kind == 'enum':
        return f'<property name="{name}"><enum>{value}</enum></property>'
    if kind == 'set':
        return f'<property name="{name}"><set>{value}</set></property>'
    if kind == 'policy':
        h, v = value
        return (f'<property name="{name}"><sizepolicy hsizetype="{h}" vsizetype="{v}">'
                '<horstretch>0</horstretch><verstretch>0</verstretch></sizepolicy></property>')
    if kind == 'rawsize':
        w, h = value
        return f'<property name="{name}"><size><width>{w}</width><height>{h}</height></size></property>'
    if kind == 'font':
        fam, pt = value
        return f'<property name="{name}"><font><family>{fam}</family><pointsize>{pt}</pointsize></font></property>'
    raise ValueError(kind)

def widget(cls, name, props=(), items=(), children=''):
    out = [f'<widget class="{cls}" name="{name}">']
    out += [prop(*p) for p in props]
    for it in items:
        out.append(f'<item><property name="text"><string>{escape(it)}</string></property></item>')
    out.append(children)
    out.append('</widget>')
    return ''.join(out)

def button(name, text, extra=()):
    return widget('QPushButton', name, [('text', 'string', text)] + list(extra))

def lst(name, extra=()):
    return widget('QListWidget', name, list(extra))

def spin(name, suffix, tip, lo, hi, val, step=1, extra=()):
    return widget('QSpinBox', name, [('suffix', 'string', suffix), ('toolTip', 'string', tip),
                                     ('minimum', 'number', lo), ('maximum', 'number', hi),
                                     ('singleStep', 'number', step), ('value', 'number', val)] + list(extra))

def slider(name, tip):
    return widget('QSlider', name, [('toolTip', 'string', tip), ('maximum', 'number', 255),
                                    ('pageStep', 'number', 16), ('value', 'number', 255),
                                    ('orientation', 'enum', 'Qt::Vertical')])

def layout(cls, name, cells, attrs=''):
    """cells: list of (xml, row, col, rowspan, colspan) for grids or xml for box layouts."""
    out = [f'<layout class="{cls}" name="{name}"{attrs}>']
    for c in cells:
        if isinstance(c, tuple):
            xml, r, col, rs, cs = c
            out.append(f'<item row="{r}" column="{col}" rowspan="{rs}" colspan="{cs}">{xml}</item>')
        else:
            out.append(f'<item>{c}</item>')
    out.append('</layout>')
    return ''.join(out)

def group(name, title, lay):
    return widget('QGroupBox', name, [('title', 'string', title)], children=lay)

NO_HSCROLL = ('horizontalScrollBarPolicy', 'enum', 'Qt::ScrollBarAlwaysOff')
ARIAL9 = ('font', 'font', ('Arial', 9))

def tbox(name):
    return ('<widget class="QListWidget" name="%s">' % name + prop(*NO_HSCROLL)
            + prop('verticalScrollBarPolicy', 'enum', 'Qt::ScrollBarAlwaysOff')
            + '<property name="maximumSize"><size><width>16777215</width><height>24</height></size></property>'
            + '</widget>')

g1 = group('groupBox', '1.) Load Subtitle Files', layout('QHBoxLayout', 'layout_load', [
    button('pushButton_ldupr', 'Load Upper'),
    widget('QComboBox', 'comboBox_loadupr', [('toolTip', 'string', 'Coding of the upper file')], ['Auto Local', 'UTF-8']),
    button('pushButton_ldlwr', 'Load Lower'),
    widget('QComboBox', 'comboBox_loadlwr', [('toolTip', 'string', 'Coding of the lower file')], ['Auto Local', 'UTF-8']),
    widget('QCheckBox', 'checkBox_app', [('text', 'string', 'Append'), ('checked', 'bool', False)]),
    '<spacer name="spacer_load"><property name="orientation"><enum>Qt::Horizontal</enum></property></spacer>',
]))

side = lambda s, lw, tb, sy, sv, tm, st: layout('QVBoxLayout', 'layout_' + s, [
    lst(lw, [ARIAL9, ('minimumSize', 'rawsize', (0, 80)), ('sizePolicy', 'policy', ('Expanding', 'Ignored'))]),
    tbox(tb),
    layout('QHBoxLayout', 'layout_buttons_' + s, [
        button(sy, 'Synchronize'), button(sv, 'Save as'), button(tm, 'Timing'), button(st, 'Strip ()')]),
])

links = layout('QVBoxLayout', 'layout_links', [
    widget('QListWidget', 'listWidget_lnk', [NO_HSCROLL, ('sortingEnabled', 'bool', False),
                                              ('maximumSize', 'rawsize', (110, 16777215)),
                                              ('viewMode', 'enum', 'QListView::IconMode'),
                                              ('flow', 'enum', 'QListView::TopToBottom'),
                                              ('wrapping', 'bool', False)]),
    button('pushButton_ladd', 'Add Link', [('enabled', 'bool', False)]),
    button('pushButton_ldel', 'Delete Link'),
    button('pushButton_lclr', 'Clear Links'),
])

g2 = group('groupBox_2', '2.) Synchronize', layout('QHBoxLayout', 'layout_sync', attrs=' stretch="1,0,1"', cells=[
    side('upper', 'listWidget_upr', 'listWidget_tupr', 'pushButton_synu', 'pushButton_savup', 'pushButton_timgup', 'pushButton_strup'),
    links,
    side('lower', 'listWidget_lwr', 'listWidget_tlwr', 'pushButton_synl', 'pushButton_savlw', 'pushButton_timgw', 'pushButton_strlw'),
]))

label18 = lambda n, tip: widget('QLabel', n, [('toolTip', 'string', tip), ('font', 'font', ('Arial', 18)),
                                             ('minimumSize', 'rawsize', (200, 48)),
                                             ('sizePolicy', 'policy', ('Preferred', 'Ignored')),
                                             ('alignment', 'set', 'Qt::AlignCenter'), ('wordWrap', 'bool', True)])

g3 = group('groupBox_3', '3.) Select Processing and Save', layout('QHBoxLayout', 'layout_proc', [
    layout('QGridLayout', 'layout_proc_controls', [
        (button('pushButton_proc', 'Process && Save'), 0, 0, 1, 1),
        (widget('QComboBox', 'comboBox_save', [('toolTip', 'string', 'Coding of the merged file')], ['Auto Local', 'UTF-8']), 1, 0, 1, 1),
        (spin('spinBox_cps', ' Chars/sec', ' Try expansion to Maximum Characters per Second', 10, 50, 25,
              extra=[('correctionMode', 'enum', 'QAbstractSpinBox::CorrectToNearestValue')]), 2, 0, 1, 1),
        (spin('spinBox_gap', ' ms Gap', 'Gap between 2 consecutive Subtitles', 0, 50, 0,
              extra=[('correctionMode', 'enum', 'QAbstractSpinBox::CorrectToNearestValue')]), 0, 1, 1, 1),
        (spin('spinBox_snp', ' ms Snap', 'Snap Transitions of Upper and Lower ', 50, 1000, 500, step=50,
              extra=[('correctionMode', 'enum', 'QAbstractSpinBox::CorrectToPreviousValue')]), 1, 1, 1, 1),
        (spin('spinBox_lin', ' Bottom Lines', 'Number of bottom lines', 0, 30, 2), 2, 1, 1, 1),
        (widget('QCheckBox', 'checkBox_join', [('text', 'string', 'Join Lines'), ('checked', 'bool', False)]), 0, 2, 1, 1),
        (widget('QComboBox', 'comboBox_last', [], ['Last Line Normal', 'Last is Dot', 'Last is Doubled']), 1, 2, 1, 1),
        (widget('QCheckBox', 'checkBox_coltag', [('text', 'string', 'Use Color Tags')]), 2, 2, 1, 1),
    ]),
    layout('QHBoxLayout', 'layout_sliders_upper', [
        slider('verticalSlider_RUp', 'Red of the upper colour'),
        slider('verticalSlider_GUp', 'Green of the upper colour'),
        slider('verticalSlider_BUp', 'Blue of the upper colour'),
    ]),
    layout('QVBoxLayout', 'layout_previews', [
        label18('label_USpl', 'Current upper subtitle'),
        label18('label_LSpl', 'Current lower subtitle'),
    ]),
    layout('QHBoxLayout', 'layout_sliders_lower', [
        slider('verticalSlider_RLw', 'Red of the lower colour'),
        slider('verticalSlider_GLw', 'Green of the lower colour'),
        slider('verticalSlider_BLw', 'Blue of the lower colour'),
    ]),
]))

g4 = group('groupBox_4', '4.) Donate and Exit', layout('QHBoxLayout', 'layout_exit', [
    button('pushButton_donate', 'Donate'),
    button('pushButton_quit', 'Quit'),
    button('pushButton_about', 'About'),
]))

log = widget('QListWidget', 'listWidget_log', [NO_HSCROLL, ('flow', 'enum', 'QListView::TopToBottom'),
                                                ('minimumSize', 'rawsize', (0, 60)),
                                                ('sizePolicy', 'policy', ('Expanding', 'Ignored'))])

central = layout('QGridLayout', 'layout_central', [
    (g1, 0, 0, 1, 1),
    (g4, 0, 1, 1, 1),
    (g2, 1, 0, 1, 2),
    (g3, 2, 0, 1, 2),
    (log, 3, 0, 1, 2),
], ' rowstretch="0,3,0,1" columnstretch="1,0"')

ui = f'''<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>MainWindow</class>
 <widget class="QMainWindow" name="MainWindow">
  <property name="geometry"><rect><x>0</x><y>0</y><width>800</width><height>550</height></rect></property>
  {prop('font', 'font', ('Arial', 9))}
  {prop('windowTitle', 'string', 'Twinscript 1.1')}
  <property name="windowIcon"><iconset resource="resources.qrc"><normaloff>:/mainwin/moviessub.ico</normaloff>:/mainwin/moviessub.ico</iconset></property>
  <widget class="QWidget" name="centralWidget">{central}</widget>
  <widget class="QToolBar" name="mainToolBar">
   <attribute name="toolBarArea"><enum>TopToolBarArea</enum></attribute>
   <attribute name="toolBarBreak"><bool>false</bool></attribute>
  </widget>
 </widget>
 <resources><include location="resources.qrc"/></resources>
 <connections/>
</ui>
'''
sys.stdout.write(ui)
