#!/usr/bin/python3
"""Writes the PNG test logos: every colour type and bit depth, with and without tRNS, plain and
interlaced, one with text and colour chunks, and one 16-bit file holding every sample value.
Beside each NAME.png goes what a reader must make of it, 8 bits a sample, rows top first:
NAME.rgba (red, green, blue, alpha) for a file with alpha or tRNS, else NAME.rgb.

The expected values follow from the samples written; each file is also decoded by Pillow and
must agree with it wherever Pillow keeps every bit: it cuts 16-bit colour samples to their high
byte (so there only the gray ones are compared), and applies a tRNS gray of fewer than 8 bits
to the widened samples (so there only the colours are compared). Run it from this folder."""
import struct
import zlib

from PIL import Image

ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    per_byte, out = 8 // depth, bytearray()
    for i in range(0, len(samples), per_byte):
        byte = 0
        for k in range(per_byte):
            byte |= (samples[i + k] if i + k < len(samples) else 0) << (8 - depth * (k + 1))
        out.append(byte)
    return bytes(out)


def write(name, width, height, kind, depth, pixels, palette=None, trns=None, interlace=False,
          extra=b"", sub_filter=False):
    """pixels[y][x] is a tuple of samples at `depth` bits."""
    raw = bytearray()
    pixel_bytes = max(1, CHANNELS[kind] * depth // 8)
    for x0, y0, dx, dy in ADAM7 if interlace else [(0, 0, 1, 1)]:
        columns = range(x0, width, dx)
        if not columns:
            continue
        for y in range(y0, height, dy):
            row = pack([s for x in columns for s in pixels[y][x]], depth)
            if sub_filter:
                row = bytes((row[i] - (row[i - pixel_bytes] if i >= pixel_bytes else 0)) & 0xFF
                            for i in range(len(row)))
            raw += (b"\x01" if sub_filter else b"\x00") + row
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, kind,
                                                           0, 0, int(interlace)))
    png += extra
    if palette:
        png += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        png += chunk(b"tRNS", trns)
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(name + ".png", "wb") as f:
        f.write(png)


def eight(value, depth):
    if depth == 16:
        return (2 * value * 255 + 65535) // (2 * 65535)  # nearest; no value lies halfway
    return value * 255 // ((1 << depth) - 1)


def expected(kind, depth, pixels, palette=None, trns_samples=None, palette_alpha=None):
    has_alpha = kind in (4, 6) or trns_samples is not None or palette_alpha is not None
    out = bytearray()
    for row in pixels:
        for p in row:
            if kind == 3:
                rgb, a = palette[p[0]], (palette_alpha or {}).get(p[0], 255)
            else:
                gray = kind in (0, 4)
                rgb = [eight(p[0], depth)] * 3 if gray else [eight(s, depth) for s in p[:3]]
                a = eight(p[-1], depth) if kind in (4, 6) else 255
                if trns_samples is not None and tuple(p) == trns_samples:
                    a = 0
            out += bytes(rgb) + (bytes([a]) if has_alpha else b"")
    return bytes(out), has_alpha


def colours_of(rgba):
    return bytes(b for i in range(0, len(rgba), 4) for b in rgba[i:i + 3])


def check_with_pillow(name, want, has_alpha, width, height, sixteen_bit_colour, narrow_trns):
    image = Image.open(name + ".png")
    if narrow_trns:
        assert colours_of(image.convert("RGBA").tobytes()) == colours_of(want), name
        return
    if image.mode in ("I", "I;16"):
        values = list(image.getdata())
        got = bytearray()
        for v in values:
            got += bytes([eight(v, 16)] * 3)
        assert bytes(got) == (colours_of(want) if has_alpha else want), name
        return
    if sixteen_bit_colour:
        return
    decoded = image.convert("RGBA" if has_alpha else "RGB").tobytes()
    assert decoded == want, name
    assert image.size == (width, height), name


def make(name, width, height, kind, depth, sample, palette=None, trns=None, palette_alpha=None,
         interlace=False, extra=b"", sub_filter=False):
    pixels = [[sample(x, y) for x in range(width)] for y in range(height)]
    trns_bytes = None
    if trns is not None:
        trns_bytes = b"".join(struct.pack(">H", s) for s in trns)
    if palette_alpha is not None:
        trns_bytes = bytes(palette_alpha.get(i, 255) for i in range(max(palette_alpha) + 1))
    write(name, width, height, kind, depth, pixels, palette, trns_bytes, interlace, extra,
          sub_filter)
    want, has_alpha = expected(kind, depth, pixels, palette, trns, palette_alpha)
    with open(name + (".rgba" if has_alpha else ".rgb"), "wb") as f:
        f.write(want)
    check_with_pillow(name, want, has_alpha, width, height, depth == 16 and kind != 0,
                      kind == 0 and depth < 8 and trns is not None)


def hashed(x, y, salt):
    h = (x * 73856093 ^ y * 19349663 ^ salt * 83492791) & 0xFFFFFFFF
    return (h * 2654435761) & 0xFFFFFFFF


def samples(count, depth, salt):
    top = (1 << depth) - 1
    return lambda x, y: tuple(hashed(x, y, salt + c) % (top + 1) for c in range(count))


W, H = 13, 7
PALETTE = [(i * 37 % 256, i * 91 % 256, i * 53 % 256) for i in range(256)]
for interlace in (False, True):
    tail = "_interlaced" if interlace else ""
    for depth in (1, 2, 4, 8, 16):
        make(f"gray{depth}{tail}", W, H, 0, depth, samples(1, depth, depth), interlace=interlace)
    for depth in (1, 2, 4, 8):
        make(f"palette{depth}{tail}", W, H, 3, depth, samples(1, depth, 10 + depth),
             palette=PALETTE[:1 << depth], interlace=interlace)
    for depth in (8, 16):
        make(f"rgb{depth}{tail}", W, H, 2, depth, samples(3, depth, 20), interlace=interlace)
        make(f"gray_alpha{depth}{tail}", W, H, 4, depth, samples(2, depth, 30), interlace=interlace)
        make(f"rgba{depth}{tail}", W, H, 6, depth, samples(4, depth, 40), interlace=interlace)

# tRNS: one gray or colour value see-through; palette entries with partial alpha.
make("gray2_trns", W, H, 0, 2, samples(1, 2, 50), trns=(1,))
make("gray16_trns", W, H, 0, 16, lambda x, y: ((x % 3) * 30000,), trns=(30000,))
make("rgb8_trns", W, H, 2, 8, lambda x, y: ((x % 2) * 200, 10, 20), trns=(200, 10, 20))
make("palette4_trns", W, H, 3, 4, samples(1, 4, 60), palette=PALETTE[:16],
     palette_alpha={0: 0, 1: 128, 5: 7})
# Text and colour chunks change nothing.
make("rgba8_chunks", W, H, 6, 8, samples(4, 8, 40),
     extra=chunk(b"gAMA", struct.pack(">I", 100000)) + chunk(b"tEXt", b"Title\x00logo") +
     chunk(b"zTXt", b"Comment\x00\x00" + zlib.compress(b"x" * 1000)) +
     chunk(b"iCCP", b"profile\x00\x00" + zlib.compress(b"\x00" * 200)))
# Every 16-bit value, in the four channels of 128 x 128 pixels.
make("rgba16_all", 128, 128, 6, 16, lambda x, y: tuple(4 * (128 * y + x) + c for c in range(4)),
     sub_filter=True)
