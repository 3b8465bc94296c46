#!/usr/bin/env python3
"""Draws the product icon (MainIcon.ico: 16x16 and 32x32, 32-bit) and the logo (Logo.bmp:
24-bit). Run it again only to change the pictures; the files it writes are kept in the tree."""
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


if __name__ == "__main__":
    write_ico(HERE / "MainIcon.ico", [16, 32])
    write_logo(HERE / "Logo.bmp")
