#!/usr/bin/env python3
"""Writes the slice sheets: one SVG picture and one XML description per sheet, plus slices.qrc.

All art is drawn here from simple shapes in one flat light theme with a single green accent.
Run from anywhere: python3 resources/slices/tools/make_sheets.py
"""
import math
import os

OUT = os.path.normpath(os.path.join(os.path.dirname(__file__), '..'))

# Palette
ACCENT = '#20C05B'
ACCENT_HOVER = '#2FCE69'
ACCENT_DOWN = '#17A04B'
ACCENT_SOFT = '#E7F7ED'
ACCENT_SOFT2 = '#D2F0DD'
INK = '#1F2933'
MUTED = '#5F6B7A'
BORDER = '#D5DAE0'
BORDER_HOVER = '#9FDDB6'
SURFACE = '#FFFFFF'
CANVAS = '#F4F6F8'
PRESSED = '#EEF1F4'
DISABLED_FILL = '#F1F3F5'
DISABLED_LINE = '#E1E5EA'
DISABLED_INK = '#C2C8D0'
RED = '#FF514E'

# Icon glyphs on a 24 x 24 grid: list of (kind, data); kind 's' stroked path, 'f' filled path,
# 'c' circle (cx, cy, r) stroked, 'C' circle filled, 'r' rect (x, y, w, h, rx) stroked.
GLYPHS = {
    'download': [('s', 'M12 4v11M7 10l5 5 5-5M5 19h14')],
    'record': [('c', (12, 12, 8)), ('C', (12, 12, 3.5))],
    'convert': [('s', 'M5 9h13M15 6l3 3-3 3M19 15H6M9 12l-3 3 3 3')],
    'transfer': [('r', (7, 3, 10, 18, 2.5)), ('s', 'M12 8v6M9.5 11.5L12 14l2.5-2.5'), ('s', 'M11 18h2')],
    'online': [('c', (12, 12, 8)), ('s', 'M4 12h16M12 4c-3 2.5-3 13.5 0 16M12 4c3 2.5 3 13.5 0 16')],
    'pause': [('s', 'M9.5 7v10M14.5 7v10')],
    'play': [('f', 'M9 6.5l8.5 5.5L9 17.5z')],
    'retry': [('s', 'M17.7 9A6.5 6.5 0 1 0 18.5 13M18 4.5V9h-4.5')],
    'close': [('s', 'M7.5 7.5l9 9M16.5 7.5l-9 9')],
    'trash': [('s', 'M5 7h14M10 7V5h4v2M7 7l1 12h8l1-12M10.5 11v5M13.5 11v5')],
    'folder': [('s', 'M4 7.5A1.5 1.5 0 0 1 5.5 6H9l2 2h7.5A1.5 1.5 0 0 1 20 9.5v8a1.5 1.5 0 0 1-1.5 1.5h-13A1.5 1.5 0 0 1 4 17.5z')],
    'add': [('s', 'M12 6v12M6 12h12')],
    'home': [('s', 'M4.5 11.5L12 5l7.5 6.5M7 10v9h4v-5h2v5h4v-9')],
    'back': [('s', 'M14.5 6l-6 6 6 6')],
    'forward': [('s', 'M9.5 6l6 6-6 6')],
    'refresh': [('s', 'M18.5 12A6.5 6.5 0 1 1 16.6 7.4M18 4v4.5h-4.5')],
    'feedback': [('s', 'M5 6h14v9.5H11l-4 3.5v-3.5H5z'), ('s', 'M8.5 10.5h7')],
    'clock': [('c', (12, 12, 8)), ('s', 'M12 7.5V12l3 2')],
    'bolt': [('f', 'M13.5 3L6 13.5h5L10 21l8-11h-5.5z')],
    'power': [('s', 'M12 4v7M7.8 7.2a6.5 6.5 0 1 0 8.4 0')],
    'moon': [('s', 'M18.5 14.5A7 7 0 1 1 9.5 5.5a5.5 5.5 0 0 0 9 9z')],
    'quit': [('s', 'M10.5 5H6v14h4.5M14 8l4 4-4 4M18 12H9.5')],
    'nothing': [('c', (12, 12, 8)), ('s', 'M8.5 12h7')],
    'check': [('s', 'M6 12.5l4 4 8-9')],
    'bulb': [('s', 'M9.5 18h5M10.5 21h3M12 3.5a5.5 5.5 0 0 0-3.2 10V16h6.4v-2.5A5.5 5.5 0 0 0 12 3.5z')],
    'search': [('c', (11, 11, 5.5)), ('s', 'M15 15l4.5 4.5')],
    'paste': [('r', (6, 5, 12, 15, 2)), ('s', 'M9.5 3.5h5v3h-5zM9 11h6M9 14.5h4')],
    'phone': [('r', (7, 3, 10, 18, 2.5)), ('s', 'M11 18h2')],
    'android': [('r', (7, 3, 10, 18, 2)), ('s', 'M9 18h1.2M11.4 18h1.2M13.8 18h1.2M10 5h4')],
    'tablet': [('r', (5, 3, 14, 18, 2)), ('s', 'M11 18h2')],
    'car': [('s', 'M5 15v-3l2-4.5h10l2 4.5v3zM5 15v2.5h2.5V15M16.5 15v2.5H19V15'), ('C', (8.5, 12.5, 1)), ('C', (15.5, 12.5, 1))],
    'file': [('s', 'M7 3.5h7l4 4V20.5H7zM14 3.5v4h4')],
    'scale': [('s', 'M5 19h14M7 19V9M12 19V5M17 19v-7')],
    'monitor': [('r', (4, 5, 16, 11, 1.5)), ('s', 'M9 20h6M12 16v4')],
    'music': [('s', 'M9.5 17V6.5l9-2V15'), ('c', (7.5, 17, 2)), ('c', (16.5, 15, 2))],
    'film': [('r', (4, 5, 16, 14, 2)), ('s', 'M8 5v14M16 5v14M4 9.5h4M4 14.5h4M16 9.5h4M16 14.5h4')],
    'info': [('c', (12, 12, 8)), ('s', 'M12 11v5'), ('C', (12, 8, 1.1))],
    'alert': [('c', (12, 12, 8)), ('s', 'M12 7.5v5.5'), ('C', (12, 16, 1.1))],
    'puzzle': [('s', 'M6 8h3.5a2 2 0 1 1 4 0H17v3.5a2 2 0 1 1 0 4V19H6z')],
    'gear': [('c', (12, 12, 3)), ('s', 'M12 3.5v2.5M12 18v2.5M3.5 12H6M18 12h2.5M6 6l1.8 1.8M16.2 16.2L18 18M6 18l1.8-1.8M16.2 7.8L18 6')],
    'location': [('s', 'M12 20s-6-5.5-6-10a6 6 0 0 1 12 0c0 4.5-6 10-6 10z'), ('c', (12, 10, 2.2))],
    'key': [('c', (8.5, 12, 3.5)), ('s', 'M12 12h8M17 12v3M19.5 12v2.5')],
    'shield': [('s', 'M12 3.5l7 3v5c0 4.5-3 7.5-7 9-4-1.5-7-4.5-7-9v-5z'), ('s', 'M9 12l2 2 4-4')],
    'cable': [('s', 'M12 3v5M9 8h6v4a3 3 0 0 1-6 0zM12 15v6')],
    'play-circle': [('c', (12, 12, 8)), ('f', 'M10.2 8.4l5.2 3.6-5.2 3.6z')],
    'star': [('f', 'M12 3.5l2.6 5.4 5.9.8-4.3 4.1 1 5.9-5.2-2.8-5.2 2.8 1-5.9-4.3-4.1 5.9-.8z')],
}


