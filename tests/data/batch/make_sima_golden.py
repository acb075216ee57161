#!/usr/bin/env python3
"""Writes the SIMA and CSV files of the batch tests and their expected results.

The grid of the tests carries the constant corrections dX = +0.5, dY = -0.25,
dH = +0.125 m inside |X|, |Y| <= 10000 m (representative point dX = +1.25,
dY = +2, dH = -0.5 m), so every expected number below is the input plus the
correction, worked out by hand and written with the field's decimals (at least
3), right-aligned in the field's width where it fits.

Run once by hand: python3 make_sima_golden.py
"""

BAD_NAME = b'\x83\x65\x81'  # "テ" and a lead byte without its trail byte

# (input record, mode 2 result, mode 1 result); None: the record is unchanged.
RECORDS = [
    ('G00,01,テスト現場,', None, None),
    ('Z00,座標ﾃﾞｰﾀ,', None, None),
    ('Z01,2,', None, None),
    ('A00,', None, None),
    # unpadded: 1078.144 + 0.5, 1000.739 - 0.25, 268.971 + 0.125
    ('A01,1,T.1,1078.144,1000.739,268.971,', 'A01,1,T.1,1078.644,1000.489,269.096,', 'same'),
    # padded fields keep their blanks
    ('A01, 2,T.2 , 1078.144, 1000.739, 268.971,',
     'A01, 2,T.2 , 1078.644, 1000.489, 269.096,', 'same'),
    # an empty H stays empty; one decimal and two decimals become three
    ('A01,3,空H,-2500.5,3000.25,,', 'A01,3,空H,-2500.000,3000.000,,', 'same'),
    # outside the grid: not converted in mode 2; mode 1: 20000 + 1.25, 500 + 2,
    # 10 - 0.5 (narrower than the field: right-aligned)
    ('A01,4,範囲外,20000.000,500.000,10.000,', None, 'A01,4,範囲外,20001.250,502.000, 9.500,'),
    # five decimals kept; none becomes three
    ('A01,5,桁,100.12345,-200.1,5,', 'A01,5,桁,100.62345,-200.350,5.125,', 'same'),
    # malformed: too few fields, X not a number, unterminated quote
    ('A01,6,短い,100.000', None, None),
    ('A01,7,XがX,abc,100.000,1.000,', None, None),
    # a quoted name with a comma inside: 100 + 0.5, 200 - 0.25, 3 + 0.125
    ('A01,8,"名,前",100.000,200.000,3.000,', 'A01,8,"名,前",100.500,199.750,3.125,', 'same'),
    ('A01,9,"閉じない,100.000,200.000,3.000,', None, None),
    # invalid CP932 in the name (written below as bytes)
    ('A01,10,@BAD@,100.000,200.000,3.000,', None, None),
    # a number that grows: no room, written whole
    ('A01,11,伸びる,9999.800,-9999.900,0.000,', 'A01,11,伸びる,10000.300,-10000.150,0.125,', 'same'),
    # the same with room: right-aligned in the old width
    ('A01,12,余白,   9999.800,  -9999.900,   0.000,',
     'A01,12,余白,  10000.300, -10000.150,   0.125,', 'same'),
    # no H field at all and no closing comma
    ('A01,13,Hなし,10.000,20.000', 'A01,13,Hなし,10.500,19.750', 'same'),
    ('A99,', None, None),
    ('D00,1,区画1,1,', None, None),
    ('B01,1,1,', None, None),
    ('B01,2,2,', None, None),
    ('D99,', None, None),
    ('X99,その他の種類,1000.000,2000.000,', None, None),
]


def enc(text):
    return text.encode('cp932').replace(b'@BAD@', BAD_NAME)


def write(name, lines):
    with open(name, 'wb') as f:
        f.write(b''.join(enc(l) + b'\r\n' for l in lines))


write('points.sim', [r[0] for r in RECORDS])
write('points_mode2.sim', [r[1] or r[0] for r in RECORDS])
write('points_mode1.sim',
      [(r[1] if r[2] == 'same' else r[2]) or r[0] for r in RECORDS])

# The same points as blank-separated text and as CSV (blanks around the
# numbers, a title row, a comment, an empty line and a non-numeric line); the
# title row is one field in the text file, so both copy it.
TEXT = [
    'X,Y,H,点名',
    '# X Y H 点名',
    '1000.0 2000.0 10.0 点A',
    '  -1500.25   -2400.5 -3.5',
    '500 750 0.0 名前 の 空白  ',
    'abc 1 2 3',
    '',
    '20000 0 1 外',
]
CSV = [
    'X,Y,H,点名',
    '# X Y H 点名',
    '1000.0,2000.0,10.0,点A',
    '  -1500.25 , -2400.5,-3.5',
    '500 ,\t750, 0.0,名前 の 空白  ',
    'abc 1 2 3',
    '',
    '20000,0,1,外',
]
write('same_points.in', TEXT)
write('same_points.csv', CSV)
