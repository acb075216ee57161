#!/usr/bin/env python3
"""Writes the expected result files of the batch tests.

The expected values are derived independently of the program: the grid of the
tests carries the constant corrections dX = +0.5, dY = -0.25, dH = +0.125 m
(representative point dX = +1.25, dY = +2, dH = -0.5 m), so X/Y results are the
input plus the correction; latitudes and longitudes come from GeographicLib's
TransverseMercatorProj (zone 9: origin 36N 139d50'E, k0 = 0.9999, GRS80), and
every printed value is checked to lie well away from a rounding tie.
The column layout is written out here column by column.

Run once by hand: python3 make_golden.py (needs geographiclib-tools).
"""
import math
import subprocess

LON0 = 139 + 50 / 60
CORR = (0.5, -0.25, 0.125)
REP = (1.25, 2.0, -0.5)


def tm(args, text):
    return subprocess.run(['TransverseMercatorProj', '-e', '6378137', '1/298.257222101', '-k', '0.9999', '-l', repr(LON0)] + args,
                          input=text, capture_output=True, text=True, check=True).stdout.split()


Y0 = float(tm(['-p', '10'], f"36 {LON0!r}\n")[1])  # northing of the origin


def dms2deg(p):
    s = 1 if p > 0 else (-1 if p < 0 else 0)
    w = abs(p / 10000) + 1e-13
    d = math.floor(w); w = (w - d) * 100; m = math.floor(w); sec = (w - m) * 100
    return ((sec / 60 + m) / 60 + d) * s


def fwd(lat, lon):
    o = tm(['-p', '10'], f"{lat!r} {lon!r}\n")
    return float(o[1]) - Y0, float(o[0])


def inv(x, y):
    o = tm(['-r', '-p', '14'], f"{y!r} {x + Y0!r}\n")
    return float(o[0]), float(o[1])


def away_from_tie(v, decimals):
    f = abs(v) * 10 ** decimals
    assert abs(f - math.floor(f) - 0.5) > 0.01, ('too close to a rounding tie', v)


def dms5(deg):
    sign = '-' if deg < 0 else ' '
    w = abs(deg) + 1e-11
    d = math.floor(w); w = (w - d) * 60; m = math.floor(w); s = (w - m) * 60
    away_from_tie(s, 5)
    if ('%08.5f' % s)[:2] == '60':
        s = 0; m += 1
    if m == 60:
        m = 0; d += 1
    return sign + '%d' % d + '%02d' % m + '%08.5f' % s


def num(v, dec):
    away_from_tie(v, dec)
    return '%.*f' % (dec, v)


def left(t, w): return t[:w].ljust(w)
def right(t, w): return t[:w].rjust(w)


NOT_LAT = right('-9999. ', 14)
NOT_LON = right('-9999. ', 15)
BLANK_XYH = ' ' * 38


def xyh(x, y, h):
    return right(num(x, 4), 12) + ' ' + right(num(y, 4), 12) + ' ' + right(num(h, 4), 12)


def tail(name, status):
    return '     ' + name + '  ' + status


def header(bl, out_name, in_name, zone, titles):
    lines = [' ' * 69 + out_name,
             '     ==========  座標変換プログラム Ver.1.0.0     （バイリニア補間法）  ==========',
             '',
             '      変換パラメータファイルの名称 : Test.par' + ('' if bl else '   ') + 'T1.0',
             ('      変換パラメータの範囲        : ' if bl else '      変換パラメータの範囲         : ')
             + 'テスト範囲     変換パラメータ作成法 : 一定補正',
             '      変換パラメータの適用座標系   : ' + ('%d' % zone if zone < 0 else ' %d' % zone)
             + ' 系      計算入力ファイル名 : ' + in_name,
             ''] + titles + ['']
    return lines


TITLES = {
    ('bl', True): ['   \u3000\u3000\u3000     震災前成果（入力値）                            震災後成果       （計算値）',
                   '      緯度            経度            H             緯度            経度            X            Y            H',
                   ' ddmmss.sssss   dddmmss.sssss         m        ddmmss.sssss   dddmmss.sssss         m            m            m'],
    ('bl', False): ['                震災後成果      （計算値）',
                    '     緯度            経度               X            Y            H ',
                    ' ddmmss.sssss   dddmmss.sssss           m            m            m '],
    ('xybl', True): ['   \u3000   \u3000震災前成果（入力値）                             震災後成果\u3000\u3000  （計算値）',
                     '       X            Y            H            緯度            経度             X            Y            H ',
                     '       m            m            m        ddmmss.sssss   dddmmss.sssss         m            m            m'],
    ('xy', True): ['            震災前成果(入力値)                      震災後成果   (計算値)',
                   '     X(m)         Y(m)         H(m)           X(m)         Y(m)         H(m)'],
    ('xybl', False): ['          \u3000\u3000\u3000     震災後成果  （計算値）',
                      '     緯度            経度             X            Y            H',
                      ' ddmmss.sssss   dddmmss.sssss         m            m            m'],
    ('xy', False): ['          震災後成果(計算値)',
                    '     X(m)         Y(m)        H(m)'],
}


def encode(lines_utf8_or_bytes):
    out = b''
    for l in lines_utf8_or_bytes:
        out += (l if isinstance(l, bytes) else l.encode('cp932')) + b'\r\n'
    return out