def glyph(name, color, x=0, y=0, size=24, width=2.0):
    """SVG for a glyph scaled into a size x size box at (x, y)."""
    s = size / 24.0
    sw = width / s
    parts = ['<g transform="translate(%g %g) scale(%g)" stroke-linecap="round" stroke-linejoin="round">' % (x, y, s)]
    for kind, d in GLYPHS[name]:
        if kind == 's':
            parts.append('<path d="%s" fill="none" stroke="%s" stroke-width="%g"/>' % (d, color, sw))
        elif kind == 'f':
            parts.append('<path d="%s" fill="%s"/>' % (d, color))
        elif kind == 'c':
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="%g"/>' % (d + (color, sw)))
        elif kind == 'C':
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (d + (color,)))
        elif kind == 'r':
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" stroke="%s" stroke-width="%g"/>' % (d + (color, sw)))
    parts.append('</g>')
    return ''.join(parts)


def rrect(x, y, w, h, r, fill, stroke=None, sw=1.0):
    if stroke:
        o = sw / 2.0
        return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" stroke="%s" stroke-width="%g"/>' % (
            x + o, y + o, w - sw, h - sw, max(0, r - o), fill, stroke, sw)
    return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>' % (x, y, w, h, r, fill)


STATES = ('normal', 'hover', 'down', 'disabled')

# Push-button backgrounds per style and state: (fill, border)
BUTTON_LOOKS = {
    'default': {'normal': (SURFACE, BORDER), 'hover': (ACCENT_SOFT, BORDER_HOVER),
                'down': (ACCENT_SOFT2, ACCENT), 'disabled': (DISABLED_FILL, DISABLED_LINE)},
    'outline': {'normal': (SURFACE, ACCENT), 'hover': (ACCENT_SOFT, ACCENT),
                'down': (ACCENT_SOFT2, ACCENT_DOWN), 'disabled': (DISABLED_FILL, DISABLED_LINE)},
    'primary': {'normal': (ACCENT, None), 'hover': (ACCENT_HOVER, None),
                'down': (ACCENT_DOWN, None), 'disabled': ('#BFE8CE', None)},
}


class Sheet:
    def __init__(self, name):
        self.name = name
        self.slices = []  # (name, w, h, caps, svg-body drawn at 0,0)

    def add(self, name, w, h, body, caps=(0, 0, 0, 0)):
        self.slices.append((name, w, h, caps, body))

    def write(self):
        pad, row_w = 4, 1024
        x = y = 0
        row_h = 0
        placed = []
        for (name, w, h, caps, body) in self.slices:
            if x + w > row_w and x > 0:
                x = 0
                y += row_h + pad
                row_h = 0
            placed.append((name, x, y, w, h, caps, body))
            x += w + pad
            row_h = max(row_h, h)
        total_w = row_w
        total_h = y + row_h
        svg = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">' % (total_w, total_h, total_w, total_h),
               '<title>%s slice sheet</title>' % self.name]
        xml = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<sheet name="%s" source="%s.svg">' % (self.name, self.name)]
        for (name, x, y, w, h, caps, body) in placed:
            svg.append('<g id="%s" transform="translate(%d %d)">%s</g>' % (name, x, y, body))
            l, t, r, b = caps
            extra = ''.join(' %s="%g"' % (k, v) for k, v in (('left', l), ('right', r), ('top', t), ('bottom', b)) if v)
            xml.append('  <slice name="%s" x="%d" y="%d" width="%g" height="%g"%s/>' % (name, x, y, w, h, extra))
        svg.append('</svg>')
        xml.append('</sheet>')
        with open(os.path.join(OUT, self.name + '.svg'), 'w') as f:
            f.write('\n'.join(svg) + '\n')
        with open(os.path.join(OUT, self.name + '.xml'), 'w') as f:
            f.write('\n'.join(xml) + '\n')


def button_bg(style, state, w, h, r=6):
    fill, border = BUTTON_LOOKS[style][state]
    return rrect(0, 0, w, h, r, fill, border)


def icon_button(icon, state, size=28, radius=7, ink=None):
    """A flat square icon button: transparent at rest, soft accent plate on hover and press."""
    body = ''
    if state == 'hover':
        body += rrect(0, 0, size, size, radius, ACCENT_SOFT)
        color = ACCENT
    elif state == 'down':
        body += rrect(0, 0, size, size, radius, ACCENT_SOFT2)
        color = ACCENT_DOWN
    elif state == 'disabled':
        color = DISABLED_INK
    else:
        color = ink or MUTED
    g = size * 0.72
    body += glyph(icon, color, (size - g) / 2, (size - g) / 2, g)
    return body


def add_icon_set(sheet, names, icon, size=28):
    for name, state in zip(names, STATES):
        sheet.add(name, size, size, icon_button(icon, state, size))


def checkbox(state_value, look, radio=False):
    s = 16
    if look == 'disabled':
        fill, line, mark = (DISABLED_FILL, DISABLED_LINE, DISABLED_INK)
        if state_value != 0:
            fill, line, mark = ('#BFE8CE', '#BFE8CE', SURFACE)
    elif state_value == 0:
        fill = {'normal': SURFACE, 'hover': ACCENT_SOFT, 'down': ACCENT_SOFT2}[look]
        line = {'normal': '#B9C1CA', 'hover': ACCENT, 'down': ACCENT_DOWN}[look]
        mark = None
    else:
        fill = {'normal': ACCENT, 'hover': ACCENT_HOVER, 'down': ACCENT_DOWN}[look]
        line, mark = fill, SURFACE
    if radio:
        body = '<circle cx="8" cy="8" r="7.5" fill="%s"/>' % line
        body += '<circle cx="8" cy="8" r="6.5" fill="%s"/>' % fill
        if state_value == 1:
            body += '<circle cx="8" cy="8" r="3" fill="%s"/>' % (mark or SURFACE)
        return body
    body = rrect(0, 0, s, s, 4, fill, line)
    if state_value == 1:
        body += '<path d="M4.2 8.3l2.6 2.6 5-5.4" fill="none" stroke="%s" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>' % mark
    elif state_value == -1:
        body += '<path d="M4.5 8h7" stroke="%s" stroke-width="2" stroke-linecap="round"/>' % mark
    return body


