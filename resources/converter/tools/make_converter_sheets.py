#!/usr/bin/env python3
"""Writes the converter's image sheets: ImageMgr.xml (language to slice files), the slice files
MainWnd.xml and formatIcons.xml, and their SVG sheets. All art is drawn here from simple shapes.
Run: python3 resources/converter/tools/make_converter_sheets.py
"""
import os
import sys
sys.dont_write_bytecode = True
from xml.sax.saxutils import escape, quoteattr

OUT = os.path.normpath(os.path.join(os.path.dirname(__file__), '..', 'Images'))
sys.path.insert(0, os.path.dirname(__file__))
import make_catalogue  # noqa: E402

ACCENT = '#20C05B'
ACCENT_DOWN = '#17A04B'
INK = '#1F2933'
BORDER = '#D5DAE0'
SURFACE = '#FFFFFF'
PRESSED = '#EEF1F4'

CATEGORY_COLOURS = {100: '#F39C12', 1: '#2E86DE', 2: '#8E44AD', 17: '#E67E22', 8: '#20C05B', 3: '#5F6B7A', 4: '#27AE60',
                    5: '#C0392B', 6: '#16A085'}

# Small glyphs on a 24 x 24 grid, stroked white.
GLYPHS = {
    'video': 'M4 7h16v10H4zM4 10h2M4 14h2M18 10h2M18 14h2M10 9.5l4.5 2.5-4.5 2.5z',
    'audio': 'M9 17.5V6.5l9-2v11M9 17.5a2.2 2.2 0 1 1-2.2-2.2A2.2 2.2 0 0 1 9 17.5zM18 15.5a2.2 2.2 0 1 1-2.2-2.2 2.2 2.2 0 0 1 2.2 2.2z',
    'device': 'M8 3.5h8a1.5 1.5 0 0 1 1.5 1.5v14a1.5 1.5 0 0 1-1.5 1.5H8A1.5 1.5 0 0 1 6.5 19V5A1.5 1.5 0 0 1 8 3.5zM11 18h2',
    'web': 'M12 4a8 8 0 1 0 0 16 8 8 0 1 0 0-16zM4 12h16M12 4c-3 2.5-3 13.5 0 16M12 4c3 2.5 3 13.5 0 16',
    'hd': 'M4 6h16v12H4zM8 9v6M8 12h3M11 9v6M14 9v6h1.5a3 3 0 0 0 0-6z',
    'edit': 'M5 19l3.5-1 9-9-2.5-2.5-9 9zM14 7.5l2.5 2.5',
    'recent': 'M12 4a8 8 0 1 0 0 16 8 8 0 1 0 0-16zM12 7.5V12l3 2',
    'game': 'M7 9h10a4 4 0 0 1 0 8l-2-2H9l-2 2a4 4 0 0 1 0-8zM8.5 11v3M7 12.5h3M15.5 12h.01M17 13.5h.01',
}
CATEGORY_GLYPH = {100: 'recent', 1: 'video', 2: 'hd', 17: 'web', 8: 'audio', 3: 'device', 4: 'device', 5: 'game', 6: 'edit'}


def glyph(name, x, y, scale=1.0):
    return ('<path transform="translate(%g %g) scale(%g)" d="%s" fill="none" stroke="#FFFFFF" stroke-width="1.8" '
            'stroke-linecap="round" stroke-linejoin="round"/>' % (x, y, scale, GLYPHS[name]))


def icon(x, y, size, colour, glyph_name, label):
    parts = ['<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>' % (x + 1, y + 1, size - 2, size - 2, size / 6, colour),
             glyph(glyph_name, x + size / 2 - 12 * 0.9, y + 4, 0.9)]
    if label:
        parts.append('<text x="%g" y="%g" font-family="DejaVu Sans, sans-serif" font-size="%g" font-weight="bold" '
                     'fill="#FFFFFF" text-anchor="middle">%s</text>' % (x + size / 2, y + size - 6, size / 5.5, escape(label[:6])))
    return '\n'.join(parts)


