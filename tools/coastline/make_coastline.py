#!/usr/bin/env python3
"""Makes the demo's coastline files from the GSHHG shoreline (through GMT).

Writes into the output folder (default: demo/coastline beside this repository's tools/):
  <code>.cst        grid-square files (first-level regional grid squares), Tokyo datum
  sagami-plain.cst  plain "R,lat,lon" / "lat,lon" file of the venue, WGS84
  jcoast.cst        whole-coast binary file (float32 lat, lon in minutes), WGS84
  jlh.lh            the light list (copied from lights.lh beside this script)

Needs Python 3 and Debian's gmt and gmt-gshhg-full packages. See README.md.
"""

import argparse
import math
import shutil
import struct
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
DEFAULT_OUT = HERE.parent.parent / "demo" / "coastline"

# First-level squares the demo races off Enoshima need (35.25-35.32N, 139.43-139.52E widened
# by 5 minutes of latitude and 7 of longitude): 34d40'-35d20' and 35d20'-36d00', 139-140E.
DEFAULT_SQUARES = ["5239", "5339"]
PLAIN_BOX = (139.30, 139.70, 35.15, 35.40)  # west, east, south, north (degrees), WGS84
WHOLE_BOX = (138.80, 140.10, 34.30, 35.55)


def gmt_polylines(west, east, south, north, resolution="f"):
    """Ocean shoreline (level 1) as polylines of (lat, lon) degrees, WGS84."""
    cmd = ["gmt", "coast", f"-R{west}/{east}/{south}/{north}", f"-D{resolution}", "-M", "-W",
           "-A0/1/1"]
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    lines, current = [], []
    for row in out.splitlines():
        if row.startswith(">"):
            if len(current) > 1:
                lines.append(current)
            current = []
            continue
        parts = row.split()
        if len(parts) >= 2:
            current.append((float(parts[1]), float(parts[0])))
    if len(current) > 1:
        lines.append(current)
    return lines


def tokyo_to_wgs_offset(lat_min, lon_min):
    """The program's three-parameter shift (minutes) at a Tokyo-datum point (minutes)."""
    deg = 180 / math.pi
    phi, lam = lat_min / 60 / deg, lon_min / 60 / deg
    a, e2 = 6377397.155, 0.006674372227347433
    n = a / math.sqrt(1 - e2 * math.sin(phi) ** 2)
    x = n * math.cos(phi) * math.cos(lam) - 148
    y = n * math.cos(phi) * math.sin(lam) + 508
    z = n * 0.9933256277726525 * math.sin(phi) + 680
    lam2 = math.atan(y / x) * deg
    if lam2 > 180:
        lam2 -= 180
    if lam2 < 0:
        lam2 += 180
    phi2 = math.atan(z / 0.9933056199770992 / (y / math.sin(lam2 / deg))) * deg
    return (phi2 - phi * deg) * 60, (lam2 - lam * deg) * 60


def wgs_to_tokyo(lat_min, lon_min):
    """Inverse of the shift above, by fixed-point iteration (converges in a few steps)."""
    t_lat, t_lon = lat_min, lon_min
    for _ in range(5):
        d_lat, d_lon = tokyo_to_wgs_offset(t_lat, t_lon)
        t_lat, t_lon = lat_min - d_lat, lon_min - d_lon
    return t_lat, t_lon


def clip_segment(p, q, box):
    """Liang-Barsky: the part of segment p-q inside box (lat0, lat1, lon0, lon1), or None."""
    lat0, lat1, lon0, lon1 = box
    (y0, x0), (y1, x1) = p, q
    dx, dy = x1 - x0, y1 - y0
    t0, t1 = 0.0, 1.0
    for pe, qe in ((-dx, x0 - lon0), (dx, lon1 - x0), (-dy, y0 - lat0), (dy, lat1 - y0)):
        if pe == 0:
            if qe < 0:
                return None
            continue
        t = qe / pe
        if pe < 0:
            t0 = max(t0, t)
        else:
            t1 = min(t1, t)
        if t0 > t1:
            return None
    return (y0 + t0 * dy, x0 + t0 * dx), (y0 + t1 * dy, x0 + t1 * dx)