def switch(on):
    w, h = 44, 24
    track = ACCENT if on else '#CBD2D9'
    cx = w - 12 if on else 12
    return (rrect(0, 0, w, h, 12, track) +
            '<circle cx="%g" cy="12.6" r="10" fill="#000" fill-opacity="0.10"/>' % cx +
            '<circle cx="%g" cy="12" r="10" fill="%s"/>' % (cx, SURFACE))


def thumb(kind, w=120, h=68):
    body = rrect(0, 0, w, h, 6, '#E9EDF1')
    g = 30
    body += glyph(kind, '#A7B1BC', (w - g) / 2, (h - g) / 2, g, 2.0)
    return body


def illustration(kind, w=260, h=150):
    """Flat guide pictures: a browser-like window with the step highlighted."""
    b = rrect(0, 0, w, h, 10, SURFACE, BORDER)
    b += '<path d="M1 30h%g" stroke="%s"/>' % (w - 2, BORDER)
    for i, c in enumerate(('#FF8A80', '#FFD27A', '#8EDDA8')):
        b += '<circle cx="%d" cy="15" r="4.5" fill="%s"/>' % (16 + 14 * i, c)
    b += rrect(64, 9, w - 128, 12, 6, CANVAS)
    for i in range(3):
        b += rrect(20, 46 + 18 * i, w - 120 - 30 * i, 8, 4, '#E6EAEE')
    px, py = w - 86, h - 48
    label = {'download': 'download', 'paste': 'paste', 'convert': 'convert', 'record': 'record',
             'transfer': 'transfer', 'film': 'film'}.get(kind, kind)
    b += rrect(px, py, 66, 26, 7, ACCENT)
    b += glyph(label, SURFACE, px + 23, py + 3, 20, 2.2)
    b += ('<path d="M%g %gl0 15 4-4 3 6 2.5-1.2-3-6 5.5-.3z" fill="%s" stroke="%s" stroke-width="1.2" '
          'stroke-linejoin="round"/>' % (px + 50, py + 16, INK, SURFACE))
    return b


def device_picture(kind, w=200, h=150, accent=ACCENT, badge=None):
    b = rrect(0, 0, w, h, 12, CANVAS)
    b += glyph(kind, MUTED, w / 2 - 62, h / 2 - 36, 72, 2.0)
    b += glyph('monitor', MUTED, w / 2 + 2, h / 2 - 30, 60, 2.0)
    b += '<path d="M%g %gh%g" stroke="%s" stroke-width="3" stroke-dasharray="4 5" stroke-linecap="round"/>' % (
        w / 2 - 20, h / 2 + 16, 30, accent)
    if badge:
        b += '<circle cx="%g" cy="%g" r="14" fill="%s"/>' % (w - 30, 30, accent)
        b += glyph(badge, SURFACE, w - 41, 19, 22, 2.4)
    return b


def spinner_frame(i, n, size=64, color=ACCENT):
    """One frame of the connecting spinner: a ring with a rotating arc."""
    c = size / 2.0
    r = size * 0.36
    start = 2 * math.pi * i / n
    end = start + math.pi * 0.75
    x0, y0 = c + r * math.cos(start), c + r * math.sin(start)
    x1, y1 = c + r * math.cos(end), c + r * math.sin(end)
    return ('<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="5"/>' % (c, c, r, ACCENT_SOFT2) +
            '<path d="M%.2f %.2fA%g %g 0 0 1 %.2f %.2f" fill="none" stroke="%s" stroke-width="5" stroke-linecap="round"/>'
            % (x0, y0, r, r, x1, y1, color))


def dots_frame(i, n, w=60, h=16):
    b = ''
    for k in range(n):
        op = 1.0 if k == i else 0.3
        b += '<circle cx="%g" cy="8" r="4" fill="%s" fill-opacity="%g"/>' % (10 + k * (w - 20) / max(1, n - 1), ACCENT, op)
    return b


def logo(w=150, h=36):
    b = rrect(0, 2, 32, 32, 9, ACCENT)
    b += '<path d="M11 10h12M11 10v17M11 18h9" stroke="%s" stroke-width="3.2" stroke-linecap="round" fill="none"/>' % SURFACE
    b += ('<text x="42" y="25" font-family="DejaVu Sans, sans-serif" font-size="17" font-weight="bold" fill="%s">'
          'Fennix<tspan fill="%s">Pro</tspan></text>' % (INK, ACCENT))
    return b


