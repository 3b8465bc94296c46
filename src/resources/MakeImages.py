#!/usr/bin/env python3
"""Draws the product icon (MainIcon.ico: 16x16 and 32x32, 32-bit), the logo (Logo.bmp: 24-bit),
the button faces (Face10x.bmp: 16x16, 8-bit; FaceMask20x.bmp: 16x16, 1-bit, white where the
button's own background shows) and the list chooser's small pictures (32-bit icons: the folder
icons, the list icon, the header pictures, the sort markers and the follow-up flags). Run it again
only to change the pictures; the files it writes are kept in the tree."""
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
    return rows_image(q_mark(size))


def rows_image(rows):
    """One 32-bit icon image (BITMAPINFOHEADER, colours, AND mask) of RGBA rows, top-down."""
    height, width = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_ico(path, sizes):
    write_ico_rows(path, [q_mark(s) for s in sizes])


def write_ico_rows(path, images_rows):
    images = [rows_image(r) for r in images_rows]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, img in zip(images_rows, images):
        out += struct.pack("<BBBBHHII", len(rows[0]) % 256, len(rows) % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    path.write_bytes(out + b"".join(images))


# --- The chooser's pictures ---------------------------------------------------------------------

CLEAR = (0, 0, 0, 0)


class Canvas:
    def __init__(self, width=16, height=16):
        self.w, self.h = width, height
        self.px = [[CLEAR] * width for _ in range(height)]

    def dot(self, x, y, rgb):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = tuple(rgb) + (255,)

    def box(self, x0, y0, x1, y1, fill, edge=None):
        """Inclusive corners; an edge colour draws the outline."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                on_edge = x in (x0, x1) or y in (y0, y1)
                self.dot(x, y, edge if edge and on_edge else fill)

    def line(self, x0, y0, x1, y1, rgb):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.dot(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), rgb)

    def disc(self, cx, cy, r, rgb):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, rgb)

    def triangle(self, down, rgb):
        """A centred triangle pointing down or up, 9 pixels wide."""
        cx, top = self.w // 2, (self.h - 5) // 2
        for i in range(5):
            y = top + i if down else top + 4 - i
            for x in range(cx - 4 + i, cx + 5 - i):
                self.dot(x, y, rgb)


MANILA, MANILA_EDGE = (0xF2, 0xCF, 0x6B), (0xB0, 0x86, 0x22)
PAPER, PAPER_EDGE = (0xFF, 0xFF, 0xFF), (0x80, 0x80, 0x80)
RED, DARK = (0xD0, 0x30, 0x30), (0x40, 0x40, 0x40)
BLUE, GREEN = (0x2B, 0x57, 0x9A), (0x2E, 0x8B, 0x3E)


def folder(c):
    c.box(1, 3, 6, 5, MANILA, MANILA_EDGE)
    c.box(1, 5, 14, 13, MANILA, MANILA_EDGE)


def tray(c, up):
    c.box(1, 9, 14, 13, (0xA8, 0xC8, 0xE8), BLUE)
    x = 7
    for i in range(4):
        y = (2 + i) if up else (8 - i)
        c.line(x - i, y, x + 1 + i, y, GREEN)
    c.box(6, 4 if up else 2, 9, 8 if up else 6, GREEN)


def folder_pictures():
    pics = {}

    c = Canvas(); folder(c); pics["Folder"] = c
    c = Canvas(); c.box(2, 1, 13, 14, PAPER, PAPER_EDGE); c.box(2, 1, 13, 4, RED)
    for y in (7, 10):
        c.line(3, y, 12, y, PAPER_EDGE)
    for x in (5, 8, 11):
        c.line(x, 5, x, 13, PAPER_EDGE)
    pics["Calendar"] = c
    c = Canvas(); c.box(1, 2, 14, 13, (0xF4, 0xF0, 0xE0), PAPER_EDGE); c.disc(5, 6, 2, BLUE)
    c.box(3, 9, 7, 11, BLUE); c.line(9, 5, 12, 5, DARK); c.line(9, 8, 12, 8, DARK)
    pics["Contacts"] = c
    c = Canvas(); c.box(3, 4, 12, 14, (0xC8, 0xC8, 0xC8), DARK); c.box(2, 2, 13, 3, DARK)
    for x in (5, 8, 10):
        c.line(x, 6, x, 12, DARK)
    pics["DeletedItems"] = c
    c = Canvas(); c.box(2, 1, 11, 14, PAPER, PAPER_EDGE)
    for y in (4, 7, 10):
        c.line(4, y, 9, y, PAPER_EDGE)
    c.line(8, 13, 14, 5, (0xE0, 0xA0, 0x20)); c.line(9, 13, 14, 6, (0xE0, 0xA0, 0x20)); pics["Drafts"] = c
    c = Canvas(); tray(c, False); pics["Inbox"] = c
    c = Canvas(); tray(c, True); pics["Outbox"] = c
    c = Canvas(); c.box(2, 1, 13, 14, (0x8A, 0x5C, 0xB8), (0x50, 0x30, 0x70)); c.box(4, 4, 11, 6, PAPER)
    pics["Journal"] = c
    c = Canvas(); folder(c); c.line(6, 7, 12, 12, RED); c.line(12, 7, 6, 12, RED); c.line(7, 7, 13, 12, RED)
    c.line(13, 7, 7, 12, RED); pics["Junk"] = c
    c = Canvas(); c.box(2, 2, 13, 13, (0xFF, 0xF0, 0x80), (0xC0, 0xA0, 0x20))
    for y in (5, 8, 11):
        c.line(4, y, 11, y, (0xC0, 0xA0, 0x20))
    pics["Notes"] = c
    c = Canvas(); c.box(1, 3, 14, 12, (0x6A, 0x90, 0xC8), BLUE); c.box(3, 5, 12, 7, PAPER); pics["Personal"] = c
    c = Canvas(); c.box(1, 3, 14, 12, (0x90, 0xB0, 0x90), (0x40, 0x70, 0x40)); c.box(3, 5, 12, 7, PAPER)
    pics["PersonalOther"] = c
    c = Canvas(); c.box(1, 4, 12, 12, PAPER, PAPER_EDGE); c.line(1, 4, 6, 8, PAPER_EDGE); c.line(12, 4, 7, 8, PAPER_EDGE)
    c.line(9, 1, 15, 1, GREEN); c.line(13, 0, 15, 1, GREEN); c.line(13, 2, 15, 1, GREEN); pics["SentMail"] = c
    c = Canvas(); c.box(2, 2, 13, 14, PAPER, PAPER_EDGE); c.box(5, 1, 10, 3, DARK)
    c.line(4, 8, 6, 11, GREEN); c.line(6, 11, 11, 5, GREEN); pics["Tasks"] = c
    return pics


def group_picture(rgb):
    c = Canvas()
    c.disc(5, 5, 2, rgb); c.box(2, 8, 8, 12, rgb)
    c.disc(11, 4, 2, DARK); c.box(8, 7, 14, 11, DARK)
    return c


def flag_picture(rgb, done=False):
    c = Canvas()
    c.line(3, 1, 3, 14, DARK)
    c.box(4, 2, 12, 7, rgb)
    if done:
        c.line(6, 11, 8, 13, GREEN); c.line(8, 13, 13, 8, GREEN)
    return c


# The flag index of a list: 1 completed, 2 flagged, 3 to 7 the five follow-up colours.
FLAG_COLOURS = [
    ((0xA0, 0xA0, 0xA0), True),
    (RED, False),
    ((0x8A, 0x5C, 0xB8), False),
    ((0xF0, 0x90, 0x20), False),
    (GREEN, False),
    ((0xF0, 0xD0, 0x20), False),
    (BLUE, False),
]


def write_chooser_pictures():
    for key, canvas in folder_pictures().items():
        write_ico_rows(HERE / f"Folder{key}.ico", [canvas.px])
    write_ico_rows(HERE / "DistList.ico", [group_picture(BLUE).px])
    write_ico_rows(HERE / "HeaderList.ico", [group_picture((0x80, 0x80, 0x80)).px])
    write_ico_rows(HERE / "HeaderFlag.ico", [flag_picture((0x80, 0x80, 0x80)).px])
    for down, name in ((True, "SortDown"), (False, "SortUp")):
        c = Canvas(20, 16)
        c.triangle(down, (0x60, 0x60, 0x60))
        write_ico_rows(HERE / f"{name}.ico", [c.px])
    for n, (rgb, done) in enumerate(FLAG_COLOURS, start=1):
        write_ico_rows(HERE / f"Flag{n}.ico", [flag_picture(rgb, done).px])


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
    write_chooser_pictures()
