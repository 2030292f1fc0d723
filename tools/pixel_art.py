#!/usr/bin/env python3
"""Makes Windows bitmaps (.bmp) and icons (.ico) from pixel art kept as text.

Usage: pixel_art.py SOURCE OUTPUT

The programs' little images are drawn as text next to the program they
belong to (for example client/res/toolbar.bmp.txt) and turned into the
binary files at build time, so no binary is kept without its source.

Source format (UTF-8 text):

    # A comment: any line whose first non-blank character is "#".
    bitmap 20x16          the kind, first: "bitmap WxH" (the size of one image)
                          or "icon" (every image its own square size)
    palette               one entry per line until the first image:
      .  ff00ff  magenta    a character, a colour RRGGBB in hex or "none",
      K  000000  black      then any description
    image start           an image (a name of your choice after the keyword),
    ....KKKK....          then its rows: bitmap H rows of W characters, icon
    ...                   as many rows as the first row is long (square)

A bitmap puts its images side by side from left to right into one BMP of
8 bits per pixel whose colour table is the palette (at most 256 colours), W
times the number of images wide and H high. A colour table lets
CreateMappedBitmap replace a colour (the toolbar turns its transparent
colour into the button face). The transparent colour is one of the program's
choice (magenta RGB(255,0,255) here); "none" is not allowed in a bitmap.

An icon becomes one .ico entry per image, each a 32-bit image with alpha and
an AND mask, so Windows XP and later draw it; "none" pixels are transparent.
Give an icon its 16x16 and 32x32 images:

    icon
    palette
      .  none    transparent
      B  0000ff  blue
    image small
    ................      16 rows of 16
    ...
    image large
    ................................   32 rows of 32
    ...
"""
import struct
import sys


class ArtError(Exception):
    pass


def parse(text, name):
    """The kind, the frame size (bitmaps), the palette's colours in order and
    the images as rows of colours."""
    kind = None
    size = None
    palette = {}
    images = []
    section = None
    rows = None
    expected = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        where = f"{name}:{number}"
        if rows is not None and expected is not None and len(rows) < expected:
            if not line or line.startswith("#"):
                raise ArtError(f"{where}: image row expected")
            rows.append(line)
            continue
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if kind is None:
            if words[0] == "bitmap" and len(words) == 2:
                width, _, height = words[1].partition("x")
                if not (width.isdigit() and height.isdigit()) or int(width) < 1 or int(height) < 1:
                    raise ArtError(f"{where}: bitmap size WxH expected")
                kind, size = "bitmap", (int(width), int(height))
            elif words == ["icon"]:
                kind = "icon"
            else:
                raise ArtError(f"{where}: 'bitmap WxH' or 'icon' expected first")
        elif words[0] == "palette" and len(words) == 1:
            section = "palette"
        elif words[0] == "image":
            section = "image"
            rows = []
            images.append(rows)
            expected = size[1] if kind == "bitmap" else None
        elif section == "palette":
            if len(words[0]) != 1 or words[0] == "#" or len(words) < 2:
                raise ArtError(f"{where}: palette entry 'CHAR RRGGBB|none [description]' expected")
            colour = words[1].lower()
            if colour == "none":
                if kind == "bitmap":
                    raise ArtError(f"{where}: a bitmap has no 'none' colour; use its transparent colour")
                palette[words[0]] = None
            elif len(colour) == 6 and all(c in "0123456789abcdef" for c in colour):
                palette[words[0]] = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
            else:
                raise ArtError(f"{where}: colour RRGGBB or none expected")
        elif section == "image" and kind == "icon":
            if expected is None:
                expected = len(line)
            rows.append(line)
            if len(rows) > expected:
                raise ArtError(f"{where}: an icon image is square: {expected} rows")
        else:
            raise ArtError(f"{where}: unexpected line")
    if kind is None or not images:
        raise ArtError(f"{name}: no images")

    decoded = []
    for index, rows in enumerate(images):
        width = size[0] if kind == "bitmap" else len(rows[0])
        height = size[1] if kind == "bitmap" else width
        if len(rows) != height:
            raise ArtError(f"{name}: image {index + 1} has {len(rows)} rows, not {height}")
        pixels = []
        for row in rows:
            if len(row) != width:
                raise ArtError(f"{name}: image {index + 1}: row '{row}' is not {width} wide")
            unknown = set(row) - set(palette)
            if unknown:
                raise ArtError(f"{name}: image {index + 1}: {''.join(sorted(unknown))} not in the palette")
            pixels.append([palette[c] for c in row])
        decoded.append(pixels)
    colours = list(dict.fromkeys(c for c in palette.values() if c is not None))
    if len(colours) > 256:
        raise ArtError(f"{name}: more than 256 colours")
    return kind, size, colours, decoded


def bitmap_bytes(size, colours, images):
    """One bottom-up BMP of 8 bits per pixel with the images side by side."""
    index = {colour: i for i, colour in enumerate(colours)}
    width, height = size[0] * len(images), size[1]
    stride = (width + 3) & ~3
    body = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(index[pixel] for image in images for pixel in image[y])
        body += row + bytes(stride - len(row))
    table = b"".join(bytes((blue, green, red, 0)) for red, green, blue in colours)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(body), 2835, 2835,
                         len(colours), len(colours))
    offset = 14 + len(header) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return file_header + header + table + bytes(body)


def icon_image_bytes(pixels):
    """One .ico entry: BITMAPINFOHEADER, 32-bit BGRA rows, AND mask, bottom-up."""
    size = len(pixels)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel is None:
                colour += bytes(4)
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                red, green, blue = pixel
                colour += bytes((blue, green, red, 255))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def icon_bytes(images):
    entries = [icon_image_bytes(pixels) for pixels in images]
    directory = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for pixels, data in zip(images, entries):
        size = len(pixels)
        if size > 256:
            raise ArtError("icon images are at most 256 pixels")
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + b"".join(entries)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source, output = argv[1], argv[2]
    with open(source, encoding="utf-8") as handle:
        text = handle.read()
    try:
        kind, size, colours, images = parse(text, source)
        data = bitmap_bytes(size, colours, images) if kind == "bitmap" else icon_bytes(images)
    except ArtError as error:
        sys.stderr.write(f"pixel_art: {error}\n")
        return 1
    with open(output, "wb") as handle:
        handle.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
