#!/usr/bin/env python3
"""Writes a sample firmware image for the demonstrations and measurements: hexadecimal
text of RECORDS records, each a two-byte big-endian length (MIN to MAX) and that many
random bytes, always the same for the same arguments.

    make-sample-image.py PATH RECORDS MIN MAX
"""
import random
import sys

path, records, low, high = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
random.seed(2026)
text = ''
for _ in range(records):
    n = random.randint(low, high)
    text += '%04X' % n + ''.join('%02X' % random.randint(0, 255) for _ in range(n))
with open(path, 'w') as image:
    image.write(text)