def main_sheet():
    s = Sheet('mainform')
    cap = (10, 0, 10, 0)
    # Preset button looks: type 1 default 28 high, type 2 default 32, type 3 outline, type 4 and 5 primary.
    for base, style, h in ((40, 'default', 28), (67, 'default', 32), (56, 'outline', 28),
                           (89, 'primary', 28), (62, 'primary', 32), (476, 'default', 28)):
        for k, state in enumerate(STATES):
            s.add('mainform-%d' % (base + k), 40, h, button_bg(style, state, 40, h), cap)
    # Tab look of the download page: white with an accent underline.
    s.add('mainform-138', 40, 32, rrect(0, 0, 40, 32, 0, SURFACE) + rrect(0, 29, 40, 3, 1.5, ACCENT), cap)
    # Switch.
    s.add('mainform-73', 44, 24, switch(True))
    s.add('mainform-75', 44, 24, switch(False))
    # Check boxes and radio buttons.
    for look, on, off, mix in (('normal', 243, 178, 287), ('hover', 244, 180, 288),
                               ('down', 245, 182, 289), ('disabled', 246, 184, 290)):
        s.add('mainform-%d' % on, 16, 16, checkbox(1, look))
        s.add('mainform-%d' % off, 16, 16, checkbox(0, look))
        s.add('mainform-%d' % mix, 16, 16, checkbox(-1, look))
    for look, on, off in (('normal', 413, 353), ('hover', 414, 354), ('down', 415, 356), ('disabled', 416, 358)):
        s.add('mainform-%d' % on, 16, 16, checkbox(1, look, radio=True))
        s.add('mainform-%d' % off, 16, 16, checkbox(0, look, radio=True))
    s.add('mainform-417', 16, 16, checkbox(1, 'disabled', radio=True))
    # Table check cell on and off.
    s.add('mainform-462_', 16, 16, checkbox(1, 'normal'))
    s.add('mainform-438_', 16, 16, checkbox(0, 'normal'))
    # Tool-bar page icons, white on the green bar.
    for n, icon in ((111, 'download'), (113, 'record'), (109, 'convert'), (115, 'transfer'), (117, 'online')):
        s.add('mainform-%d' % n, 32, 32, glyph(icon, SURFACE, 2, 2, 28, 2.0))
    # Icon buttons with four states.
    sets = {
        (187, 189, 191, 193): 'feedback', (523, 525, 527, 529): 'clock',
        (761, 762, 763, 764): 'pause', (769, 770, 771, 772): 'play', (753, 754, 755, 756): 'retry',
        (745, 746, 747, 748): 'close', (712, 714, 716, 718): 'convert', (728, 729, 730, 731): 'transfer',
        (480, 481, 482, 483): 'home', (513, 514, 515, 516): 'back', (535, 536, 537, 538): 'forward',
        (557, 558, 559, 560): 'refresh', (484, 485, 486, 487): 'add', (328, 329, 330, 331): 'trash',
        (445, 446, 447, 448): 'folder', (441, 442, 443, 444): 'folder', (332, 333, 334, 335): 'convert',
        (256, 257, 258, 259): 'play-circle',
        (577, 578, 579, 580): 'trash',
    }
    for names, icon in sets.items():
        add_icon_set(s, ['mainform-%d' % n for n in names], icon)
    # Scheduler modes: one picture each.
    for n, icon in ((564, 'nothing'), (565, 'power'), (566, 'moon'), (567, 'quit')):
        s.add('mainform-%d' % n, 28, 28, icon_button(icon, 'normal', ink=ACCENT))
    # Turbo: off, on, pressed, disabled.
    for n, state in zip((260, 261, 262, 263), ('normal', 'on', 'down', 'disabled')):
        if state == 'on':
            body = rrect(0, 0, 28, 28, 7, ACCENT) + glyph('bolt', SURFACE, 4, 4, 20)
        else:
            body = icon_button('bolt', state)
        s.add('mainform-%d' % n, 28, 28, body)
    # Pictures of rows and pages.
    s.add('mainform-145', 16, 16, rrect(0, 0, 16, 16, 4, ACCENT) + glyph('bolt', SURFACE, 2, 2, 12, 1.5))
    s.add('mainform-595', 120, 68, thumb('film'))
    s.add('mainform-663', 120, 68, thumb('music'))
    s.add('mainform-134', 16, 16, '<circle cx="8" cy="8" r="7" fill="%s"/>' % MUTED + glyph('film', SURFACE, 3, 3, 10, 1.4))
    s.add('mainform-461', 16, 16, '<circle cx="8" cy="8" r="8" fill="%s"/>' % ACCENT + glyph('check', SURFACE, 2, 2, 12, 2))
    s.add('mainform-462', 16, 16, '<circle cx="8" cy="8" r="8" fill="%s"/>' % RED + glyph('close', SURFACE, 2, 2, 12, 2))
    for n, icon in ((279, 'clock'), (281, 'scale'), (283, 'file'), (285, 'monitor')):
        s.add('mainform-%d' % n, 14, 14, glyph(icon, '#8A94A1', 0, 0, 14, 1.4))
        s.add('mainform-%d' % (n + 1), 14, 14, glyph(icon, ACCENT, 0, 0, 14, 1.4))
    s.add('mainform-120', 16, 16, glyph('paste', SURFACE, 0, 0, 16, 1.6))
    s.add('mainform-198', 16, 16, glyph('paste', ACCENT, 0, 0, 16, 1.6))
    s.add('mainform-504', 24, 24, glyph('phone', ACCENT, 0, 0, 24, 1.8))
    s.add('mainform-544', 24, 24, glyph('phone', MUTED, 0, 0, 24, 1.8))
    s.add('mainform-562', 24, 24, glyph('android', MUTED, 0, 0, 24, 1.8))
    s.add('mainform-453', 18, 18, '<circle cx="9" cy="9" r="8" fill="#C9D0D7"/>' + glyph('close', SURFACE, 3, 3, 12, 2))
    s.add('mainform-454', 18, 18, '<circle cx="9" cy="9" r="8" fill="%s"/>' % RED + glyph('close', SURFACE, 3, 3, 12, 2))
    for n, fill in ((691, '#000000'), (693, RED), (695, '#D93B38')):
        op = '0.45' if n == 691 else '1'
        s.add('mainform-%d' % n, 20, 20, '<circle cx="10" cy="10" r="9" fill="%s" fill-opacity="%s"/>' % (fill, op) +
              glyph('close', SURFACE, 4, 4, 12, 2))
    # Icons on buttons (Convert All, Transfer All, Record).
    for names, icon in ((('mainform-706', 'mainform-706721', 'mainform-706722'), 'convert'),
                        (('mainform-709', 'mainform-709707', 'mainform-709708'), 'transfer')):
        for name, color in zip(names, (INK, ACCENT, ACCENT_DOWN)):
            s.add(name, 16, 16, glyph(icon, color, 0, 0, 16, 1.6))
    s.add('mainform-171', 16, 16, '<circle cx="8" cy="8" r="6.5" fill="none" stroke="%s" stroke-width="1.6"/>' % RED +
          '<circle cx="8" cy="8" r="3" fill="%s"/>' % RED)
    s.add('mainform-778', 16, 16, '<circle cx="8" cy="8" r="6.5" fill="none" stroke="%s" stroke-width="1.6"/>' % DISABLED_INK +
          '<circle cx="8" cy="8" r="3" fill="%s"/>' % DISABLED_INK)
    # Scroller of images: forward and back, normal and pressed.
    for n, icon, state in ((623, 'forward', 'normal'), (627, 'forward', 'down'), (658, 'back', 'normal'), (660, 'back', 'down')):
        s.add('mainform-%d' % n, 16, 40, rrect(0, 0, 16, 40, 5, ACCENT_SOFT2 if state == 'down' else '#E6EAEE') +
              glyph(icon, ACCENT_DOWN if state == 'down' else MUTED, 0, 12, 16, 1.8))
    s.add('mainform-379', 40, 40, rrect(0, 0, 40, 40, 6, ACCENT_SOFT, ACCENT, 1.5), (8, 8, 8, 8))
    # Media options head pictures: video, audio, subtitles.
    for n, icon in ((173346, 'film'), (176348, 'music'), (178350, 'file')):
        s.add('mainform-%d' % n, 40, 40, rrect(0, 0, 40, 40, 10, ACCENT_SOFT) + glyph(icon, ACCENT, 8, 8, 24, 2))
    # Preference tabs: normal (581-584) and alternate (590-593).
    for k, icon in enumerate(('download', 'location', 'puzzle', 'gear')):
        s.add('mainform-%d' % (581 + k), 64, 56, rrect(0, 0, 64, 56, 8, SURFACE) + glyph(icon, MUTED, 20, 8, 24, 2))
        s.add('mainform-%d' % (590 + k), 64, 56, rrect(0, 0, 64, 56, 8, ACCENT) + glyph(icon, SURFACE, 20, 8, 24, 2))
    s.add('mainform-698-quen', 150, 36, logo())
    # Volume fill and the two-area transfer control icons.
    s.add('slice-127_', 12, 3, rrect(0, 0, 12, 3, 1.5, ACCENT), (2, 0, 2, 0))
    for base, icon in ((683756, 'convert'), (683761, 'transfer')):
        for k, color in enumerate((MUTED, ACCENT, ACCENT_DOWN, DISABLED_INK)):
            s.add('slice-%d_' % (base + k), 20, 20, glyph(icon, color, 0, 0, 20, 1.8))
    return s


