#!/usr/bin/env python3
"""Writes a one-picture 32 x 32 ICO file with a 16-colour palette and an AND mask.

Usage: make_artwork_ico.py OUT.ico < RGBA

RGBA is the picture as raw 8-bit RGBA bytes, top row first (what
`convert in.png -depth 8 rgba:-` prints). A pixel whose alpha is below half is
transparent; every other pixel must be one of at most 16 opaque colours, black
included, so quantize first. ImageMagick's own ICO writer picks the bit depth
itself, and the pointers need 4 bits a pixel, hence this small writer.
"""
import struct
import sys

SIZE = 32


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    raw = sys.stdin.buffer.read()
    if len(raw) != SIZE * SIZE * 4:
        sys.exit(f"{out}: expected {SIZE * SIZE * 4} bytes of RGBA, got {len(raw)}")

    pixels = []  # top row first; None is transparent
    for i in range(0, len(raw), 4):
        r, g, b, a = raw[i:i + 4]
        pixels.append((r, g, b) if a >= 128 else None)

    # Transparent pixels get index 0 with the mask bit set, so index 0 is black:
    # a black pixel in the picture then costs no palette entry of its own.
    palette = [(0, 0, 0)] + sorted({p for p in pixels if p is not None} - {(0, 0, 0)})
    if len(palette) > 16:
        sys.exit(f"{out}: {len(palette)} colours, at most 16 (black included) fit")
    index = {colour: i for i, colour in enumerate(palette)}
    palette += [(0, 0, 0)] * (16 - len(palette))

    xor_stride = SIZE // 2                  # 4 bits a pixel, already a multiple of 4
    and_stride = ((SIZE + 31) // 32) * 4    # 1 bit a pixel, rows padded to 4 bytes
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):         # bitmaps are stored bottom row first
        row = pixels[y * SIZE:(y + 1) * SIZE]
        for x in range(0, SIZE, 2):
            hi = index[row[x]] if row[x] is not None else 0
            lo = index[row[x + 1]] if row[x + 1] is not None else 0
            xor.append(hi << 4 | lo)
        bits = bytearray(and_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    assert len(xor) == xor_stride * SIZE

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    image = header + colours + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main()
