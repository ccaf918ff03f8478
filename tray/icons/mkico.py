#!/usr/bin/env python3
"""Turns an icon or bitmap drawn as text into a 16-colour .ico or .bmp file.

The drawing is one line per pixel row, one character per pixel; lines
starting with '#' are comments. An image is square: its rows are as wide as
its first, and it ends when it has as many rows. An icon may hold several
images, one after the other (a 32 x 32 and a 16 x 16, say); a bitmap holds
one. Characters name the colours of the standard 16-colour palette:

    k black      r dark red     g dark green   y dark yellow
    b dark blue  m dark magenta c dark cyan    s light grey
    d dark grey  R red          G green        Y yellow
    B blue       M magenta      C cyan         w white
    . transparent (icons only: a bitmap has no mask)

The output's extension picks the format.

usage: mkico.py DRAWING.txt OUT.ico|OUT.bmp [PREVIEW.ppm]
"""
import struct
import sys

PALETTE = [  # (character, (red, green, blue)) in palette order
    ("k", (0x00, 0x00, 0x00)), ("r", (0x80, 0x00, 0x00)),
    ("g", (0x00, 0x80, 0x00)), ("y", (0x80, 0x80, 0x00)),
    ("b", (0x00, 0x00, 0x80)), ("m", (0x80, 0x00, 0x80)),
    ("c", (0x00, 0x80, 0x80)), ("s", (0xC0, 0xC0, 0xC0)),
    ("d", (0x80, 0x80, 0x80)), ("R", (0xFF, 0x00, 0x00)),
    ("G", (0x00, 0xFF, 0x00)), ("Y", (0xFF, 0xFF, 0x00)),
    ("B", (0x00, 0x00, 0xFF)), ("M", (0xFF, 0x00, 0xFF)),
    ("C", (0x00, 0xFF, 0xFF)), ("w", (0xFF, 0xFF, 0xFF)),
]
INDEX = {char: i for i, (char, _) in enumerate(PALETTE)}
TRANSPARENT = "."


def read_drawing(path):
    """The images of the drawing, each a list of rows."""
    images, rows = [], []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            for char in line:
                if char != TRANSPARENT and char not in INDEX:
                    sys.exit(f"{path}:{number}: unknown colour {char!r}")
            if rows and len(line) != len(rows[0]):
                sys.exit(f"{path}:{number}: rows differ in width")
            rows.append(line)
            if len(rows) == len(rows[0]):
                images.append(rows)
                rows = []
    if rows:
        sys.exit(f"{path}: {len(rows[0])} x {len(rows)} is not an icon size")
    if not images:
        sys.exit(f"{path}: no pixels")
    for image in images:
        if len(image) not in (16, 32, 48):
            sys.exit(f"{path}: {len(image)} x {len(image)} is not an icon size")
    return images


def padded(row_bytes):
    """Bitmap rows are padded to whole 32-bit words."""
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def colour_bits(rows):
    """4-bit pixels, bottom-up as bitmaps run."""
    size = len(rows)
    colour = b""
    for row in reversed(rows):
        nibbles = [0 if c == TRANSPARENT else INDEX[c] for c in row]
        colour += padded(bytes((nibbles[i] << 4) | nibbles[i + 1]
                               for i in range(0, size, 2)))
    return colour


PALETTE_BYTES = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)


def icon_image(rows):
    size = len(rows)
    colour, mask = colour_bits(rows), b""
    for row in reversed(rows):
        bits = "".join("1" if c == TRANSPARENT else "0" for c in row)
        mask += padded(bytes(int(bits[i:i + 8], 2) for i in range(0, size, 8)))
    # An icon's header counts the colour and the mask rows in its height.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    return header + PALETTE_BYTES + colour + mask


def ico(images):
    data = [icon_image(rows) for rows in images]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, image in zip(images, data):
        size = len(rows)
        directory += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + b"".join(data)


def bmp(rows, path):
    if any(TRANSPARENT in row for row in rows):
        sys.exit(f"{path}: a bitmap has no transparent pixels")
    size = len(rows)
    colour = colour_bits(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 4, 0, len(colour), 0, 0, 16, 0)
    offset = 14 + len(header) + len(PALETTE_BYTES)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(colour), 0, 0, offset)
    return file_header + header + PALETTE_BYTES + colour


def preview(images, background=(0x00, 0x80, 0x80), scale=8):
    """A PPM enlargement for people to look at the drawing, the images side
    by side."""
    colours = dict(PALETTE)
    height = max(len(rows) for rows in images) * scale
    width = sum(len(rows) for rows in images) * scale
    out = []
    for y in range(height // scale):
        line = b""
        for rows in images:
            row = rows[y] if y < len(rows) else TRANSPARENT * len(rows)
            line += b"".join(bytes(background if c == TRANSPARENT else colours[c]) * scale
                             for c in row)
        out.extend([line] * scale)
    return b"P6\n%d %d\n255\n" % (width, height) + b"".join(out)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    images = read_drawing(sys.argv[1])
    out = sys.argv[2]
    if out.lower().endswith(".bmp"):
        if len(images) != 1:
            sys.exit(f"{sys.argv[1]}: a bitmap holds one image")
        data = bmp(images[0], sys.argv[1])
    else:
        data = ico(images)
    with open(out, "wb") as f:
        f.write(data)
    if len(sys.argv) == 4:
        with open(sys.argv[3], "wb") as f:
            f.write(preview(images))


if __name__ == "__main__":
    main()