def main_slice_sheet():
    s = Sheet('MainSlice')
    s.add('mainform-357_', 16, 16, glyph('search', '#8A94A1', 0, 0, 16, 1.8))
    s.add('mainform-359_', 16, 16, glyph('search', ACCENT, 0, 0, 16, 1.8))
    s.add('mainform-86_', 16, 16, '<circle cx="8" cy="8" r="7" fill="#C9D0D7"/>' + glyph('close', SURFACE, 3, 3, 10, 1.8))
    return s


def guide_sheet():
    s = Sheet('Guidancemap')
    # Loading frames of the animation view (07 is the resting frame).
    for k, n in enumerate(('03', '05', '06', '07', '08', '09', '10')):
        s.add('Guidancemap-%s' % n, 64, 64, spinner_frame(k, 7))
    for k, n in enumerate(('20', '21', '22', '23', '24', '25')):
        s.add('Guidancemap-%s' % n, 60, 16, dots_frame(k, 6))
    # Site tiles: with a picture (normal, hover) and without.
    s.add('Guidancemap-17', 149, 98, rrect(0, 0, 149, 98, 8, SURFACE, BORDER), (10, 10, 10, 10))
    s.add('Guidancemap-13', 149, 98, rrect(0, 0, 149, 98, 8, SURFACE, ACCENT, 1.5), (10, 10, 10, 10))
    s.add('Guidancemap-15', 149, 98, rrect(0, 0, 149, 98, 8, CANVAS, BORDER) + glyph('add', '#A7B1BC', 58, 33, 32, 2), (10, 10, 10, 10))
    # Split paste button: left cap 12, a 1-point middle, and a right part of 30 with the arrow.
    for n, state in zip((107, 109, 111, 113), STATES):
        fill = {'normal': ACCENT, 'hover': ACCENT_HOVER, 'down': ACCENT_DOWN, 'disabled': '#BFE8CE'}[state]
        body = rrect(0, 0, 43, 30, 7, fill) + '<path d="M13.5 7v16" stroke="#FFFFFF" stroke-opacity="0.45"/>'
        body += ('<path d="M24.5 13.5l3.5 3.5 3.5-3.5" fill="none" stroke="#FFFFFF" stroke-width="1.8" '
                 'stroke-linecap="round" stroke-linejoin="round"/>')
        s.add('Guidancemap-%d' % n, 43, 30, body, (12, 0, 30, 0))
    s.add('Guidancemap-125', 14, 14, glyph('check', INK, 0, 0, 14, 1.8))
    s.add('Guidancemap-127', 14, 14, glyph('check', SURFACE, 0, 0, 14, 1.8))
    s.add('Guidancemap-53', 200, 150, device_picture('phone'))
    s.add('Guidancemap-55', 200, 150, device_picture('phone', accent=RED, badge='close'))
    s.add('Guidancemap-57', 120, 120, rrect(0, 0, 120, 120, 14, CANVAS) + glyph('phone', MUTED, 20, 20, 80, 2))
    s.add('Guidancemap-60', 120, 120, rrect(0, 0, 120, 120, 14, CANVAS) + glyph('monitor', MUTED, 20, 20, 80, 2))
    for name, kind in (('downlaod1', 'download'), ('download2', 'paste'), ('convert1', 'convert'),
                       ('x4e11x5973x513fx7ae5', 'transfer'), ('record1', 'record'), ('record2', 'film'),
                       ('transfer1', 'add'), ('transfer2', 'transfer')):
        s.add(name, 260, 150, illustration(kind))
    return s


def instructions_sheet():
    s = Sheet('Instructions')
    s.add('Instructions-13', 200, 150, device_picture('phone', badge='key'))
    s.add('Instructions-16', 200, 150, device_picture('phone', badge='shield'))
    # Failed-connection panels of Android phones: authorisation and sleep.
    s.add('AndroidDebug', 200, 150, device_picture('android', badge='key'))
    s.add('AndroidSleep', 200, 150, device_picture('android', accent=MUTED, badge='moon'))
    # USB-debugging guide, one picture per Android version tab.
    for k, badge in enumerate(('gear', 'info', 'bolt', 'check')):
        s.add('usb-debugging-%d' % (k + 1), 200, 150, device_picture('android', badge=badge))
    return s


def connecting_frame(i, n, w=120, h=40):
    """One frame of the connecting animation: green dots flowing from the device to the computer."""
    b = ''
    for k in range(6):
        x = 10 + ((k * 20 + 20.0 * 6 * i / n) % 120)
        if x > w - 8:
            continue
        fade = 0.35 + 0.65 * (x / float(w))
        b += '<circle cx="%.2f" cy="%g" r="5" fill="%s" fill-opacity="%.2f"/>' % (x, h / 2.0, ACCENT, fade)
    return b


def connecting_sheet():
    s = Sheet('Connecting')
    for k in range(47):
        s.add('connecting-%02d' % k, 120, 40, connecting_frame(k, 47))
    return s


def animation_sheet():
    s = Sheet('Animation')
    for k in range(2, 44):
        s.add('id1-020%02d_' % k, 64, 64, spinner_frame(k - 2, 42))
    return s


def tips_sheet():
    s = Sheet('tips')
    for name, state in zip(('tips01_', 'tips03_', 'tips05_', 'tips07_'), STATES):
        s.add(name, 28, 28, icon_button('bulb', state))
    return s


