#!/usr/bin/env python3
"""Synthesises the start gun: a noise burst with a fast decay (own sound, deterministic)."""
import math
import random
import struct
import sys
import wave

RATE = 22050


def main(path):
    rnd = random.Random(1907)
    n = int(RATE * 0.9)
    frames = bytearray()
    low = 0.0
    for i in range(n):
        t = i / RATE
        env = math.exp(-t * 9.0) if t > 0.004 else t / 0.004
        noise = rnd.uniform(-1.0, 1.0)
        low += (noise - low) * 0.18  # a low-passed body under the crack
        v = (0.45 * noise * math.exp(-t * 30.0) + 0.9 * low) * env
        frames += struct.pack('<h', max(-32767, min(32767, int(v * 30000))))
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/sounds/gun.wav')
