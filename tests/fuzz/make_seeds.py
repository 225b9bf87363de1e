#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus into corpus/<target>/: small, valid inputs of every kind the
readers accept, from which the fuzzers mutate. Deterministic; run from this folder."""
import os
import struct


def bmp(width, height, bits, pixels, palette=None, header=40, compression=0, masks=b"", top_down=False):
    """A BMP file: file header, info header of `header` bytes, masks, palette, rows as given."""
    palette = palette or []
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        pal = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, -height if top_down else height, 1, bits,
                           compression, len(pixels), 2835, 2835, len(palette), 0)
        info += b"\0" * (header - 40)
        if header >= 56 and masks:
            info = info[:40] + masks + info[40 + len(masks):]
            masks = b""
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(info) + len(masks) + len(pal)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + masks + pal + pixels


def rows(width, height, bits, value):
    stride = (width * bits + 31) // 32 * 4
    out = b""
    for y in range(height):
        row = bytearray(stride)
        for x in range(width * bits // 8 or 1):
            row[x] = value(x, y) & 0xFF
        out += bytes(row)
    return out


MAGENTA, RED, TEAL, WHITE = (255, 0, 255), (255, 0, 0), (10, 120, 130), (255, 255, 255)


def pictures():
    full = [MAGENTA, RED, TEAL, WHITE] + [(i, i, i) for i in range(252)]
    yield "8bit_full_palette.bmp", bmp(8, 8, 8, rows(8, 8, 8, lambda x, y: (x + y) % 4), full)
    yield "8bit_short_palette.bmp", bmp(6, 5, 8, rows(6, 5, 8, lambda x, y: (x * y) % 3), full[:3])
    yield "8bit_top_down.bmp", bmp(5, 4, 8, rows(5, 4, 8, lambda x, y: x % 4), full[:4], top_down=True)
    yield "1bit.bmp", bmp(9, 5, 1, rows(9, 5, 1, lambda x, y: 0xA5 ^ y), [MAGENTA, WHITE])
    yield "4bit.bmp", bmp(7, 3, 4, rows(7, 3, 4, lambda x, y: 0x12 * (x + 1)), full[:16])
    yield "24bit.bmp", bmp(5, 4, 24, rows(5, 4, 24, lambda x, y: 255 if x % 3 != 1 else 0))
    yield "32bit.bmp", bmp(4, 4, 32, rows(4, 4, 32, lambda x, y: x * 60 + y))
    masks565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "16bit_565.bmp", bmp(4, 4, 16, rows(4, 4, 16, lambda x, y: 0x1F if x % 2 else 0xF8), None, 40, 3,
                               masks565)
    masks888 = struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    yield "32bit_v4_bitfields.bmp", bmp(3, 3, 32, rows(3, 3, 32, lambda x, y: 0xFF), None, 108, 3, masks888)
    yield "24bit_v5.bmp", bmp(3, 3, 24, rows(3, 3, 24, lambda x, y: x * 80), None, 124)
    yield "8bit_core_header.bmp", bmp(4, 4, 8, rows(4, 4, 8, lambda x, y: y), full, 12)


def settings():
    yield "plain.ini", b"[Nastaveni]\nlevel=7\n"
    yield "sections.ini", b"; by hand\r\n[Video]\r\nwidth=640\r\n\r\n[Nastaveni]\r\nlevel = 12\r\n[Other]\r\nx=5\r\n"
    yield "bom.ini", b"\xef\xbb\xbf[Other]\nx=-3\n[nastaveni]\nLEVEL=+20\n#c\n"
    yield "odd.ini", b"level=9\n[Nastaveni\n[Nastaveni]\n x = 1 2\nlevel=99999999999\n[NASTAVENI]\nlevel=4"


def write(target, files):
    folder = os.path.join("corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in files:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("picture", pictures())
    write("settings", settings())