def toolbox_sheet():
    s = Sheet('ToolboxSlice')
    s.add('toolbox-111_', 20, 20, '<circle cx="10" cy="10" r="10" fill="%s"/>' % ACCENT + glyph('check', SURFACE, 3, 3, 14, 2.2))
    s.add('toolbox-120_', 20, 20, '<circle cx="10" cy="10" r="10" fill="%s"/>' % RED + glyph('close', SURFACE, 3, 3, 14, 2.2))
    s.add('toolbox-123_', 24, 24, glyph('feedback', ACCENT, 0, 0, 24, 2))
    s.add('toolbox-150_', 40, 44, rrect(0, 0, 40, 44, 0, SURFACE) + '<path d="M0 43.5h40" stroke="%s"/>' % BORDER, (10, 0, 10, 0))
    s.add('toolbox-197_', 40, 40, rrect(0, 0, 40, 40, 8, ACCENT_SOFT2), (10, 10, 10, 10))
    s.add('toolbox-199_', 40, 40, rrect(0, 0, 40, 40, 8, ACCENT_SOFT), (10, 10, 10, 10))
    return s


def device_sheet():
    s = Sheet('DeviceSlice')
    s.add('device-195_', 40, 28, rrect(0, 0, 40, 28, 6, SURFACE, BORDER), (10, 0, 10, 0))
    s.add('device-204_', 40, 28, rrect(0, 0, 40, 28, 6, SURFACE, ACCENT, 1.5), (10, 0, 10, 0))
    for name, icon, color in (('device-186_', 'phone', MUTED), ('device-186189_', 'phone', ACCENT),
                              ('device-186184_', 'android', MUTED), ('device-186190_', 'android', ACCENT),
                              ('device-186185_', 'car', MUTED), ('device-186191_', 'car', ACCENT)):
        s.add(name, 18, 18, glyph(icon, color, 0, 0, 18, 1.6))
    s.add('device-202_', 10, 6, '<path d="M1.5 1.5l3.5 3 3.5-3" fill="none" stroke="%s" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>' % MUTED)
    s.add('device-202205_', 10, 6, '<path d="M1.5 1.5l3.5 3 3.5-3" fill="none" stroke="%s" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>' % ACCENT)
    return s


def cover_sheet():
    s = Sheet('WebsiteCover')
    s.add('WebsiteCover-default', 149, 98, rrect(0, 0, 149, 98, 8, ACCENT_SOFT) + glyph('online', ACCENT, 54, 29, 40, 2))
    return s


def flight_sheet(name, icon):
    s = Sheet(name)
    for k in range(1, 9):
        scale = 1.0 - (k - 1) * 0.05
        size = 48 * scale
        s.add('%s-%02d' % (name, k), 48, 48,
              '<g opacity="%g">' % (1.0 - (k - 1) * 0.1) + rrect((48 - size) / 2, (48 - size) / 2, size, size, 10 * scale, ACCENT) +
              glyph(icon, SURFACE, (48 - size * 0.6) / 2, (48 - size * 0.6) / 2, size * 0.6, 2.2) + '</g>')
    return s


def table_sheet():
    """Art of the tool bar, tables, badges and image scrollers (sheet "TableArt")."""
    s = Sheet('TableArt')
    w = 14  # scroller thickness, the width of the style's scroll bars

    def chevron(direction, color, cx, cy):
        d = {'up': 'M%g %gl3.5-3.5 3.5 3.5' % (cx - 3.5, cy + 1.75),
             'down': 'M%g %gl3.5 3.5 3.5-3.5' % (cx - 3.5, cy - 1.75)}[direction]
        return ('<path d="%s" fill="none" stroke="%s" stroke-width="1.6" stroke-linecap="round" '
                'stroke-linejoin="round"/>' % (d, color))

    def arrow(direction, pressed, h, at):
        fill = ACCENT_SOFT2 if pressed else '#EDF0F3'
        ink = ACCENT_DOWN if pressed else MUTED
        return rrect(1, 1 if direction == 'up' else 0, w - 2, h - 1, 4, fill) + chevron(direction, ink, w / 2.0, at)

    track = '<rect x="0" y="0" width="%g" height="%%g" fill="%s"/>' % (w, '#F6F7F9')
    vertical = {
        # Arrows apart: decrement at the start, increment at the end.
        'NotTogetherDecrement': (14, arrow('up', False, 14, 7)),
        'NotTogetherDecrementHighlight': (14, arrow('up', True, 14, 7)),
        'NotTogetherIncrement': (14, arrow('down', False, 14, 7)),
        'NotTogetherIncrementHighlight': (14, arrow('down', True, 14, 7)),
        # Arrows together at the end: the decrement image reaches 4 points back into the track.
        'TogetherDecrement': (18, track % 18 + arrow('up', False, 17, 11)),
        'TogetherDecrementHighlight': (18, track % 18 + arrow('up', True, 17, 11)),
        'TogetherIncrement': (14, arrow('down', False, 14, 7)),
        'TogetherIncrementHighlight': (14, arrow('down', True, 14, 7)),
        'ArrowOtherSideEndPart': (6, track % 6),
        'KnobLeft': (6, '<path d="M3 6V5a4 4 0 0 1 8 0v1z" fill="#C3CAD2"/>'),
        'KnobMiddle': (4, '<rect x="3" y="0" width="8" height="4" fill="#C3CAD2"/>'),
        'KnobRight': (6, '<path d="M3 0v1a4 4 0 0 0 8 0V0z" fill="#C3CAD2"/>'),
        'Background': (4, track % 4 + '<rect x="0" y="0" width="1" height="4" fill="%s"/>' % '#E6EAEE'),
    }
    for part, (h, body) in vertical.items():
        s.add('ScrollBarV' + part, w, h, body)
        # The horizontal set is the vertical one mirrored across the diagonal.
        s.add('HScrollBarV' + part, h, w, '<g transform="matrix(0 1 1 0 0 0)">%s</g>' % body)
    # Sort indicators of the table header.
    s.add('tableHeader_down', 10, 8, chevron('down', MUTED, 5, 4))
    s.add('tableHeader_up', 10, 8, chevron('up', MUTED, 5, 4))
    # Badge masks by label length: up to 2, 3, 4, 5 or more characters (23 points high).
    for n, width in ((1, 23), (3, 30), (4, 36), (5, 42)):
        s.add('CTBadge_%d' % n, width, 23, rrect(0, 0, width, 23, 11.5, '#000000'))
    # Tool-bar item backgrounds on the green bar: hover and selected.
    s.add('toolbar-item-hover', 40, 40, rrect(4, 2, 32, 36, 10, SURFACE + '" fill-opacity="0.14'), (14, 0, 14, 0))
    s.add('toolbar-item-selected', 40, 40, rrect(4, 2, 32, 36, 10, SURFACE + '" fill-opacity="0.26'), (14, 0, 14, 0))
    s.add('toolbar-item-disabled-icon', 32, 32, glyph('nothing', SURFACE + '" stroke-opacity="0.5', 2, 2, 28, 2.0))
    # Row pictures: the install image of a site row and a playlist thumbnail.
    s.add('table-install', 36, 36, '<circle cx="18" cy="18" r="17" fill="%s"/>' % ACCENT_SOFT +
          glyph('download', ACCENT, 6, 6, 24, 2.2))
    s.add('table-site', 20, 20, rrect(0, 0, 20, 20, 5, ACCENT) + glyph('online', SURFACE, 3, 3, 14, 1.6))
    return s


