#!/usr/bin/env python3
"""Where things are in the settings window, read from its pixels (an xwd dump), for tests that click there
as a hand would. Prints screen points "x,y", one per line, given the window's upper-left corner.

  window-pixels.py DUMP LEFT TOP sidebar-rows   the rows of the sidebar with an icon, top to bottom
  window-pixels.py DUMP LEFT TOP pane-control   the first control at the left margin of the shown pane
  window-pixels.py DUMP LEFT TOP gear           the general settings' button at the toolbar's right end
  window-pixels.py DUMP LEFT TOP palette-items  the centres of the palette pane's glyphs in its lowest row of them
  window-pixels.py DUMP LEFT TOP rightmost-glyph  the centre of the rightmost glyph of a window (the palette)
"""
import struct
import sys

# The settings window's sidebar is this wide, its divider one pixel; the panes' controls start this far in.
SIDEBAR_WIDTH = 200
PANE_MARGIN = 20


class Dump:
    def __init__(self, path):
        data = open(path, 'rb').read()
        header = struct.unpack('>25I', data[:100])
        size, self.width, self.height, order, bpp, stride, ncolors = (
            header[0], header[4], header[5], header[7], header[11], header[12], header[19])
        self.masks = header[14:17]
        self.data, self.order, self.bpp, self.stride = data, order, bpp, stride
        self.pixels = size + ncolors * 12

    # Drawn on: far from the white and light grey of the window in one colour at least.
    def dark(self, x, y):
        offset = self.pixels + y * self.stride + x * self.bpp // 8
        value = int.from_bytes(self.data[offset:offset + 4], 'little' if self.order == 0 else 'big')
        return min((value & m) >> ((m & -m).bit_length() - 1) for m in self.masks) < 200

    # Below the toolbar, whose bottom edge is the first dark line across the sidebar's width.
    def toolbar_bottom(self):
        return next(y for y in range(self.height) if all(self.dark(x, y) for x in range(60, 180, 10)))


def sidebar_rows(dump):
    rows, run = [], []
    for y in range(dump.toolbar_bottom() + 2, dump.height):
        if any(dump.dark(x, y) for x in range(14, 42)):
            run.append(y)
        elif run:
            rows.append((run[0] + run[-1]) // 2)
            run = []
    return [(80, y) for y in rows]


def pane_control(dump):
    left = SIDEBAR_WIDTH + 1 + PANE_MARGIN
    for y in range(dump.toolbar_bottom() + 2, dump.height):
        for x in range(left - 4, left + 16):
            if dump.dark(x, y):
                # Inside the check box or the button that starts there.
                return [(x + 6, y + 6)]
    return []


def gear(dump):
    bottom = dump.toolbar_bottom()
    for x in range(dump.width - 1, 0, -1):
        marked = [y for y in range(bottom) if dump.dark(x, y)]
        if marked:
            return [(x - 6, (marked[0] + marked[-1]) // 2)]
    return []


def palette_items(dump):
    # The lowest band of glyphs in the pane (the standard items, when no row below holds an item), then
    # its glyphs from left to right.
    left = SIDEBAR_WIDTH + 1 + PANE_MARGIN
    columns = range(left, dump.width - 4)
    band = []
    for y in range(dump.height - 1, dump.toolbar_bottom(), -1):
        if any(dump.dark(x, y) for x in columns):
            band.append(y)
        elif band:
            break
    if not band:
        return []
    marked = [x for x in columns if any(dump.dark(x, y) for y in band)]
    glyphs, run = [], [marked[0]]
    for x in marked[1:]:
        if x - run[-1] > 2:
            glyphs.append(run)
            run = []
        run.append(x)
    glyphs.append(run)
    middle = (band[0] + band[-1]) // 2
    return [((g[0] + g[-1]) // 2, middle) for g in glyphs]


def rightmost_glyph(dump):
    # The palette's buttons draw dark glyphs on its light background. Its edges are left out: without a
    # compositor its rounded corners and the strip of its arrow show black.
    inside = range(dump.height // 4, dump.height - dump.height // 4)
    marked = [x for x in range(4, dump.width - 4) if any(dump.dark(x, y) for y in inside)]
    if not marked:
        return []
    run = [marked[-1]]
    for x in reversed(marked[:-1]):
        if run[-1] - x > 2:
            break
        run.append(x)
    ys = [y for y in inside if any(dump.dark(x, y) for x in run)]
    return [((run[0] + run[-1]) // 2, (ys[0] + ys[-1]) // 2)]


def main():
    dump = Dump(sys.argv[1])
    left, top = int(sys.argv[2]), int(sys.argv[3])
    points = {'sidebar-rows': sidebar_rows, 'pane-control': pane_control, 'gear': gear,
              'palette-items': palette_items, 'rightmost-glyph': rightmost_glyph}[sys.argv[4]](dump)
    print('\n'.join('%d,%d' % (left + x, top + y) for x, y in points))


if __name__ == '__main__':
    main()