# ---- X/Y input: (raw line bytes, parsed point or None) ----
XY_LINES = [
    (b'# X/Y test \x95\x5c\x83\x5c', None),
    (b'', None),
    (b'1000.0 2000.0 10.0 \x93\x5fA', (1000.0, 2000.0, 10.0, b'\x93\x5fA')),
    (b'  -1500.25   -2400.5 -3.5', (-1500.25, -2400.5, -3.5, b'')),
    (b'500 750 0.0 \x96\xbc\x91\x4f \x95\x5c \x83\x5c  ', (500.0, 750.0, 0.0, b'\x96\xbc\x91\x4f \x95\x5c \x83\x5c  ')),
    (b'abc 1 2 3', None),
    (b'1000.0\t2000.0 3.0', None),
    (b'\t2000 -3000 1.5 \xff\x80\xa0', (2000.0, -3000.0, 1.5, b'\xff\x80\xa0')),
    (b'20000 0 1 \x8aO', (20000.0, 0.0, 1.0, b'\x8aO')),
    (b'1', None),
]


def xy_out(angles, with_input, mode):
    rows = []
    for raw, pt in XY_LINES:
        if pt is None:
            rows.append(raw)
            continue
        x, y, h, name = pt
        inside = -10000 <= x < 10000 and -10000 <= y < 10000
        if inside:
            c, status = CORR, ''
        elif mode == 1:
            c, status = REP, '*代表点'
        else:
            c, status = None, 'Out of range'
        line = ''
        if with_input:
            line += xyh(x, y, h) + '   '
        if c:
            x2, y2, h2 = x + c[0], y + c[1], h + c[2]
            if angles:
                la, lo = inv(x2, y2)
                line += left(dms5(la), 14) + ' ' + left(dms5(lo), 15) + ' '
            line += xyh(x2, y2, h2)
        else:
            if angles:
                line += NOT_LAT + ' ' + NOT_LON + ' '
            line += BLANK_XYH
        rows.append(line.encode('cp932') + b'     ' + name + b'  ' + status.encode('cp932'))
    return rows


# ---- latitude/longitude input ----
BL_LINES = [
    (b'#lat lon', None),
    (b'360000.0 1395000.0 100.0 \x8c\xb4\x93\x5f', (360000.0, 1395000.0, 100.0, b'\x8c\xb4\x93\x5f', 'ok')),
    (b'360300.12345 1395205.6789 50.5 \x93\x5fB', (360300.12345, 1395205.6789, 50.5, b'\x93\x5fB', 'ok')),
    (b'390001.0 1395000.0 1.0 \x96\x6b', (390001.0, 1395000.0, 1.0, b'\x96\x6b', 'range')),
    (b'360000 1412001 1', (360000.0, 1412001.0, 1.0, b'', 'range')),
    (b'363000.0 1395000.0 1.0 \x8aO', (363000.0, 1395000.0, 1.0, b'\x8aO', 'outside')),
    (b' #not a comment', None),
    (b'  355900.5 1394800.25 -5.25', (355900.5, 1394800.25, -5.25, b'', 'ok')),
    (b'', None),
]


def bl_out(with_input, mode):
    rows = []
    for raw, pt in BL_LINES:
        if pt is None:
            rows.append(raw)
            continue
        b, l, h, name, kind = pt
        line = ''
        if with_input:
            line += left('%012.5f' % b, 14) + ' ' + left('%013.5f' % l, 15) + ' ' + right(num(h, 4), 12) + '   '
        status = ''
        c = None
        if kind == 'ok':
            c = CORR
        elif kind == 'outside' and mode == 1:
            c, status = REP, '*代表点'
        if c:
            x, y = fwd(dms2deg(b), dms2deg(l))
            x2, y2, h2 = x + c[0], y + c[1], h + c[2]
            la, lo = inv(x2, y2)
            line += left(dms5(la), 14) + ' ' + left(dms5(lo), 15) + (' ' if with_input else '   ')
            line += xyh(x2, y2, h2)
        else:
            line += NOT_LAT + ' ' + NOT_LON + ('   ' if not with_input else ' ') + BLANK_XYH
        rows.append(line.encode('cp932') + b'     ' + name + b'  ' + status.encode('cp932'))
    return rows


def write(path, lines):
    with open(path, 'wb') as f:
        f.write(encode(lines))


if __name__ == '__main__':
    write('xy.in', [r for r, _ in XY_LINES])
    write('bl.in', [r for r, _ in BL_LINES])
    for angles in (False, True):
        for with_input in (False, True):
            kind = 'xybl' if angles else 'xy'
            name = '%s_%s.out' % (kind, 'in' if with_input else 'noin')
            write(name, header(False, 'result.out', 'xy.in', 9, TITLES[(kind, with_input)])
                  + xy_out(angles, with_input, 2))
    write('xy_mode1.out', header(False, 'result.out', 'xy.in', 9, TITLES[('xybl', True)])
          + xy_out(True, True, 1))
    for with_input in (False, True):
        write('bl_%s.out' % ('in' if with_input else 'noin'),
              header(True, 'result.out', 'bl.in', 9, TITLES[('bl', with_input)]) + bl_out(with_input, 2))
    write('bl_mode1.out', header(True, 'result.out', 'bl.in', 9, TITLES[('bl', False)]) + bl_out(False, 1))
