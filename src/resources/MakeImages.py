#!/usr/bin/env python3
"""Draws the product icon (MainIcon.ico: 16x16 and 32x32, 32-bit), the logo (Logo.bmp:
24-bit) and the button faces (Face10x.bmp: 16x16, 8-bit; FaceMask20x.bmp: 16x16, 1-bit, white
where the button's own background shows). Run it again only to change the pictures; the files it writes are kept in the tree."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent
BLUE, WHITE, INK = (0x2B, 0x57, 0x9A), (0xFF, 0xFF, 0xFF), (0x1E, 0x2A, 0x3A)


def q_mark(size):
    """RGBA rows, top-down: a blue disc with a white ring and the tail of a Q."""
    rows = []
    c = (size - 1) / 2
    for y in range(size):
        row = []
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            ring = 0.22 * size <= d <= 0.32 * size
            tail = abs((x - c) - (y - c)) <= size / 16 and 0.12 * size <= x - c <= 0.42 * size
            if d <= size / 2 - 0.5:
                row.append(WHITE + (255,) if ring or tail else BLUE + (255,))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    rows = q_mark(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    path.write_bytes(out + b"".join(images))


FONT = {  # 5x7 capitals
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
}


def write_logo(path, width=160, height=48):
    img = [[WHITE for _ in range(width)] for _ in range(height)]
    mark = q_mark(40)
    for y, row in enumerate(mark):
        for x, (r, g, b, a) in enumerate(row):
            if a:
                img[4 + y][4 + x] = (r, g, b)
    scale, x0, y0 = 3, 54, 14
    for ch in "QUILLO":
        for gy, bits in enumerate(FONT[ch]):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            img[y0 + gy * scale + dy][x0 + gx * scale + dx] = INK
        x0 += 6 * scale
    stride = (width * 3 + 3) & ~3
    data = b"".join(
        bytes(c for (r, g, b) in row for c in (b, g, r)).ljust(stride, b"\0") for row in reversed(img)
    )
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    path.write_bytes(head + info + data)


TINY = {  # 3x5 capitals for the faces
    "T": ["111", "010", "010", "010", "010"],
    "O": ["111", "101", "101", "101", "111"],
    "C": ["111", "100", "100", "100", "111"],
    "B": ["110", "101", "110", "101", "110"],
}
FACE_PALETTE = [(0, 0, 0), (0xFF, 0xFF, 0xFF), BLUE, INK, (0xE8, 0xC5, 0x47), (0x3C, 0x9A, 0x4A), (0x99, 0x99, 0x99)]


def face_grid():
    return [[None] * 16 for _ in range(16)]


def envelope(g):
    for y in range(1, 9):
        for x in range(2, 14):
            edge = y in (1, 8) or x in (2, 13)
            flap = abs((x - 2) - (y - 1) * 11 / 7) < 1 or abs((13 - x) - (y - 1) * 11 / 7) < 1
            g[y][x] = 2 if edge or (flap and y <= 5) else 1


def word(g, text, y0):
    x0 = (16 - (4 * len(text) - 1)) // 2
    for ch in text:
        for gy, bits in enumerate(TINY[ch]):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    g[y0 + gy][x0 + gx] = 3
        x0 += 4


def person(g, cx, top, colour):
    for y in range(top, top + 3):
        for x in range(cx - 1, cx + 2):
            g[y][x] = colour
    for y in range(top + 4, top + 8):
        for x in range(cx - 2 - (y > top + 5), cx + 3 + (y > top + 5)):
            if 0 <= x < 16:
                g[y][x] = colour


def list_face(badge):
    g = face_grid()
    person(g, 5, 2, 2)
    person(g, 10, 1, 3)
    if badge == "plus":
        for i in range(9, 16):
            g[12][i] = 5
            g[i][12] = 5
    else:
        for i, (x, y) in enumerate([(9, 12), (10, 13), (11, 14), (12, 13), (13, 12), (14, 11), (15, 10)]):
            g[y][x] = 5
            if y + 1 < 16:
                g[y + 1][x] = 5
    return g


def options_face():
    g = face_grid()
    c = 7.5
    for y in range(16):
        for x in range(16):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            tooth = (abs(x - c) < 1.5 or abs(y - c) < 1.5 or abs(abs(x - c) - abs(y - c)) < 1.2) and d <= 7.5
            if d <= 2:
                continue
            if d <= 5 or tooth:
                g[y][x] = 6 if d > 3 else 3
    return g


def faces():
    out = {}
    for n, text in ((101, "TO"), (102, "CC"), (103, "BCC")):
        g = face_grid()
        envelope(g)
        word(g, text, 10)
        out[n] = g
    out[104] = list_face("plus")
    out[105] = list_face("check")
    out[106] = options_face()
    return out


def write_bmp(path, width, height, bits, palette, rows):
    """rows: top-down lists of palette indices."""
    stride = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, v in enumerate(row):
            if bits == 8:
                line[x] = v
            elif v:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    path.write_bytes(head + info + pal + bytes(data))


def write_faces():
    for n, g in faces().items():
        write_bmp(HERE / f"Face{n}.bmp", 16, 16, 8, FACE_PALETTE, [[v or 0 for v in row] for row in g])
        mask = [[1 if v is None else 0 for v in row] for row in g]
        write_bmp(HERE / f"FaceMask{n + 100}.bmp", 16, 16, 1, [(0, 0, 0), (0xFF, 0xFF, 0xFF)], mask)


if __name__ == "__main__":
    write_faces()
    write_ico(HERE / "MainIcon.ico", [16, 32])
    write_logo(HERE / "Logo.bmp")
