#!/usr/bin/env python3
"""Draws the button image (a padlock on a transparent ground) and writes it in the forms the DLL carries:

- SealwingButton.png: 48x48 RGBA, the ribbon's image (resource 207);
- SealwingButtonFace.gif: 24x24, the face of the command-bar button of Outlook 2003 (resource 221);
- SealwingButtonMask.bmp: 24x24 monochrome, that face's mask, black where the face shows and white where the bar
  shows through (resource 220).

Run again only to change the drawing; the files it writes are kept beside it.
"""
import os
import struct
import sys
import zlib

SIZE = 48
FACE = 24
CLEAR = (0, 0, 0, 0)
BODY = (0xC8, 0x8A, 0x12, 0xFF)      # padlock body
EDGE = (0x6B, 0x47, 0x05, 0xFF)      # outlines and keyhole
SHACKLE = (0x70, 0x78, 0x84, 0xFF)   # steel loop
GROUND = (0xFF, 0xFF, 0xFF)          # the face's colour where the mask hides it


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
            return CLEAR
        if x in (7, 8, 39, 40) or y in (22, 23, 42, 43):
            return EDGE
        # Keyhole: a round head and a narrow slot.
        if ((x - 23.5) ** 2 + (y - 30.0) ** 2) ** 0.5 <= 3.2 or (22 <= x <= 25 and 30 <= y <= 38):
            return EDGE
        return BODY
    return CLEAR


def face_pixel(x, y):
    """The 24x24 drawing: each pixel stands for a 2x2 block of the large one, opaque when most of the block is, in
    the block's commonest colour (the edge wins a tie, so thin outlines survive)."""
    block = [pixel(2 * x + dx, 2 * y + dy) for dy in (0, 1) for dx in (0, 1)]
    opaque = [colour for colour in block if colour[3] != 0]
    if len(opaque) < 2:
        return CLEAR
    return max((EDGE, SHACKLE, BODY), key=opaque.count)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes():
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    return png


def lzw_codes(indices, code_size):
    """GIF's LZW stream without compression: a clear code before the table would widen the codes, so every code is
    code_size + 1 bits wide and stands for one pixel."""
    clear, end = 1 << code_size, (1 << code_size) + 1
    width = code_size + 1
    run = (1 << code_size) - 2  # literals after a clear before the decoder's table reaches the next width
    codes = []
    for at in range(0, len(indices), run):
        codes.append(clear)
        codes.extend(indices[at:at + run])
    codes.append(end)
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count > 0:
        out.append(bits & 0xFF)
    return bytes(out)


def gif_bytes():
    palette = [GROUND, BODY[:3], EDGE[:3], SHACKLE[:3]]
    index = {colour: at for at, colour in enumerate(palette)}
    pixels = []
    for y in range(FACE):
        for x in range(FACE):
            colour = face_pixel(x, y)
            pixels.append(0 if colour[3] == 0 else index[colour[:3]])
    code_size = 2
    data = lzw_codes(pixels, code_size)
    blocks = b"".join(bytes([len(data[at:at + 255])]) + data[at:at + 255] for at in range(0, len(data), 255))
    gif = b"GIF89a" + struct.pack("<HHBBB", FACE, FACE, 0x81, 0, 0)  # global table of 4 colours
    gif += b"".join(bytes(colour) for colour in palette)
    gif += b"\x2c" + struct.pack("<HHHHB", 0, 0, FACE, FACE, 0)
    gif += bytes([code_size]) + blocks + b"\x00"
    gif += b"\x3b"
    return gif


def mask_bytes():
    stride = ((FACE + 31) // 32) * 4
    rows = b""
    for y in reversed(range(FACE)):  # bottom-up
        row = bytearray(stride)
        for x in range(FACE):
            if face_pixel(x, y)[3] == 0:  # white (palette entry 1): the bar shows through
                row[x // 8] |= 0x80 >> (x % 8)
        rows += bytes(row)
    header = struct.pack("<IiiHHIIiiII", 40, FACE, FACE, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
    palette = b"\x00\x00\x00\x00" + b"\xff\xff\xff\x00"
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + palette + rows


def main(folder):
    for name, data in (("SealwingButton.png", png_bytes()), ("SealwingButtonFace.gif", gif_bytes()),
                       ("SealwingButtonMask.bmp", mask_bytes())):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
