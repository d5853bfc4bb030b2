#!/usr/bin/env python3
"""fontTools' metrics of a font, the oracle of the Data-font metrics test.

Usage: data_font_metrics.py font-file face-index angle

First line: "upem U axis A", A being the MATH table's AxisHeight in font units or "-" without one.
Then one line per code point of the best character map, in code point order:
"code-point advance xmin ymin xmax ymax left right" (font units; the tight bounds of the outline,
then its extent along the direction slanted by the angle in radians: x cos(angle) - y sin(angle),
through TransformPen) or "code-point advance -" for a glyph without outline.

The bounds are those of what a fill draws: a lone point (a contour of one point, as hinting or
metrics marks use) and a quadratic that ends where it starts (it retraces itself) enclose nothing
and count as no outline, as the compiler treats them.
"""

import sys

from fontTools.misc.bezierTools import calcCubicBounds, calcQuadraticBounds
import math

from fontTools.pens.basePen import BasePen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont


class DrawnBoundsPen(BasePen):
    """Tight bounds of the segments that draw something; None when none does."""

    def __init__(self, glyph_set):
        super().__init__(glyph_set)
        self.bounds = None

    def _add(self, box):
        if self.bounds is None:
            self.bounds = box
        else:
            b = self.bounds
            self.bounds = (min(b[0], box[0]), min(b[1], box[1]), max(b[2], box[2]), max(b[3], box[3]))

    def _moveTo(self, point):
        pass

    def _lineTo(self, point):
        start = self._getCurrentPoint()
        if point != start:
            self._add((min(start[0], point[0]), min(start[1], point[1]), max(start[0], point[0]), max(start[1], point[1])))

    def _qCurveToOne(self, control, point):
        start = self._getCurrentPoint()
        if point != start:
            self._add(calcQuadraticBounds(start, control, point))

    def _curveToOne(self, control1, control2, point):
        start = self._getCurrentPoint()
        if not (start == control1 == control2 == point):
            self._add(calcCubicBounds(start, control1, control2, point))


def main(arguments):
    path = arguments[0]
    face = int(arguments[1])
    angle = float(arguments[2])
    slant = (math.cos(angle), 0.0, -math.sin(angle), 1.0, 0.0, 0.0)
    font = TTFont(path, fontNumber=face if path.lower().endswith(('.ttc', '.otc')) else -1)
    axis = '-'
    if 'MATH' in font:
        constants = font['MATH'].table.MathConstants
        if constants is not None:
            axis = str(constants.AxisHeight.Value)
    out = ['upem %d axis %s' % (font['head'].unitsPerEm, axis)]
    glyphs = font.getGlyphSet()
    metrics = font['hmtx'].metrics
    bounds = {}
    for code, name in sorted(font.getBestCmap().items()):
        if name not in bounds:
            pen = DrawnBoundsPen(glyphs)
            glyphs[name].draw(pen)
            slanted = DrawnBoundsPen(glyphs)
            glyphs[name].draw(TransformPen(slanted, slant))
            bounds[name] = (pen.bounds, slanted.bounds)
        box, slanted = bounds[name]
        advance = metrics[name][0]
        if box is None:
            out.append('%d %d -' % (code, advance))
        else:
            out.append('%d %d %r %r %r %r %r %r' % (code, advance, box[0], box[1], box[2], box[3], slanted[0], slanted[2]))
    sys.stdout.write('\n'.join(out) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