def write_sheet(name, width, height, body, slices):
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n%s\n</svg>\n'
           % (width, height, width, height, '\n'.join(body)))
    with open(os.path.join(OUT, name + '.svg'), 'w', encoding='utf-8') as f:
        f.write(svg)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<images>',
             '  <image fileName=%s identifier=%s>' % (quoteattr(name + '.svg'), quoteattr(name))]
    for sid, (x, y, w, h) in slices:
        lines.append('    <slice id=%s rect="%d, %d, %d, %d"/>' % (quoteattr(sid), x, y, w, h))
    lines += ['  </image>', '</images>']
    with open(os.path.join(OUT, name + '.xml'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


def main_wnd():
    body, slices = [], []
    # Pop-up button parts: left cap, fill and right cap (with the arrows), normal and pressed.
    for row, (state, fill, line) in enumerate((('N', SURFACE, BORDER), ('P', PRESSED, ACCENT_DOWN))):
        y = row * 24
        body.append('<path d="M6 %d h4 v22 h-4 a5 5 0 0 1 -5 -5 v-12 a5 5 0 0 1 5 -5 z" fill="%s" stroke="%s"/>' % (y + 1, fill, line))
        slices.append(('VCPopupBtnLeft' + state, (0, y, 10, 24)))
        body.append('<rect x="12" y="%d" width="4" height="22" fill="%s"/>' % (y + 1, fill))
        body.append('<path d="M12 %d h4 M12 %d h4" stroke="%s"/>' % (y + 1.5, y + 22.5, line))
        slices.append(('VCPopupBtnFill' + state, (12, y, 4, 24)))
        body.append('<path d="M18 %d h14 a5 5 0 0 1 5 5 v12 a5 5 0 0 1 -5 5 h-14 z" fill="%s" stroke="%s"/>' % (y + 1, fill, line))
        body.append('<path d="M23 %g l3.5 -3.5 3.5 3.5 M23 %g l3.5 3.5 3.5 -3.5" fill="none" stroke="%s" stroke-width="1.5"/>'
                    % (y + 10, y + 14, INK))
        slices.append(('VCPopupBtnRight' + state, (18, y, 20, 24)))
    # Two stacked clips for a merged group.
    body.append('<rect x="44" y="6" width="34" height="26" rx="4" fill="%s" opacity="0.5"/>' % ACCENT)
    body.append('<rect x="50" y="14" width="34" height="26" rx="4" fill="%s"/>' % ACCENT)
    body.append(glyph('video', 55, 15, 1.0))
    slices.append(('MediaMergedImage', (40, 0, 48, 48)))
    # The return button of the settings view: a round arrow back to the grid, and pressed.
    for col, (fill, ring) in enumerate(((SURFACE, BORDER), (PRESSED, ACCENT_DOWN))):
        x = 88 + col * 42
        body.append('<circle cx="%g" cy="21" r="19.5" fill="%s" stroke="%s" stroke-width="1.5"/>' % (x + 21, fill, ring))
        body.append('<path d="M%g 21 h14 M%g 14 l-7 7 7 7" fill="none" stroke="%s" stroke-width="2.4" '
                    'stroke-linecap="round" stroke-linejoin="round"/>' % (x + 14, x + 21, ACCENT if col else INK))
        slices.append(('button_show_info' + ('_sel' if col else ''), (x, 0, 42, 42)))
    # The settings button of a hovered format tile, normal and pressed.
    for col, (fill, text) in enumerate(((ACCENT, '#FFFFFF'), (ACCENT_DOWN, '#E6F7EC'))):
        x = 172 + col * 72
        body.append('<rect x="%g" y="1" width="70" height="20" rx="10" fill="%s"/>' % (x + 1, fill))
        body.append('<text x="%g" y="15" font-family="DejaVu Sans, sans-serif" font-size="11" font-weight="bold" '
                    'fill="%s" text-anchor="middle">Settings</text>' % (x + 36, text))
        slices.append(('btnParamInfo' + ('_Down' if col else ''), (x, 0, 72, 22)))
    # The picture of the Smart Fit help box.
    body.append('<circle cx="340" cy="24" r="22" fill="%s"/>' % ACCENT)
    body.append('<text x="340" y="34" font-family="DejaVu Sans, sans-serif" font-size="28" font-weight="bold" '
                'fill="#FFFFFF" text-anchor="middle">?</text>')
    slices.append(('questionmark', (316, 0, 48, 48)))
    write_sheet('MainWnd', 364, 48, body, slices)


def format_icons():
    size, columns = 48, 8
    # The sheet's own category of recently used presets comes first.
    categories = [(100, 'Recently Used', 'catRecent')] + list(make_catalogue.CATEGORIES)
    entries = [(pix, cid, title) for cid, title, pix in categories]
    entries += [(p[4], p[1], p[3] or p[2]) for p in make_catalogue.PRESETS]
    body, slices = [], []
    # A chosen category stands out with a ring in the accent colour.
    entries += [(pix + '_sel', cid, title) for cid, title, pix in categories]
    for i, (pix, cid, label) in enumerate(entries):
        x, y = (i % columns) * size, (i // columns) * size
        if pix.endswith('_sel'):
            body.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" stroke="%s" stroke-width="3"/>'
                        % (x + 1.5, y + 1.5, size - 3, size - 3, size / 5, ACCENT))
            body.append(icon(x + 4, y + 4, size - 8, CATEGORY_COLOURS[cid], CATEGORY_GLYPH[cid], ''))
        else:
            body.append(icon(x, y, size, CATEGORY_COLOURS[cid], CATEGORY_GLYPH[cid],
                             '' if pix.startswith('cat') else label))
        slices.append((pix, (x, y, size, size)))
    rows = (len(entries) + columns - 1) // columns
    write_sheet('formatIcons', columns * size, rows * size, body, slices)


def image_list():
    files = ['MainWnd.xml', 'formatIcons.xml']
    langs = ['en', 'de', 'es', 'fr', 'ja', 'zh-Hans', 'zh-Hant']
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">',
             '<plist version="1.0">', '<dict>']
    for lang in langs:
        lines.append('\t<key>%s</key>' % lang)
        lines.append('\t<array>')
        for f in files:
            lines.append('\t\t<string>%s</string>' % f)
        lines.append('\t</array>')
    lines += ['</dict>', '</plist>']
    with open(os.path.join(OUT, 'ImageMgr.xml'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    os.makedirs(OUT, exist_ok=True)
    main_wnd()
    format_icons()
    image_list()