def popover_sheet():
    """Pictures the pop-over controls ask for by plain name (sheet "AppImages")."""
    s = Sheet('AppImages')
    w = 260
    # Arrow pop list, vertical three parts: a head with the arrow, a stretched body, a rounded tail.
    head = ('<path d="M0.5 16.5V14.5a6 6 0 0 1 6-6H%g l8-7.5 8 7.5H%g a6 6 0 0 1 6 6V16.5" fill="%s" stroke="%s"/>'
            % (w / 2.0 - 8, w - 6.5, SURFACE, BORDER))
    s.add('findlist_t', w, 16, head)
    s.add('findlist_m', w, 4, '<rect x="0" y="0" width="%g" height="4" fill="%s"/>' % (w, SURFACE) +
          '<path d="M0.5 0v4M%g 0v4" stroke="%s"/>' % (w - 0.5, BORDER))
    s.add('findlist_b', w, 10, '<path d="M0.5 0V3.5a6 6 0 0 0 6 6H%g a6 6 0 0 0 6-6V0" fill="%s" stroke="%s"/>'
          % (w - 6.5, SURFACE, BORDER))
    # Pop-up button: a green pill, the right cap holding the chevron's room behind a divider.
    s.add('select_l', 10, 26, '<path d="M10 0H7a7 7 0 0 0-7 7v12a7 7 0 0 0 7 7h3z" fill="%s"/>' % ACCENT)
    s.add('select_m', 4, 26, '<rect x="0" y="0" width="4" height="26" fill="%s"/>' % ACCENT)
    # Bottom bar of the running list: a light strip with a hairline on top, laid as a pattern.
    bar = '<rect width="%g" height="40" fill="#F7F9FA"/><rect width="%g" height="1" fill="#E1E5E8"/>' \
          '<rect y="1" width="%g" height="1" fill="#FFFFFF"/>'
    s.add('DownloadingBottomLeft', 10, 40, bar % (10, 10, 10))
    s.add('DownloadingBottomMiddle', 8, 40, bar % (8, 8, 8) +
          '<rect x="3.5" y="38" width="1" height="1" fill="#E1E5E8" fill-opacity="0.6"/>')
    s.add('DownloadingBottomRight', 10, 40, bar % (10, 10, 10))
    # Faces of the bar's two buttons (their sizes place the buttons).
    s.add('pauseallbtn_normal', 100, 28, button_bg('outline', 'normal', 100, 28))
    s.add('restartbtn_normal', 108, 28, button_bg('outline', 'normal', 108, 28))
    s.add('select_r', 26, 26, '<path d="M0 0h19a7 7 0 0 1 7 7v12a7 7 0 0 1-7 7H0z" fill="%s"/>' % ACCENT +
          '<path d="M0.5 6v14" stroke="#FFFFFF" stroke-opacity="0.45"/>')
    return s


def animation4_sheet():
    """Waiting frames of the flat progress bar: a green segment sweeping the track."""
    s = Sheet('Animation4')
    n, w, h = 12, 120, 8
    for k in range(n):
        # The segment enters at the left and leaves at the right, cut at the track's ends.
        x = -24 + (w + 24) * k / float(n - 1)
        x0, x1 = max(0.0, x), min(float(w), x + 30)
        body = rrect(0, 0, w, h, 4, '#E9EBED')
        if x1 - x0 > 1:
            body += rrect(x0, 0, x1 - x0, h, min(4, (x1 - x0) / 2), ACCENT)
        s.add('Animation4-%02d' % (k + 1), w, h, body)
    return s


# Glyphs of the preview player, on the same 24 x 24 grid as GLYPHS.
PLAYER_GLYPHS = {
    'p-prev': [('f', 'M17.5 6.5v11L9.5 12z'), ('s', 'M7 6.5v11')],
    'p-next': [('f', 'M6.5 6.5v11L14.5 12z'), ('s', 'M17 6.5v11')],
    'p-play': [('f', 'M9 6.5l9 5.5-9 5.5z')],
    'p-pause': [('f', 'M7.5 6h3v12h-3zM13.5 6h3v12h-3z')],
    'p-once': [('s', 'M4 12h11M12 8.5l3.5 3.5-3.5 3.5M19 6.5v11')],
    'p-repeat': [('s', 'M5 11V9.5A2.5 2.5 0 0 1 7.5 7H18M15.5 4.5L18 7l-2.5 2.5M19 13v1.5a2.5 2.5 0 0 1-2.5 2.5H6M8.5 19.5L6 17l2.5-2.5')],
    'p-order': [('s', 'M4.5 7h9M4.5 12h9M4.5 17h6M16 10v8M13.5 15.5L16 18l2.5-2.5')],
    'p-camera': [('s', 'M4.5 8.5A1.5 1.5 0 0 1 6 7h2l1.5-2h5L16 7h2a1.5 1.5 0 0 1 1.5 1.5v9A1.5 1.5 0 0 1 18 19H6a1.5 1.5 0 0 1-1.5-1.5z'), ('c', (12, 13, 3.2))],
    'p-full': [('s', 'M4.5 9V4.5H9M15 4.5h4.5V9M19.5 15v4.5H15M9 19.5H4.5V15')],
    'p-unfull': [('s', 'M9 4.5V9H4.5M19.5 9H15V4.5M15 19.5V15h4.5M4.5 15H9v4.5')],
    'p-cc': [('r', (3.5, 6, 17, 12, 2.5)), ('s', 'M10.5 10.2a2.2 2.2 0 1 0 0 3.6M16.5 10.2a2.2 2.2 0 1 0 0 3.6')],
    'p-vol-min': [('f', 'M4.5 9.5h3.5l4.5-3.5v12l-4.5-3.5H4.5z')],
    'p-vol-max': [('f', 'M3.5 9.5H7l4.5-3.5v12L7 14.5H3.5z'), ('s', 'M14.5 9.5a3.5 3.5 0 0 1 0 5M17 7a7 7 0 0 1 0 10')],
}

PLAYER_BAR = '#1F2933'
PLAYER_INK = '#E9EDF1'
PLAYER_TRACK = '#4A5562'


def player_button(icon, down, size=32):
    """A flat icon on the dark control bar: light ink at rest, accent plate while pressed."""
    body = ''
    color = PLAYER_INK
    if down:
        body += rrect(1, 1, size - 2, size - 2, 7, '#FFFFFF" fill-opacity="0.12')
        color = ACCENT_HOVER
    g = size * 0.66
    body += glyph(icon, color, (size - g) / 2, (size - g) / 2, g, 1.8)
    return body


