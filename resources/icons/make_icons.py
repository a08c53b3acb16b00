#!/usr/bin/env python3
"""Draws the program's icons (a shield with a mark) into .ico files beside this script.

    python3 make_icons.py

kezo.ico: the window and normal tray icon (green, a "V"); paused.ico: grey with two bars;
locked.ico: dark red with a padlock. Each holds 16 x 16 and 32 x 32 images, 32-bit with alpha.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def inside_shield(x, y):
    """x, y in 0..1 (y down): a shield with a flat top and a pointed bottom."""
    if y < 0.08 or y > 0.96 or x < 0.1 or x > 0.9:
        return False
    if y < 0.55:
        return True
    half = 0.4 * (0.96 - y) / 0.41  # narrows to the point
    return abs(x - 0.5) <= half


def mark_v(x, y):
    if not 0.25 <= y <= 0.72:
        return False
    t = (y - 0.25) / 0.47
    left = 0.28 + t * 0.22
    right = 0.72 - t * 0.22
    return abs(x - left) < 0.075 or abs(x - right) < 0.075


def mark_pause(x, y):
    return 0.25 <= y <= 0.7 and (0.33 <= x <= 0.44 or 0.56 <= x <= 0.67)


def mark_lock(x, y):
    body = 0.3 <= x <= 0.7 and 0.42 <= y <= 0.72
    dx, dy = x - 0.5, y - 0.42
    ring = dy <= 0 and 0.1 <= (dx * dx + dy * dy) ** 0.5 <= 0.17
    return body or ring


def image(size, colour, mark):
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            # Four samples per pixel for smooth edges.
            cover = mark_cover = 0
            for sy in (0.25, 0.75):
                for sx in (0.25, 0.75):
                    x, y = (column + sx) / size, (row + sy) / size
                    if inside_shield(x, y):
                        cover += 1
                        if mark(x, y):
                            mark_cover += 1
            alpha = cover * 255 // 4
            if cover == 0:
                pixels.append((0, 0, 0, 0))
                continue
            share = mark_cover / cover
            r, g, b = (round(c + (255 - c) * share) for c in colour)
            pixels.append((b, g, r, alpha))
        rows.append(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(p) for pixels in reversed(rows) for p in pixels)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha decides; the mask stays clear
    return header + xor + and_mask


def write_icon(name, colour, mark):
    images = [(size, image(size, colour, mark)) for size in (16, 32)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    data += b"".join(body for _, body in images)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


write_icon("kezo.ico", (34, 150, 70), mark_v)
write_icon("paused.ico", (130, 130, 130), mark_pause)
write_icon("locked.ico", (170, 40, 40), mark_lock)