def clip_polyline(points, box):
    """Pieces of a polyline inside a box, each a list of points."""
    pieces, current = [], []
    for p, q in zip(points, points[1:]):
        seg = clip_segment(p, q, box)
        if seg is None:
            if len(current) > 1:
                pieces.append(current)
            current = []
            continue
        a, b = seg
        if current and current[-1] != a:
            if len(current) > 1:
                pieces.append(current)
            current = []
        if not current:
            current = [a]
        current.append(b)
        if b != q:  # left the box
            if len(current) > 1:
                pieces.append(current)
            current = []
    if len(current) > 1:
        pieces.append(current)
    return pieces


def write_grid_square(code, out_dir):
    pp, uu = int(code[:2]), int(code[2:])
    lat_lo, lon_lo = pp * 40.0, uu * 60.0 + 6000  # minutes, Tokyo datum
    margin = 0.02  # degrees, covers the datum shift
    polylines = gmt_polylines((lon_lo / 60) - margin, (lon_lo + 60) / 60 + margin,
                              lat_lo / 60 - margin, (lat_lo + 40) / 60 + margin)
    tokyo = [[wgs_to_tokyo(lat * 60, lon * 60) for lat, lon in line] for line in polylines]
    rows = []
    squares = 0
    for q in range(8):
        for v in range(8):
            c_lat, c_lon = lat_lo + q * 5, lon_lo + v * 7.5
            box = (c_lat, c_lat + 5, c_lon, c_lon + 7.5)
            pieces = [piece for line in tokyo for piece in clip_polyline(line, box)]
            if not pieces:
                continue
            squares += 1
            rows.append(f"M {pp:02d}{uu:02d}{q}{v}")
            for number, piece in enumerate(pieces, 1):
                cells = []
                for lat, lon in piece:
                    x = min(10000, max(0, round((lon - c_lon) / 7.5 * 10000)))
                    y = min(10000, max(0, round((lat - c_lat) / 5 * 10000)))
                    cells.append(f"{x:5d}{y:5d}")
                # The point count sits in characters 50..55.
                rows.append(f"L {number:<8d}".ljust(49) + f"{len(cells):6d}")
                for i in range(0, len(cells), 7):
                    rows.append("".join(cells[i:i + 7]))
    path = out_dir / f"{code}.cst"
    path.write_text("\n".join(rows) + "\n", encoding="ascii")
    return path, squares


def write_plain(out_dir, name="sagami-plain.cst"):
    rows = []
    for line in gmt_polylines(*PLAIN_BOX):
        for i, (lat, lon) in enumerate(line):
            text = f"{lat * 60:.4f},{lon * 60:.4f}"
            rows.append(("R," + text) if i == 0 else text)
    path = out_dir / name
    path.write_text("\n".join(rows) + "\n", encoding="ascii")
    return path


def write_whole_coast(out_dir, resolution):
    data = bytearray()
    for line in gmt_polylines(*WHOLE_BOX, resolution=resolution):
        for i, (lat, lon) in enumerate(line):
            data += struct.pack("<ff", -lat * 60 if i == 0 else lat * 60, lon * 60)
    path = out_dir / "jcoast.cst"
    path.write_bytes(bytes(data))
    return path


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", type=Path, default=DEFAULT_OUT)
    ap.add_argument("--squares", nargs="*", default=DEFAULT_SQUARES)
    ap.add_argument("--whole-resolution", default="f", choices="fhilc")
    args = ap.parse_args()
    if shutil.which("gmt") is None:
        sys.exit("gmt not found: apt-get install gmt gmt-gshhg-full")
    args.out.mkdir(parents=True, exist_ok=True)
    for code in args.squares:
        path, squares = write_grid_square(code, args.out)
        print(f"{path.name}: {squares} second-level squares, {path.stat().st_size} bytes")
    for path in (write_plain(args.out), write_whole_coast(args.out, args.whole_resolution)):
        print(f"{path.name}: {path.stat().st_size} bytes")
    lights = args.out / "jlh.lh"
    shutil.copyfile(HERE / "lights.lh", lights)
    print(f"{lights.name}: {lights.stat().st_size} bytes")


if __name__ == "__main__":
    main()
