#!/usr/bin/env python3
"""Draws the form's picture (99x88, 32 bits per pixel) and the program icon
(32x32, 256 colours): a white arrow pointing down into a tray, on blue."""
import struct
import sys
from pathlib import Path


def arrow_and_tray(x, y, w, h):
    """True where the motif covers pixel (x, y) of a w by h canvas (y downwards)."""
    u, v = x / w, y / h
    shaft = 0.42 <= u <= 0.58 and 0.12 <= v <= 0.50
    head = 0.50 <= v <= 0.72 and abs(u - 0.5) <= (0.72 - v) * 1.1
    tray = (0.78 <= v <= 0.86 and 0.18 <= u <= 0.82) or \
           (0.62 <= v <= 0.86 and (0.18 <= u <= 0.25 or 0.75 <= u <= 0.82))
    return shaft or head or tray


def colour(x, y, w, h):
    if arrow_and_tray(x, y, w, h):
        return (255, 255, 255)
    t = y / max(h - 1, 1)
    return (int(30 + 40 * t), int(90 + 60 * t), int(200 - 40 * t))


def bitmap_32(w, h):
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        rows.append(b"".join(bytes((b, g, r, 0)) for r, g, b in (colour(x, y, w, h) for x in range(w))))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def icon_256(size):
    palette, index = [], {}
    rows = []
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            c = colour(x, y, size, size)
            c = tuple(v & 0xF8 for v in c)  # few enough shades for a 256-entry palette
            if c not in index:
                index[c] = len(palette)
                palette.append(c)
            row.append(index[c])
        rows.append(bytes(row))
    assert len(palette) <= 256
    palette += [(0, 0, 0)] * (256 - len(palette))
    xor = b"".join(rows)
    mask = b"\0" * (4 * size)  # 32 pixels a row: 4 bytes, all opaque
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = info + b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 22)
    return directory + image


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "picture.bmp").write_bytes(bitmap_32(99, 88))
    (out / "program.ico").write_bytes(icon_256(32))


if __name__ == "__main__":
    main()
