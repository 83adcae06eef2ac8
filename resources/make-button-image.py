#!/usr/bin/env python3
"""Draws the 48x48 button image (a padlock on a transparent ground) and writes it as SealwingButton.png.

Run again only to change the drawing; the PNG it writes is kept beside it.
"""
import struct
import sys
import zlib

SIZE = 48
BODY = (0xC8, 0x8A, 0x12, 0xFF)      # padlock body
EDGE = (0x6B, 0x47, 0x05, 0xFF)      # outlines and keyhole
SHACKLE = (0x70, 0x78, 0x84, 0xFF)   # steel loop


def pixel(x, y):
    # Shackle: a half ring above the body.
    cx, cy = 23.5, 20.0
    distance = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    if y <= 21 and 9.0 <= distance <= 13.5:
        return SHACKLE
    if 21 < y < 24 and (10 <= x <= 14 or 33 <= x <= 37):
        return SHACKLE
    # Body: a rounded rectangle with a darker edge.
    if 7 <= x <= 40 and 22 <= y <= 43:
        corner = (x in (7, 40)) and (y in (22, 43))
        if corner:
            return (0, 0, 0, 0)
        if x in (7, 8, 39, 40) or y in (22, 23, 42, 43):
            return EDGE
        # Keyhole: a round head and a narrow slot.
        if ((x - 23.5) ** 2 + (y - 30.0) ** 2) ** 0.5 <= 3.2 or (22 <= x <= 25 and 30 <= y <= 38):
            return EDGE
        return BODY
    return (0, 0, 0, 0)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main(path):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "SealwingButton.png")