def player_sheet():
    """The preview player: control-bar art, seek and volume sliders, subtitle windows."""
    GLYPHS.update(PLAYER_GLYPHS)
    s = Sheet('PlayerArt')
    # Control bar background (scaled over the bar): dark, a hair line on top.
    s.add('btnCtrlViewImage', 64, 70, '<rect width="64" height="70" fill="%s"/>' % PLAYER_BAR +
          '<rect width="64" height="1" fill="#FFFFFF" fill-opacity="0.10"/>')
    for name, icon in (('player_prev', 'p-prev'), ('player_next', 'p-next'), ('player_Singles', 'p-once'),
                       ('player_Circulation', 'p-repeat'), ('player_order', 'p-order'),
                       ('player_snapshot', 'p-camera'), ('player_fullscreen', 'p-full'),
                       ('player_unfullscreen', 'p-unfull'), ('CC_off', 'p-cc'),
                       ('player_volume_min', 'p-vol-min'), ('player_volume_max', 'p-vol-max')):
        s.add(name + '_normal', 32, 32, player_button(icon, False))
        s.add(name + '_down', 32, 32, player_button(icon, True))
        s.add(name + '_disabled', 32, 32, glyph(icon, '#6B7683', 32 * 0.17, 32 * 0.17, 32 * 0.66, 1.8))
    # Subtitles on: the CC glyph in the accent colour.
    s.add('CC_on_normal', 32, 32, glyph('p-cc', ACCENT_HOVER, 32 * 0.17, 32 * 0.17, 32 * 0.66, 1.8))
    s.add('CC_on_down', 32, 32, rrect(1, 1, 30, 30, 7, '#FFFFFF" fill-opacity="0.12') +
          glyph('p-cc', ACCENT, 32 * 0.17, 32 * 0.17, 32 * 0.66, 1.8))
    # Play and pause: a green disc.
    for name, icon in (('player_play', 'p-play'), ('player_stop', 'p-pause')):
        for state, fill in (('normal', ACCENT), ('down', ACCENT_DOWN)):
            s.add('%s_%s' % (name, state), 40, 40, '<circle cx="20" cy="20" r="19" fill="%s"/>' % fill +
                  glyph(icon, SURFACE, 9, 9, 22, 1.8))
    # Seek slider: track, played part, knob.
    s.add('playerSliderImage', 40, 9, rrect(0, 0, 40, 9, 4.5, PLAYER_TRACK))
    s.add('playerSliderPlayingImage', 40, 9, rrect(0, 0, 40, 9, 4.5, ACCENT))
    s.add('playerSliderBallImage', 24, 24, '<circle cx="12" cy="12" r="9" fill="%s" stroke="%s" stroke-width="3"/>'
          % (SURFACE, ACCENT) + '<circle cx="12" cy="12" r="11.5" fill="none" stroke="#000000" stroke-opacity="0.15"/>')
    # Volume slider: thin track, fill and a small knob (brighter ring while pressed).
    s.add('soundSliderImage', 40, 4, rrect(0, 0, 40, 4, 2, PLAYER_TRACK))
    s.add('soundSliderFillImage', 40, 4, rrect(0, 0, 40, 4, 2, ACCENT))
    s.add('soundBtn', 12, 12, '<circle cx="6" cy="6" r="5.5" fill="%s"/>' % SURFACE)
    s.add('soundBtnSel', 12, 12, '<circle cx="6" cy="6" r="5" fill="%s" stroke="%s" stroke-width="1.5"/>' % (SURFACE, ACCENT))
    # Subtitle switch.
    s.add('CCSwitch_on', 44, 24, rrect(0, 0, 44, 24, 12, ACCENT) + '<circle cx="32" cy="12" r="9" fill="%s"/>' % SURFACE)
    s.add('CCSwitch_off', 44, 24, rrect(0, 0, 44, 24, 12, PLAYER_TRACK) + '<circle cx="12" cy="12" r="9" fill="%s"/>' % PLAYER_INK)
    # Colour schemes 1..4: text colour on background, ringed in the accent when chosen.
    schemes = {1: ('#FFFFFF', '#000000'), 2: ('#000000', '#FFFFFF'), 3: ('#FFFF00', '#000000'), 4: ('#FFFFFF', '#0000FF')}
    for n, (ink, back) in schemes.items():
        face = rrect(3, 3, 42, 26, 5, back, '#6B7683') + (
            '<text x="24" y="21.5" font-family="sans-serif" font-size="15" font-weight="bold" '
            'text-anchor="middle" fill="%s">Aa</text>' % ink)
        s.add('AA%d_normal' % n, 48, 32, face)
        s.add('AA%d_down' % n, 48, 32, rrect(0, 0, 48, 32, 7, 'none', ACCENT, 2.5) + face)
    # Three-part buttons of the style window: dark and accent.
    for look, states in (('buttonblack', (('normal', '#3A4450'), ('down', '#2B333C'))),
                         ('buttonblue', (('normal', ACCENT), ('down', ACCENT_DOWN)))):
        for state, fill in states:
            s.add('%s_%s_l' % (look, state), 8, 26, '<path d="M8 0H6a6 6 0 0 0-6 6v14a6 6 0 0 0 6 6h2z" fill="%s"/>' % fill)
            s.add('%s_%s_m' % (look, state), 4, 26, '<rect width="4" height="26" fill="%s"/>' % fill)
            s.add('%s_%s_r' % (look, state), 8, 26, '<path d="M0 0h2a6 6 0 0 1 6 6v14a6 6 0 0 1-6 6H0z" fill="%s"/>' % fill)
    return s


def main():
    sheets = [main_sheet(), main_slice_sheet(), guide_sheet(), instructions_sheet(), animation_sheet(),
              tips_sheet(), toolbox_sheet(), device_sheet(), cover_sheet(),
              flight_sheet('AddConverterAnimate', 'convert'), flight_sheet('AddTransferAnimate', 'transfer'), table_sheet(),
              popover_sheet(), animation4_sheet(), player_sheet(), connecting_sheet()]
    files = []
    for s in sheets:
        s.write()
        files += [s.name + '.xml', s.name + '.svg']
    with open(os.path.join(OUT, 'slices.qrc'), 'w') as f:
        f.write('<!DOCTYPE RCC><RCC version="1.0">\n<qresource prefix="/">\n')
        for name in files:
            f.write('  <file>%s</file>\n' % name)
        f.write('</qresource>\n</RCC>\n')
    print('wrote %d sheets' % len(sheets))


if __name__ == '__main__':
    main()
