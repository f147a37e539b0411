#!/usr/bin/env python3
"""Writes cp936_table.bin, the independent code page 936 mapping the code-page tests check against.

Taken from Python's own cp936 codec, so it shares nothing with the converter under test. Layout,
all 16-bit little-endian:
  1. 126 x 191 entries: lead bytes 0x81-0xFE, trail bytes 0x40-0xFE; the UTF-16 unit of the pair,
     0 where the codec rejects the pair (trail 0x7F is never valid).
  2. 65536 entries: every BMP code point; its code page 936 bytes (one byte as the value itself,
     two bytes as lead << 8 | trail), 0xFFFF where the codec cannot encode it.
Run once from this folder: python3 make_cp936_fixture.py
"""
import os
import struct

out = bytearray()
for lead in range(0x81, 0xFF):
    for trail in range(0x40, 0xFF):
        unit = 0
        if trail != 0x7F:
            try:
                text = bytes([lead, trail]).decode("cp936")
                if len(text) == 1 and ord(text) < 0x10000:
                    unit = ord(text)
            except UnicodeDecodeError:
                pass
        out += struct.pack("<H", unit)

for cp in range(0x10000):
    value = 0xFFFF
    if not 0xD800 <= cp <= 0xDFFF:
        try:
            encoded = chr(cp).encode("cp936")
            value = encoded[0] if len(encoded) == 1 else encoded[0] << 8 | encoded[1]
        except UnicodeEncodeError:
            pass
    out += struct.pack("<H", value)

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "cp936_table.bin"), "wb") as f:
    f.write(out)
