#!/usr/bin/env python3
"""Deterministic demo-race simulator for keelway.

Sails a fleet of boats around a course in a shifting wind with a simple
polar model, then writes what a race office would hand over: race files,
logger tracks in several formats (GPX, NMEA, text tracks) and, for the
test suite, the true mark passing times. Race 1 also gets binary logger
tracks (TRB, TRL, GDB- and MPS-like containers) and a wind log.

Everything is seeded, so two runs give byte-identical output.

    python3 tools/demo_sim/simulate.py [--out demo]
"""

import argparse
import datetime as dt
import hashlib
import io
import math
import os
import random
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

DT = 0.25                 # integration step (s); whole seconds fall on steps
NM = 1852.0               # metres per minute of latitude
KN = NM / 3600.0          # m/s per knot
SIM_T0 = -420.0           # simulation starts 7 minutes before the gun


# ---------------------------------------------------------------- geometry

def wrap180(a):
    return (a + 180.0) % 360.0 - 180.0


def wrap360(a):
    return a % 360.0


def unit(bearing):
    r = math.radians(bearing)
    return (math.sin(r), math.cos(r))


def bearing_of(dx, dy):
    return math.degrees(math.atan2(dx, dy)) % 360.0


def cross(ax, ay, bx, by):
    return ax * by - ay * bx


class Frame:
    """Flat east/north metres around a reference point.

    The course is a few km across, so a flat projection is plenty."""

    def __init__(self, lat0, lon0):
        self.lat0, self.lon0 = lat0, lon0
        self.m_per_deg_lat = NM * 60.0
        self.m_per_deg_lon = NM * 60.0 * math.cos(math.radians(lat0))

    def to_ll(self, x, y):
        return (self.lat0 + y / self.m_per_deg_lat,
                self.lon0 + x / self.m_per_deg_lon)

    def to_xy(self, lat, lon):
        return ((lon - self.lon0) * self.m_per_deg_lon,
                (lat - self.lat0) * self.m_per_deg_lat)


class Line:
    def __init__(self, a, b):
        self.a, self.b = a, b

    def side(self, p):
        return cross(self.b[0] - self.a[0], self.b[1] - self.a[1],
                     p[0] - self.a[0], p[1] - self.a[1])

    def at(self, f):
        return (self.a[0] + f * (self.b[0] - self.a[0]),
                self.a[1] + f * (self.b[1] - self.a[1]))

    def crossing(self, p, q):
        """Fraction along p->q and along the line where p->q crosses the
        segment, or None."""
        sp, sq = self.side(p), self.side(q)
        if sp == 0 or not (sp * sq < 0 or sq == 0):
            return None
        f = sp / (sp - sq)
        x = p[0] + f * (q[0] - p[0])
        y = p[1] + f * (q[1] - p[1])
        lx, ly = self.b[0] - self.a[0], self.b[1] - self.a[1]
        g = ((x - self.a[0]) * lx + (y - self.a[1]) * ly) / (lx * lx + ly * ly)
        if g < 0.0 or g > 1.0:
            return None
        return f, g


# ---------------------------------------------------------------- wind & polar

class Wind:
    """Uniform wind, slowly oscillating in direction and strength."""

    def __init__(self, base_dir, base_kn, dir_terms, kn_terms):
        self.base_dir, self.base_kn = base_dir, base_kn
        self.dir_terms, self.kn_terms = dir_terms, kn_terms

    @staticmethod
    def _sum(terms, t):
        return sum(a * math.sin(2.0 * math.pi * t / p + ph) for a, p, ph in terms)

    def at(self, t):
        return (self.base_dir + self._sum(self.dir_terms, t),
                self.base_kn + self._sum(self.kn_terms, t))


# boat speed (kn) at 10 kn true wind against true wind angle
POLAR = [(0, 0.0), (20, 0.4), (30, 2.6), (36, 4.2), (42, 5.1), (50, 5.6),
         (60, 6.0), (75, 6.3), (90, 6.4), (110, 6.5), (130, 6.3), (150, 5.7),
         (165, 5.0), (180, 4.6)]


def polar_ms(twa, tws_kn):
    twa = min(180.0, abs(twa))
    for (a0, s0), (a1, s1) in zip(POLAR, POLAR[1:]):
        if twa <= a1:
            s = s0 + (s1 - s0) * (twa - a0) / (a1 - a0)
            break
    return s * (max(tws_kn, 1.0) / 10.0) ** 0.4 * KN


# ---------------------------------------------------------------- boats

class Boat:
    """Per-boat constants: identity, logger, and how it is sailed."""

    def __init__(self, **kw):
        self.__dict__.update(kw)


class Track:
    """Fine simulated path of one boat plus its race events (true time,
    seconds from the gun)."""

    def __init__(self):
        self.t, self.x, self.y, self.h, self.v = [], [], [], [], []
        self.start = None          # true start crossing time
        self.finish = None
        self.mark_windows = []     # (course index, t_from, t_to)
        self.early_cross = []      # start-line crossings before the gun
        self.end = None
        self.roundings = []        # (t turning in, t back on the next leg) of each rounding

    def index(self, t):
        return int(round((t - SIM_T0) / DT))


def simulate(race, boat):
    """Sail one boat from SIM_T0 until it has finished (or retired)."""
    rng = random.Random(boat.seed)
    wind = race.wind
    tr = Track()
    course = race.course
    start_line = race.lines[course[0][1]]

    # pre-start plan, in the race's wind frame
    up, right = race.up, race.right
    centre = race.start_centre
    # the boat means to cross at ps, t_arr seconds after the gun, having
    # come in close-hauled from about q; it mills about near q until t_a
    ps = start_line.at(boat.start_frac)
    ud = unit(race.wd + boat.approach_tack * boat.beat)
    q = (ps[0] - boat.approach_dist * ud[0], ps[1] - boat.approach_dist * ud[1])
    aim_start = q_now = None
    planned = False
    t_arr = boat.start_delay
    t_a = -boat.approach_lead

    def wf(u, v):
        return (centre[0] + u * up[0] + v * right[0],
                centre[1] + u * up[1] + v * right[1])

    def to_uv(p):
        dx, dy = p[0] - centre[0], p[1] - centre[1]
        return dx * up[0] + dy * up[1], dx * right[0] + dy * right[1]

    qu, qv = to_uv(q)

    def mill_point():
        while True:
            u = rng.uniform(max(-430.0, qu - 120.0), min(-90.0, qu + 80.0))
            v = rng.uniform(max(-360.0, qv - 160.0), min(360.0, qv + 160.0))
            p = wf(u, v)
            if math.hypot(p[0] - x, p[1] - y) > 90.0:
                return p

    x, y = wf(rng.uniform(-380, -150), rng.uniform(-250, 250))
    w0, _ = wind.at(SIM_T0)
    h = wrap360(w0 + rng.choice((-1, 1)) * rng.uniform(80, 120))
    v = 1.2
    tack = 1 if wrap180(h - w0) > 0 else -1
    wref = w0
    last_switch = -1e9
    phase = 'mill'
    waypoint = mill_point()
    wp_since = SIM_T0
    leg = 1                 # index into the course once racing
    leg_from = None
    rnd = None              # plan of the mark rounding under way
    post_head = None
    i = 0

    def nav(target, t, W, pass_r=None, switching=True, origin=None):
        """Heading towards target (passing it at pass_r, mark to port),
        tacking or gybing when the direct course is not sailable; a boat
        strays from the rhumb line origin->target only so far."""
        nonlocal tack, last_switch
        dx, dy = target[0] - x, target[1] - y
        d = math.hypot(dx, dy)
        b = bearing_of(dx, dy)
        if pass_r:
            b += math.degrees(math.asin(min(1.0, pass_r / max(d, 1e-6))))
        rho = wrap180(b - W)
        if abs(rho) < boat.beat or abs(rho) > boat.gybe:
            upwind = abs(rho) < boat.beat
            if switching:
                rx, ry = unit(W + 90.0)
                ax, ay = unit(W)
                ox, oy = origin if origin else target
                lx, ly = target[0] - ox, target[1] - oy
                la = lx * ax + ly * ay
                f = 0.0
                if abs(la) > 1.0:
                    f = max(0.0, min(1.0, ((x - ox) * ax + (y - oy) * ay) / la))
                xt = (x - ox - f * lx) * rx + (y - oy - f * ly) * ry
                along = abs(dx * ax + dy * ay)
                width = boat.corr_min + boat.corr_k * along
                delta = wrap180(W - wref)
                if t - last_switch >= 20.0 and tack * xt > width:
                    tack, last_switch = -tack, t
                elif (upwind and t - last_switch >= 45.0 and d > 250.0
                      and tack * delta > boat.shift_th):
                    tack, last_switch = -tack, t
                elif pass_r and d < 200.0 and t - last_switch >= 15.0:
                    # this board no longer clears the mark: two more tacks
                    hx, hy = unit(W + tack * (boat.beat if upwind else boat.gybe))
                    if hx * dx + hy * dy > 0 and cross(hx, hy, dx, dy) < 0.6 * pass_r:
                        tack, last_switch = -tack, t
            return wrap360(W + tack * (boat.beat if upwind else boat.gybe))
        if (rho > 0) != (tack > 0):
            last_switch = t
        tack = 1 if rho > 0 else -1
        return wrap360(b)

    def exit_candidates(k, W, frm):
        """Headings the boat may leave a mark on, from point frm, for course
        entry k."""
        kind, idx = course[k]
        if kind == 'M':
            tgt, r = race.marks[idx], boat.round_r[k]
        else:
            tgt, r = finish_aim(k), None
        dx, dy = tgt[0] - frm[0], tgt[1] - frm[1]
        b = bearing_of(dx, dy)
        if r:
            b += math.degrees(math.asin(min(1.0, r / max(math.hypot(dx, dy), 1e-6))))
        rho = wrap180(b - W)
        if abs(rho) < boat.beat:
            # a little off the wind, so a small shift does not head the exit
            return [W - boat.beat - 2.0, W + boat.beat + 2.0]
        if abs(rho) > boat.gybe:
            return [W - boat.gybe, W + boat.gybe]
        return [b]

    def plan_rounding(k, W):
        """How to round the mark of course entry k: wide in, tight out.

        The boat turns to port round a circle (centre o, radius rr) that
        puts it on its exit course a few seconds before it passes the mark
        round_r[k] off at c.  The nearest moment then falls on a straight
        line: the distance closes and opens briskly there, instead of
        idling along a circle round the mark, which would leave "closest
        approach" to GPS noise."""
        m = race.marks[course[k][1]]
        came = bearing_of(m[0] - x, m[1] - y)
        hx = min(exit_candidates(k + 1, W, m), key=lambda c: wrap360(came - c))
        ux, uy = unit(hx)
        px, py = -uy, ux                      # port side of the exit course
        d0 = boat.round_r[k]
        c = (m[0] - d0 * px, m[1] - d0 * py)
        vv = max(v, 2.2)
        rr = max(16.0, math.degrees(vv) / (0.75 * boat.round_rate))
        lead = boat.turn_in * vv
        j = (c[0] - lead * ux, c[1] - lead * uy)
        o = (j[0] + rr * px, j[1] + rr * py)
        return dict(hx=wrap360(hx), c=c, o=o, r=rr, stage='in')

    def plan_start(W):
        """Pick the spot on the line we can fetch from here, a little
        below close-hauled so a small shift does not spoil it."""
        ax, ay = start_line.a
        lx, ly = start_line.b[0] - ax, start_line.b[1] - ay
        near = math.hypot(x - q_now[0], y - q_now[1]) < 40.0
        lo = 0.1 if near else max(0.1, boat.start_frac - 0.12)
        hi = 0.9 if near else min(0.9, boat.start_frac + 0.12)
        for s in (boat.approach_tack, -boat.approach_tack):
            ux, uy = unit(W + s * (boat.beat + 4.0))
            den = cross(ux, uy, lx, ly)
            if abs(den) < 1e-9:
                continue
            k = cross(ax - x, ay - y, lx, ly) / den
            g = cross(ax - x, ay - y, ux, uy) / den
            if k > 0 and lo <= g <= hi:
                p = start_line.at(g)
                return p, (p[0] + 40.0 * ux, p[1] + 40.0 * uy)
        return None

    def finish_aim(k):
        ln = race.lines[course[k][1]]
        f = ln.at(boat.finish_frac)
        n = race.finish_normal
        return (f[0] + 30.0 * n[0], f[1] + 30.0 * n[1])

    while True:
        t = SIM_T0 + i * DT
        W, S = wind.at(t)
        wref += wrap180(W - wref) * DT / 240.0
        tr.t.append(t)
        tr.x.append(x)
        tr.y.append(y)
        tr.h.append(h)
        tr.v.append(v)
        if tr.end is not None and t >= tr.end:
            break

        speed_cap = None
        perf = boat.perf * boat.skill
        turn_rate = boat.turn_rate
        if phase == 'mill':
            if t >= t_a:
                phase = 'approach'
            elif (math.hypot(waypoint[0] - x, waypoint[1] - y) < 30.0
                  or t - wp_since > 100.0):
                waypoint, wp_since = mill_point(), t
        if phase == 'mill':
            hd = nav(waypoint, t, W, switching=False)
            perf *= boat.mill_speed
        elif phase == 'approach':
            if not planned:
                # the spot from which the wind of the moment fetches ps
                uq = unit(W + boat.approach_tack * (boat.beat + 4.0))
                q_now = (ps[0] - boat.approach_dist * uq[0], ps[1] - boat.approach_dist * uq[1])
                plan = plan_start(W)
                if plan:
                    ps, aim_start = plan
                    planned = True
            # not on a line that fetches the start yet: get onto one first
            hd = nav(aim_start if planned else q_now, t, W, switching=False)
            if planned and t < t_arr:
                # luff while there is time in hand, then go for the line at
                # full speed so as to get there at t_arr, not before
                below = -((x - centre[0]) * up[0] + (y - centre[1]) * up[1])
                cu = max(0.35, math.cos(math.radians(h - race.wd)))
                v_full = max(0.5, polar_ms(wrap180(h - W), S) * perf)
                if t + below / (v_full * cu) + 4.0 < t_arr:
                    speed_cap = min(0.6, max(0.05, (below - 0.5) / ((t_arr - t) * cu)))
        elif phase == 'race':
            kind, idx = course[leg]
            if kind == 'M':
                m = race.marks[idx]
                d = math.hypot(m[0] - x, m[1] - y)
                # follow the wind with the plan until the last 50 m, then keep it
                if rnd is None or (rnd['stage'] == 'in' and
                                   math.hypot(rnd['o'][0] - x, rnd['o'][1] - y) > rnd['r'] + 50.0):
                    rnd = plan_rounding(leg, W)
                o, r, hx = rnd['o'], rnd['r'], rnd['hx']
                do = math.hypot(o[0] - x, o[1] - y)
                beta = bearing_of(o[0] - x, o[1] - y)
                if rnd['stage'] == 'in' and do < r + 8.0:
                    if do > r:
                        arc = beta + math.degrees(math.asin(r / do))
                    else:
                        arc = beta + 90.0
                    # turn only where that course can be sailed; a boat that
                    # arrives on the wrong side beats up to the circle first
                    if abs(wrap180(arc - W)) - boat.beat > -8.0:
                        rnd['stage'] = 'arc'
                        rnd.setdefault('arc_t', t)
                if rnd['stage'] == 'arc':
                    turn_rate = boat.round_rate
                    if do > r:
                        hd = beta + math.degrees(math.asin(r / do))
                    else:
                        hd = beta + 90.0 + min(45.0, 3.0 * (r - do))
                    # lead the helm by the turn rate the circle needs
                    hd = wrap360(hd - math.degrees(v / r))
                    if abs(wrap180(hd - W)) - boat.beat < -14.0:
                        rnd['stage'] = 'in'
                    elif wrap360(h - hx) < 12.0 or wrap360(h - hx) > 330.0:
                        rnd['stage'] = 'out'
                if rnd['stage'] == 'out':
                    # hold the exit line past the mark, then sail the next leg
                    turn_rate = boat.round_rate
                    ux, uy = unit(hx)
                    c = rnd['c']
                    off = (x - c[0]) * -uy + (y - c[1]) * ux     # + towards the mark
                    hd = hx + max(-35.0, min(35.0, 5.0 * off))
                    if abs(wrap180(hd - W)) < boat.beat:
                        hd = W + math.copysign(boat.beat, wrap180(hd - W))
                    hd = wrap360(hd)
                    if (x - c[0]) * ux + (y - c[1]) * uy > 20.0:
                        tack = 1 if wrap180(hx - W) > 0 else -1
                        last_switch = t
                        tr.mark_windows.append((leg, leg_from, t + 30.0))
                        tr.roundings.append((rnd.get('arc_t', t), t))
                        rnd = None
                        leg += 1
                        leg_from, leg_org = t, (x, y)
                elif rnd['stage'] == 'in':
                    # on a long leg each boat favours its own side of the
                    # rhumb line until closer in
                    lx, ly = o[0] - leg_org[0], o[1] - leg_org[1]
                    ll = math.hypot(lx, ly) or 1.0
                    f = boat.leg_bias[leg] * max(0.0, min(1.0, (d - 500.0) / 1000.0)) / ll
                    tgt, pr = (o[0] + f * ly, o[1] - f * lx), r
                    # near a windward mark a port-tack boat heads for the
                    # starboard layline to its turning circle rather than
                    # crossing under the mark on the wrong tack
                    if tack > 0 and do < 400.0 and abs(wrap180(beta - W)) < boat.beat + 10.0:
                        us = unit(W - boat.beat)
                        rn = unit(W - boat.beat + 90.0)
                        lay = (o[0] + r * rn[0], o[1] + r * rn[1])
                        tl = (lay[0] - 70.0 * us[0], lay[1] - 70.0 * us[1])
                        if (cross(us[0], us[1], x - lay[0], y - lay[1]) > 0.0
                                and math.hypot(tl[0] - x, tl[1] - y) > 15.0):
                            tgt, pr = tl, None
                    hd = nav(tgt, t, W, pass_r=pr, origin=leg_org)
            else:
                hd = nav(finish_aim(leg), t, W, origin=leg_org)
        else:  # after finishing: ease off and sail away from the line
            hd = post_head
            perf *= 0.6

        # helm and sails
        err = wrap180(hd - h)
        rate = max(-turn_rate, min(turn_rate, 1.0 * err))
        twa = wrap180(h - W)
        target = polar_ms(twa, S) * perf
        if abs(err) > 30.0:
            target *= 0.85
        if speed_cap is not None:
            target = min(target, speed_cap)
        tau = 7.0 if target > v else 3.5
        v += (target - v) * DT / tau
        h = wrap360(h + rate * DT)
        ux, uy = unit(h)
        nx, ny = x + v * ux * DT, y + v * uy * DT

        # events between this step and the next
        c = start_line.crossing((x, y), (nx, ny))
        if c and t + c[0] * DT < 0.0:
            tr.early_cross.append(t + c[0] * DT)
        if phase == 'approach' and t > 300.0:
            raise RuntimeError('%s never started' % boat.file)
        if phase == 'approach' and c and start_line.side((nx, ny)) * race.start_course_side > 0:
            tc = t + c[0] * DT
            if tc >= 0.0:
                tr.start = tc
                phase, leg, leg_from, leg_org = 'race', 1, tc, (x, y)
                if boat.retire_after is not None:
                    tr.end = math.ceil(tc + boat.retire_after)
        if phase == 'race' and course[leg][0] == 'L':
            ln = race.lines[course[leg][1]]
            c = ln.crossing((x, y), (nx, ny))
            if c and ln.side((nx, ny)) * race.finish_side > 0:
                tr.finish = t + c[0] * DT
                phase = 'post'
                nb = bearing_of(*race.finish_normal)
                post_head = wrap360(nb + boat.post_turn)
                tr.end = math.ceil(tr.finish + boat.post_time)
        x, y = nx, ny
        i += 1
        if t > race.max_hours * 3600:
            raise RuntimeError('%s never finished' % boat.file)
    return tr


# ---------------------------------------------------------------- truth

def nearest_moment(tr, m, t_from, t_to, sq=lambda dx, dy: dx * dx + dy * dy):
    """Time and squared distance of the path's nearest approach to point m
    between t_from and t_to, refined between steps by a parabola; sq gives
    the squared distance of an east/north offset in whatever measure."""
    i0, i1 = tr.index(t_from), min(tr.index(t_to), len(tr.t) - 1)
    d2 = lambda j: sq(tr.x[j] - m[0], tr.y[j] - m[1])
    best, bi = None, None
    for j in range(i0, i1 + 1):
        dd = d2(j)
        if best is None or dd < best:
            best, bi = dd, j
    tc = tr.t[bi]
    if 0 < bi < len(tr.t) - 1:
        a, c = d2(bi - 1), d2(bi + 1)
        den = a - 2 * best + c
        if den > 0:
            tc += 0.5 * (a - c) / den * DT
    return tc, best


def truth_times(race, boat, tr):
    """Passing time of every course entry, seconds from the gun."""
    out = [None] * len(race.course)
    out[0] = tr.start
    for k, t_from, t_to in tr.mark_windows:
        out[k] = nearest_moment(tr, race.marks[race.course[k][1]], t_from, t_to)[0]
    if tr.finish is not None:
        out[-1] = tr.finish
    return out


TURNING = 0.25            # degrees per step (1 deg/s): the helm is turning the boat
LOSS_WINDOW = 60.0        # seconds after the turn begins over which a loss is counted
VMG_BEFORE = 20.0         # seconds before the turn that give the speed made good it had
UNDONE = 5.0              # seconds within which a crossing taken back is no manoeuvre


def axis_crossings(race, tr):
    """Every moment the boat's heading crossed the wind axis between its start and its finish:
    (time, 'tack' through the wind or 'gybe' through the downwind direction, step index).
    Crossings while the boat turned round a mark belong to that rounding and are left out."""
    i0 = tr.index(tr.start) + 1
    i1 = tr.index(tr.finish) if tr.finish is not None else len(tr.t) - 1
    out = []
    prev = wrap180(tr.h[i0 - 1] - race.wind.at(tr.t[i0 - 1])[0])
    for j in range(i0, i1 + 1):
        rel = wrap180(tr.h[j] - race.wind.at(tr.t[j])[0])
        if (rel < 0) != (prev < 0):
            tack = abs(prev) < 90.0
            # the fraction of the step at which the angle passed 0 (or 180)
            fa, fb = (prev, rel) if tack else (wrap360(prev) - 180.0, wrap360(rel) - 180.0)
            f = fa / (fa - fb) if fa != fb else 0.0
            tc = tr.t[j - 1] + f * DT
            if not any(r0 <= tc <= r1 for r0, r1 in tr.roundings):
                out.append((tc, 'tack' if tack else 'gybe', j))
        prev = rel
    # a crossing the boat takes back within a few seconds (the helm changing its mind near a
    # mark) leaves it on the board it was on: neither is a manoeuvre
    kept = []
    for c in out:
        if kept and kept[-1][1] == c[1] and c[0] - kept[-1][0] < UNDONE:
            kept.pop()
        else:
            kept.append(c)
    return kept


def turn_bounds(tr, j):
    """Steps where the turn through step j began and ended (the helm moving 1 deg/s or more)."""
    a = j
    while a > 1 and abs(wrap180(tr.h[a] - tr.h[a - 1])) > TURNING:
        a -= 1
    b = j
    while b < len(tr.t) - 1 and abs(wrap180(tr.h[b + 1] - tr.h[b])) > TURNING:
        b += 1
    return a, b


def made_good(tr, i, k, axis):
    ux, uy = unit(axis)
    return (tr.x[k] - tr.x[i]) * ux + (tr.y[k] - tr.y[i]) * uy


def manoeuvre_truth(race, tr):
    """Tacks and gybes with their time, kind, how long the boat turned and what it lost: the
    distance it would have made good along the wind axis (towards the wind for a tack, away from
    it for a gybe, the axis held as it was when the boat crossed it) at its speed made good of the
    20 s before it began to turn, over the 60 s from then (less when the next manoeuvre, a mark
    or the finish comes sooner), minus the distance it made good."""
    rows = []
    crossings = axis_crossings(race, tr)
    begins = [turn_bounds(tr, j)[0] for _, _, j in crossings]
    stops = begins[1:] + [len(tr.t) - 1]
    for (tc, kind, j), a, nxt in zip(crossings, begins, stops):
        b = turn_bounds(tr, j)[1]
        w = race.wind.at(tc)[0]
        axis = w if kind == 'tack' else w + 180.0
        before = max(tr.index(tr.t[a] - VMG_BEFORE), 0)
        vmg = made_good(tr, before, a, axis) / max(tr.t[a] - tr.t[before], DT)
        end = tr.t[a] + LOSS_WINDOW
        for r0, _ in tr.roundings:
            if r0 > tr.t[a]:
                end = min(end, r0)
        if tr.finish is not None:
            end = min(end, tr.finish)
        k = min(tr.index(end), nxt, len(tr.t) - 1)
        span = tr.t[k] - tr.t[a]
        loss = vmg * span - made_good(tr, a, k, axis)
        rows.append((tc, kind, tr.t[b] - tr.t[a], span, loss))
    return rows


def closest(race, tr, k):
    m = race.marks[race.course[k][1]]
    for kk, t_from, t_to in tr.mark_windows:
        if kk == k:
            i0, i1 = tr.index(t_from), min(tr.index(t_to), len(tr.t) - 1)
            return min(math.hypot(tr.x[j] - m[0], tr.y[j] - m[1])
                       for j in range(i0, i1 + 1))
    return None


# ---------------------------------------------------------------- logging

def logged_samples(race, boat, tr):
    """What the logger recorded: (true time, logger time, x, y, sog, cog)."""
    rng = random.Random(boat.seed * 7 + 11)
    end = tr.t[-1]
    times = []
    t = boat.log_start
    while t <= end and (boat.log_count is None or len(times) < boat.log_count):
        times.append(t)
        t += boat.interval
    # correlated GPS error plus a little jitter, about 2 m all told
    a = math.exp(-boat.interval / 20.0)
    s = math.sqrt(1 - a * a)
    ex, ey = rng.gauss(0, 1.3), rng.gauss(0, 1.3)
    out = []
    for t in times:
        ex = a * ex + s * rng.gauss(0, 1.3)
        ey = a * ey + s * rng.gauss(0, 1.3)
        j = tr.index(t)
        x = tr.x[j] + ex + rng.gauss(0, 0.4)
        y = tr.y[j] + ey + rng.gauss(0, 0.4)
        sog = max(0.0, tr.v[j] / KN + rng.gauss(0, 0.08))
        cog = wrap360(tr.h[j] + rng.gauss(0, 1.5))
        out.append((t, t - boat.clock_slow, x, y, sog, cog))
    # A logger that lost its fix for a while: the samples are drawn as usual and then dropped,
    # so nothing else about the track changes.
    if boat.dropout:
        t0, t1 = boat.dropout
        out = [smp for smp in out if not t0 <= smp[0] < t1]
    return out


def dm(value, width):
    """Degrees and decimal minutes run together: DDMM.mmmm / DDDMM.mmmm."""
    deg = int(abs(value))
    mins = (abs(value) - deg) * 60.0
    if round(mins, 4) >= 60.0:
        deg, mins = deg + 1, 0.0
    return '%0*d%07.4f' % (width, deg, mins)


def nmea(body):
    ck = 0
    for ch in body:
        ck ^= ord(ch)
    return '$%s*%02X\r\n' % (body, ck)


def write_gpx(race, boat, samples):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<gpx version="1.1" creator="keelway demo simulator" '
             'xmlns="http://www.topografix.com/GPX/1/1">',
             '<trk><name>%s</name><trkseg>' % xml_escape(boat.gpx_name)]
    for _, tl, x, y, _, _ in samples:
        lat, lon = race.frame.to_ll(x, y)
        lines.append('<trkpt lat="%.6f" lon="%.6f"><ele>0.0</ele>'
                     '<time>%s</time></trkpt>'
                     % (lat, lon, race.utc(tl).strftime('%Y-%m-%dT%H:%M:%SZ')))
    lines.append('</trkseg></trk>')
    lines.append('</gpx>')
    return ('\n'.join(lines) + '\n').encode('utf-8')


def xml_escape(s):
    return s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


# The sentences a boat with corrupt=True carries besides its own, by sample index: each
# replaces nothing, so every fix stays. Two of its lines fail a strict parse (the bad
# checksum and the glued pair); status V and the empty position are well-formed.
CORRUPT_AT = {300: 'checksum', 450: 'void', 600: 'empty', 900: 'glued'}
CORRUPT_STRICT_FAILURES = 2


def corrupt_sentence(kind, hms, la, ns, lo, ew, date):
    if kind == 'checksum':
        good = nmea('GPRMC,%s,A,%s,%s,%s,%s,0.00,0.0,%s,,,A' % (hms, la, ns, lo, ew, date))
        wrong = '%02X' % (int(good[-4:-2], 16) ^ 0x5A)
        return good[:-4] + wrong + '\r\n'
    if kind == 'void':
        return nmea('GPRMC,%s,V,%s,%s,%s,%s,0.00,0.0,%s,,,N' % (hms, la, ns, lo, ew, date))
    if kind == 'empty':
        return nmea('GPRMC,%s,A,,,,,0.00,0.0,%s,,,A' % (hms, date))
    # a sentence cut off by the logger, the next one written straight after it
    return nmea('GPRMC,%s,A,%s,%s,%s,%s,0.00,0.0,%s,,,A' % (hms, la, ns, lo, ew, date))[:30]


def write_nmea(race, boat, samples):
    rng = random.Random(boat.seed * 11 + 5)
    out = []
    for k, (_, tl, x, y, sog, cog) in enumerate(samples):
        lat, lon = race.frame.to_ll(x, y)
        u = race.utc(tl)
        hms = u.strftime('%H%M%S') + '.00'
        la, lo = dm(lat, 2), dm(lon, 3)
        ns, ew = ('N' if lat >= 0 else 'S'), ('E' if lon >= 0 else 'W')
        sats = 8 + rng.randint(0, 3)
        hdop = 0.8 + 0.1 * rng.randint(0, 4)
        if boat.corrupt and k in CORRUPT_AT:
            out.append(corrupt_sentence(CORRUPT_AT[k], hms, la, ns, lo, ew, u.strftime('%d%m%y')))
        out.append(nmea('GPGGA,%s,%s,%s,%s,%s,1,%02d,%.1f,%.1f,M,39.4,M,,'
                        % (hms, la, ns, lo, ew, sats, hdop, 1.5 + rng.random())))
        out.append(nmea('GPRMC,%s,A,%s,%s,%s,%s,%.2f,%.1f,%s,,,A'
                        % (hms, la, ns, lo, ew, sog, cog, u.strftime('%d%m%y'))))
    return ''.join(out).encode('ascii')


def write_text_track(race, boat, samples):
    out = ['H  keelway demo simulator  logger track',
           'H  boat %s  interval %d s  UTC' % (boat.file.split('.')[0], boat.interval)]
    if boat.text_style == 'deg':
        out.insert(0, 'H  DEG  WGS84  decimal')
    for _, tl, x, y, _, _ in samples:
        lat, lon = race.frame.to_ll(x, y)
        u = race.utc(tl)
        date = u.strftime('%Y/%m/%d') if boat.text_style == 'slash' else u.strftime('%d-%m-%Y')
        if boat.text_style == 'deg':
            pos = 'N%.6f  E%.6f' % (lat, lon)
        else:
            pos = 'N%s  E%s' % (dm(lat, 2), dm(lon, 3))
        out.append('T  %s  %s  %s  0' % (pos, date, u.strftime('%H:%M:%S')))
    return ('\r\n'.join(out) + '\r\n').encode('ascii')


def epoch_seconds(race, tl):
    return int((race.utc(tl) - dt.datetime(1970, 1, 1)).total_seconds())


def semicircles(deg):
    return int(round(deg / 180.0 * 2147483648.0))


def write_fixed_records(race, boat, samples):
    """TRB (12-byte) and TRL (16- or 20-byte) records: int32 UTC seconds
    since 1970, float32 latitude and longitude in degrees, little-endian,
    then what else the logger keeps (speed and course; the 20-byte kind also
    an altitude in centimetres, which keeps the int32 at offset 16 far from
    any time, so the record size can be told from the file)."""
    out = []
    for _, tl, x, y, sog, cog in samples:
        lat, lon = race.frame.to_ll(x, y)
        rec = struct.pack('<iff', epoch_seconds(race, tl), lat, lon)
        if boat.fmt == 'trl16':
            rec += struct.pack('<HH', int(round(sog * 100)), int(round(cog * 10)) % 3600)
        elif boat.fmt == 'trl20':
            rec += struct.pack('<iHH', 150, int(round(sog * 100)), int(round(cog * 10)) % 3600)
        out.append(rec)
    return b''.join(out)


# Text blocks around the binary containers: no 0x00 or 0x01 bytes, so they
# cannot take part in a point pattern.
CONTAINER_HEAD = b'MsRcd keelway demo simulator track container  '
CONTAINER_TAIL = b' end of track data  keelway demo simulator '


def write_container(race, boat, samples):
    """GDB- or MPS-like file: each track point is the 24-byte layout the
    readers look for (lat, lon semicircles; altitude flag 1 and an altitude
    double; time flag 1 and int32 UTC seconds), preceded by two zero bytes;
    MPS points end in nine zero bytes (the depth flag and depth), GDB points
    in two (the depth and temperature flags). A short tag ("TP") follows each
    point, as the record headers of real files would."""
    rng = random.Random(boat.seed * 13 + 3)
    out = [CONTAINER_HEAD]
    for _, tl, x, y, _, _ in samples:
        lat, lon = race.frame.to_ll(x, y)
        alt = 2.0 + rng.uniform(-0.8, 0.8)
        pt = (b'\x00\x00' + struct.pack('<ii', semicircles(lat), semicircles(lon)) + b'\x01' +
              struct.pack('<d', alt) + b'\x01' + struct.pack('<i', epoch_seconds(race, tl)))
        pt += b'\x00' * (9 if boat.fmt == 'mps' else 2)
        out.append(pt + b'TP')
    out.append(CONTAINER_TAIL)
    return b''.join(out)


def scan_container(data, kind):
    """The readers' byte patterns, as keelway applies them: (anchor, lat
    semicircles, lon semicircles, time) of every match with a time above 0."""
    out = []
    i, last = 30, len(data) - 30
    while i <= last:
        b = data
        if kind == 'mps':
            if (b[i] <= 1 and b[i - 10] == 0 and b[i - 9] == 0 and b[i + 9] == 1
                    and not any(b[i + 14:i + 23])):
                t = struct.unpack_from('<i', b, i + 10)[0]
                if t > 0:
                    out.append((i,) + struct.unpack_from('<ii', b, i - 8) + (t,))
                i += 21
                continue
        elif b[i] == 1:
            if (b[i - 10] == 0 and b[i - 9] == 0 and b[i + 9] == 1 and b[i + 14] == 0
                    and b[i + 15] == 0):
                t = struct.unpack_from('<i', b, i + 10)[0]
                if t > 0:
                    out.append((i,) + struct.unpack_from('<ii', b, i - 8) + (t,))
                i += 21
                continue
            if (b[i - 1] == 0 and b[i - 11] == 0 and b[i - 10] == 0 and b[i + 5] == 0
                    and b[i + 6] == 0):
                t = struct.unpack_from('<i', b, i + 1)[0]
                if t > 0:
                    out.append((i,) + struct.unpack_from('<ii', b, i - 9) + (t,))
                i += 13
                continue
        i += 1
    return out


def check_binary(race, boat, samples, data):
    """The bytes must give back exactly the logged points, no more."""
    want = []
    for _, tl, x, y, _, _ in samples:
        lat, lon = race.frame.to_ll(x, y)
        want.append((epoch_seconds(race, tl), lat, lon))
    tag = boat.file
    if boat.fmt in ('trb', 'trl16', 'trl20'):
        size = {'trb': 12, 'trl16': 16, 'trl20': 20}[boat.fmt]
        check(len(data) == size * len(want), '%s size' % tag)
        if boat.fmt != 'trb':
            a, b16, c20 = struct.unpack_from('<iii', data, 0)[0], \
                struct.unpack_from('<i', data, 16)[0], struct.unpack_from('<i', data, 20)[0]
            check((abs(a - b16) < abs(a - c20)) == (size == 16), '%s record size' % tag)
        for k, (t, lat, lon) in enumerate(want):
            tt, la, lo = struct.unpack_from('<iff', data, k * size)
            check(tt == t and abs(la - lat) < 1e-5 and abs(lo - lon) < 1e-5, '%s rec %d' % (tag, k))
    else:
        got = scan_container(data, boat.fmt)
        check(len(got) == len(want), '%s: %d pattern matches for %d points'
              % (tag, len(got), len(want)))
        for (_, la, lo, tt), (t, lat, lon) in zip(got, want):
            check(tt == t and la == semicircles(lat) and lo == semicircles(lon),
                  '%s point mismatch' % tag)


# ---------------------------------------------------------------- races

class Race:
    pass


def minutes(v):
    return '%.4f' % (v * 60.0)


def shonan_water(lat, lon):
    # south of Enoshima and the Shonan shore, west of Hayama
    return lat < 35.285 and 139.40 < lon < 139.55


def build_race(cfg):
    race = Race()
    race.max_hours = 6
    race.on_water = shonan_water
    race.__dict__.update(cfg)
    frame = Frame(cfg['lat0'], cfg['lon0'])
    race.frame = frame
    race.up = unit(cfg['wd'])
    race.right = unit(cfg['wd'] + 90.0)

    def snap(p):
        # the race file carries 4 decimals of minutes: sail around exactly that
        lat, lon = frame.to_ll(*p)
        lat, lon = round(lat * 60.0, 4) / 60.0, round(lon * 60.0, 4) / 60.0
        return frame.to_xy(lat, lon)

    def wf(u, v):
        c = cfg['start_centre']
        return (c[0] + u * race.up[0] + v * race.right[0],
                c[1] + u * race.up[1] + v * race.right[1])

    race.start_centre = cfg['start_centre']
    race.marks = [snap(p) for p in cfg['mark_at'](wf)]
    race.lines = [Line(snap(a), snap(b)) for a, b in cfg['lines_at'](wf, race.marks)]
    course = []
    for e in cfg['crs']:
        course.append(('L' if e.startswith('L') else 'M', int(e.lstrip('LMK')) - 1))
    race.course = course
    st = race.lines[course[0][1]]
    race.start_course_side = 1 if st.side(race.marks[course[1][1]]) > 0 else -1
    fl = race.lines[course[-1][1]]
    last_mark = race.marks[course[-2][1]]
    race.finish_side = -1 if fl.side(last_mark) > 0 else 1
    mid = fl.at(0.5)
    nx, ny = mid[0] - last_mark[0], mid[1] - last_mark[1]
    lx, ly = fl.b[0] - fl.a[0], fl.b[1] - fl.a[1]
    ll = math.hypot(lx, ly)
    px, py = -ly / ll, lx / ll
    if px * nx + py * ny < 0:
        px, py = -px, -py
    race.finish_normal = (px, py)
    race.wind = Wind(cfg['wd'], cfg['wind_kn'], cfg['wind_dir_terms'], cfg['wind_kn_terms'])
    race.gun_utc = dt.datetime(*cfg['date'], *cfg['gun_local']) - dt.timedelta(hours=cfg['td'])
    race.utc = lambda s: race.gun_utc + dt.timedelta(seconds=s)
    return race


def make_boats(race, entries, seed):
    rng = random.Random(seed)
    boats = []
    for n, e in enumerate(entries):
        b = Boat(**e)
        b.seed = seed * 1000 + n * 17 + 1
        b.skill = e.get('skill', round(rng.uniform(0.93, 1.0), 3))
        b.beat = rng.uniform(41.0, 45.0)
        b.gybe = rng.uniform(146.0, 156.0)
        b.turn_rate = rng.uniform(9.0, 12.0)
        b.round_rate = rng.uniform(12.0, 15.0)
        b.shift_th = rng.uniform(3.0, 7.0)
        b.corr_min = rng.uniform(60.0, 140.0)
        b.corr_k = rng.uniform(0.12, 0.3)
        b.round_r = [rng.uniform(*race.round_r) for _ in race.course]
        b.turn_in = rng.uniform(3.5, 5.0)   # seconds on the exit course before the mark
        b.leg_bias = [rng.uniform(-race.leg_bias, race.leg_bias) for _ in race.course]
        b.start_frac = rng.uniform(0.2, 0.9)
        b.finish_frac = rng.uniform(0.3, 0.7)
        b.start_delay = e.get('start_delay', rng.uniform(2.0, 35.0))
        b.approach_tack = -1 if rng.random() < 0.7 else 1
        b.approach_dist = rng.uniform(130.0, 190.0)
        b.approach_lead = rng.uniform(140.0, 175.0)
        b.mill_speed = rng.uniform(0.6, 0.85)
        b.post_turn = rng.uniform(-40.0, 40.0)
        b.post_time = rng.uniform(70.0, 170.0)
        b.log_start = e.get('log_start', -360 - rng.randint(0, 40))
        b.log_count = e.get('log_count')
        b.retire_after = e.get('retire_after')
        b.clock_slow = e.get('clock_slow', 0)
        b.text_style = e.get('text_style', 'dm')
        b.gpx_name = e.get('gpx_name', e['name'])
        b.missing = e.get('missing', False)
        b.dropout = e.get('dropout')
        b.corrupt = e.get('corrupt', False)
        boats.append(b)
    return boats


def r1_marks(wf):
    return [wf(1750.0, -40.0),      # MK1 windward
            wf(-180.0, 60.0)]       # MK2 leeward, below the start line


def r1_lines(wf, marks):
    mk1 = marks[0]
    fin_c = wf(-130.0, -300.0)
    lb = bearing_of(fin_c[0] - mk1[0], fin_c[1] - mk1[1]) + 90.0
    ux, uy = unit(lb)
    return [(wf(0.0, -125.0), wf(0.0, 125.0)),
            ((fin_c[0] - 75 * ux, fin_c[1] - 75 * uy),
             (fin_c[0] + 75 * ux, fin_c[1] + 75 * uy))]


def r2_marks(wf):
    c = wf(0.0, 0.0)
    return [(c[0] - 2500.0, c[1] - 3000.0),
            (c[0] + 2500.0, c[1] - 3500.0),
            (c[0] + 3000.0, c[1])]


def r2_lines(wf, marks):
    mk3 = marks[2]
    c = wf(0.0, 0.0)
    fin_c = (c[0] - 100.0, c[1] + 600.0)
    lb = bearing_of(fin_c[0] - mk3[0], fin_c[1] - mk3[1]) + 90.0
    ux, uy = unit(lb)
    return [(wf(0.0, -150.0), wf(0.0, 150.0)),
            ((fin_c[0] - 75 * ux, fin_c[1] - 75 * uy),
             (fin_c[0] + 75 * ux, fin_c[1] + 75 * uy))]


# Shift_JIS names are kept as text here and encoded when the race file is written.
HAYABUSA = '\u306f\u3084\u3076\u3055'   # はやぶさ
SHOKAKU = '\u7fd4\u9db4'                 # 翔鶴

RACE1 = dict(
    stem='enoshima-r1', lat0=35.27, lon0=139.47, td=9,
    date=(2025, 10, 12), gun_local=(11, 0, 0),
    wd=200, wind_kn=11.0,
    wind_dir_terms=[(5.5, 780.0, 0.7), (3.5, 410.0, 2.1)],
    wind_kn_terms=[(2.0, 900.0, 1.3), (1.0, 370.0, 4.0)],
    start_centre=(0.0, 0.0), round_r=(11.0, 13.0), leg_bias=60.0,
    mark_at=r1_marks, lines_at=r1_lines, crs=['L1', 'MK1', 'MK2', 'MK1', 'L2'],
    mg=-7.5, lg=7.3, ps=(10, 5), wind_file='enoshima-r1-wind.csv',
    attachments=['enoshima-r1-instructions.html'],
    t1='Enoshima Autumn Regatta  Race 1',
    t2='J/24 and Yamaha 30S  windward-leeward',
    note='Demo race made by the keelway simulator. Boats and times are invented.',
    seed=20251012,
    classes=[
        ('J/24', [
            dict(file='j24-01.gpx', name='Sea Breeze', fmt='gpx', interval=2, handicap=1.000),
            dict(file='j24-02.log', name=HAYABUSA, fmt='nmea', interval=1, handicap=0.985),
            dict(file='j24-03.dtr', name='Kamome', fmt='text', interval=2, handicap=1.012),
            dict(file='j24-04.gpx', name='Blue Note', fmt='gpx', interval=2, handicap=0.974,
                 clock_slow=37),
            dict(file='j24-05.trk', name='Shonan Wind', fmt='text', interval=2, handicap=1.027),
            dict(file='j24-06.gpx', name='Tsubasa', fmt='gpx', interval=5, handicap=0.991),
            dict(file='j24-07.gpx', name='Umihiko', fmt='gpx', interval=2, handicap=1.006,
                 log_start=-12, log_count=10, retire_after=30.0, start_delay=2.5),
            dict(file='j24-08.gpx', name='Kazahaya', fmt='gpx', interval=2, handicap=1.000,
                 missing=True),
            dict(file='j24-09.gpx', name='Red Kite', fmt='gpx', interval=2, handicap=0.963),
        ]),
        ('Yamaha 30S', [
            dict(file='y30-01.gpx', name=SHOKAKU, gpx_name='Shokaku', fmt='gpx', interval=2,
                 handicap=0.955),
            dict(file='y30-02.log', name='Wind Dancer', fmt='nmea', interval=2, handicap=1.018),
            dict(file='y30-03.dtr', name='Blue Marlin', length='9.2', fmt='text', interval=2,
                 handicap=1.042, text_style='deg'),
            dict(file='y30-04.trk', name='Orca', fmt='text', interval=2, handicap=0.998,
                 text_style='slash'),
            dict(file='y30-05.gpx', name='Mistral', fmt='gpx', interval=1, handicap=1.009),
            dict(file='y30-06.gpx', name='Albatross', fmt='gpx', interval=2, handicap=0.981),
            # binary loggers, appended last so that the boats above keep their draws
            dict(file='y30-07.trb', name='Hokusai', fmt='trb', interval=2, handicap=1.004),
            dict(file='y30-08.trl', name='Nami', fmt='trl16', interval=2, handicap=0.989),
            dict(file='y30-09.trl', name='Sirius', fmt='trl20', interval=3, handicap=1.013),
            dict(file='y30-10.gdb', name='Minato', fmt='gdb', interval=2, handicap=0.977),
            dict(file='y30-11.mps', name='Kirin', fmt='mps', interval=2, handicap=1.022),
        ]),
    ],
    class_perf={'J/24': 1.0, 'Yamaha 30S': 1.07},
)

RACE2 = dict(
    stem='enoshima-coastal', lat0=35.27, lon0=139.47, td=9,
    date=(2025, 10, 13), gun_local=(13, 0, 0),
    wd=190, wind_kn=13.5,
    wind_dir_terms=[(4.5, 960.0, 2.4), (2.5, 450.0, 0.3)],
    wind_kn_terms=[(1.5, 1100.0, 0.2), (0.8, 420.0, 2.9)],
    start_centre=(0.0, 0.0), round_r=(11.0, 13.0), leg_bias=250.0,
    mark_at=r2_marks, lines_at=r2_lines, crs=['L1', 'MK1', 'MK2', 'MK3', 'L2'],
    mg=-7.5, lg=10.0, ps=(20, 5), map_file='sagami-plain.cst',
    t1='Enoshima Autumn Regatta  Coastal Race',
    t2='Open class  Sagami Bay triangle',
    note='Demo race made by the keelway simulator. Boats and times are invented.',
    seed=20251013,
    classes=[
        (None, [
            dict(file='c-01.gpx', name='Seagull', fmt='gpx', interval=2, handicap=1.000),
            dict(file='c-02.gpx', name='Kuroshio', fmt='gpx', interval=2, handicap=1.035),
            dict(file='c-03.gpx', name='Southern Cross', fmt='gpx', interval=3, handicap=0.968),
            dict(file='c-04.gpx', name='Aoi Umi', fmt='gpx', interval=2, handicap=0.992),
            dict(file='c-05.log', name='Fuji', fmt='nmea', interval=2, handicap=1.021,
                 dropout=(2000, 2046), corrupt=True),
            dict(file='c-06.gpx', name='Marine Blue', fmt='gpx', interval=2, handicap=0.957),
            dict(file='c-07.gpx', name='Enoshima Star', fmt='gpx', interval=2, handicap=1.010),
        ]),
    ],
    class_perf={None: 1.12},
)


# The offshore race works in the same flat frame; its marks are given as
# positions on the chart.
OFFSHORE_FRAME = Frame(35.27, 139.47)


def r3_marks(wf):
    ll = [(34.86, 139.13),      # MK1 off the Izu coast, between Ito and Atagawa
          (34.44, 139.40),      # MK2 south of Izu Oshima, east of Toshima
          (34.90, 139.75)]      # MK3 south of Sunosaki, at the mouth of Tokyo Bay
    return [OFFSHORE_FRAME.to_xy(lat, lon) for lat, lon in ll]


def r3_lines(wf, marks):
    mk3 = marks[2]
    fin_c = (600.0, 400.0)
    lb = bearing_of(fin_c[0] - mk3[0], fin_c[1] - mk3[1]) + 90.0
    ux, uy = unit(lb)
    return [(wf(0.0, -150.0), wf(0.0, 150.0)),
            ((fin_c[0] - 100 * ux, fin_c[1] - 100 * uy),
             (fin_c[0] + 100 * ux, fin_c[1] + 100 * uy))]


def sagami_water(lat, lon):
    """Coarse: keeps clear of the Shonan shore, Miura, Boso, the Izu coast,
    Izu Oshima and Toshima."""
    if lat > 35.29:
        return False
    if lon > 139.60 and lat > 35.12:                    # Miura peninsula
        return False
    if lon > 139.76 and lat > 34.92:                    # southern Boso
        return False
    if lon < 139.08 + (lat - 34.8) * 0.3:               # Izu peninsula, Manazuru, Odawara
        return False
    if 34.66 < lat < 34.82 and 139.33 < lon < 139.47:   # Izu Oshima
        return False
    if 34.50 < lat < 34.55 and 139.25 < lon < 139.31:   # Toshima
        return False
    return True


# Counter-clockwise, so that every mark is rounded to port; a westerly makes
# every leg a reach.
RACE3 = dict(
    stem='sagami-offshore', lat0=35.27, lon0=139.47, td=9,
    date=(2025, 10, 18), gun_local=(7, 0, 0),
    wd=272, wind_kn=14.0,
    wind_dir_terms=[(4.0, 5400.0, 0.9), (2.5, 1700.0, 2.2)],
    wind_kn_terms=[(2.0, 7200.0, 0.4), (1.0, 2300.0, 1.9)],
    start_centre=(0.0, 0.0), round_r=(11.0, 13.0), leg_bias=400.0,
    mark_at=r3_marks, lines_at=r3_lines, crs=['L1', 'MK1', 'MK2', 'MK3', 'L2'],
    mg=-7.5, lg=12.0, ps=(20, 5), max_hours=24, on_water=sagami_water,
    attachments=['sagami-offshore-notice.html', 'sagami-offshore-safety.txt'],
    t1='Sagami Bay Offshore Race',
    t2='Enoshima - Izu coast - south of Oshima - Sunosaki - Enoshima',
    note='Demo race made by the keelway simulator. Boats and times are invented.',
    seed=20251018,
    classes=[
        (None, [
            dict(file='o-01.gpx', name='Kaiyo', fmt='gpx', interval=10, handicap=1.000),
            dict(file='o-02.log', name='Tenshin', fmt='nmea', interval=10, handicap=1.024),
            dict(file='o-03.gpx', name='Southern Wind', fmt='gpx', interval=5, handicap=0.971),
            dict(file='o-04.gpx', name='Hakuun', fmt='gpx', interval=8, handicap=0.995),
            dict(file='o-05.gpx', name='Polaris', fmt='gpx', interval=6, handicap=1.012),
        ]),
    ],
    class_perf={None: 1.2},
)


def extent_diagonal(race, results, ft):
    """The race extent as keelway measures it: spans of the samples in the
    replay window, widened by 1.2, in minutes; a minute of longitude weighs
    0.64 of one of latitude."""
    lats, lons = [], []
    for _, _, samples in results:
        for s in samples:
            if -race.ps[1] * 60 - 10 <= s[0] <= ft:
                lat, lon = race.frame.to_ll(s[2], s[3])
                lats.append(lat * 60.0)
                lons.append(lon * 60.0)
    la, lo = (max(lats) - min(lats)) * 1.2, (max(lons) - min(lons)) * 1.2
    return math.sqrt(la * la + 0.64 * lo * lo)


def race_file(race, boats, ft_local):
    def fmt_time(sec):
        t = dt.datetime(*race.date, *race.gun_local) + dt.timedelta(seconds=sec)
        return t.strftime('%Y/%m/%d %H:%M:%S')

    out = []

    def rec(*fields):
        parts = [f if isinstance(f, bytes) else str(f).encode('ascii') for f in fields]
        out.append(b','.join(parts))

    rec('T1', race.t1)
    rec('T2', race.t2)
    rec('NOTE', race.note)
    rec('ST', fmt_time(0))
    rec('FT', fmt_time(ft_local))
    rec('TD', race.td)
    rec('BT', 5)
    rec('WD', race.wd - round(race.mg))
    rec('MG', race.mg)
    rec('LG', race.lg)
    rec('PS', *race.ps)
    rec('CT', 0)
    if getattr(race, 'wind_file', None):
        rec('WF', race.wind_file)
    # the coastal race draws its shore from the plain coordinate file; the others pick
    # grid squares (or the whole-coast file) by themselves
    if getattr(race, 'map_file', None):
        rec('MAP', race.map_file)
    # documents of the race office, kept in attachment/ (written by hand, not here)
    if getattr(race, 'attachments', None):
        rec('AT', *race.attachments)
    for mx, my in race.marks:
        lat, lon = race.frame.to_ll(mx, my)
        rec('MK', minutes(lat), minutes(lon))
    for ln in race.lines:
        la, oa = race.frame.to_ll(*ln.a)
        lb, ob = race.frame.to_ll(*ln.b)
        rec('LN', minutes(la), minutes(oa), minutes(lb), minutes(ob))
    rec('CRS', *race.crs)
    if any(c is not None for c, _ in race.classes):
        rec('CLSSEP', b'')
    for cls, _ in race.classes:
        if cls is not None:
            rec('CLSN', cls)
        for b in boats:
            if b.cls != cls:
                continue
            name = b.name.encode('shift_jis')
            if getattr(b, 'length', None):
                name += b'^^' + b.length.encode('ascii')
            rec('BN', b.file, name, '%.3f' % b.handicap, b.clock_slow)
    return b'\r\n'.join(out) + b'\r\n'


def wind_file(race, ft):
    """The simulator's own wind as a wind log: one line every 30 s from 5
    minutes before the gun to FT, local time (the clock of ST). The
    simulator's directions are true; keelway turns a file direction into a
    true one by adding round(MG), as it does for WD, so the file (like the WD
    line) carries the true direction minus round(MG) (half to even, which is
    what Python's round does)."""
    out = ['DATE TIME, TWS,TWD']
    gun = dt.datetime(*race.date, *race.gun_local)
    for t in range(-300, ft + 1, 30):
        d, kn = race.wind.at(float(t))
        twd = int(round(wrap360(d - round(race.mg)))) % 360
        out.append('%s,%.1f,%d' % ((gun + dt.timedelta(seconds=t)).strftime('%Y/%m/%d %H:%M:%S'),
                                   kn, twd))
    return ('\r\n'.join(out) + '\r\n').encode('ascii')


def wind_truth(race, ft):
    """The wind the simulator blew, every 10 s from 5 minutes before the gun to FT."""
    out = ['t,direction,trueDirection,speed']
    for t in range(-300, ft + 1, 10):
        d, kn = race.wind.at(float(t))
        out.append('%d,%.2f,%.2f,%.2f' % (t, wrap360(d - round(race.mg)), wrap360(d), kn))
    return ('\n'.join(out) + '\n').encode('utf-8')


def manoeuvres_file(race, results):
    """Per boat, in BN order, its tacks and gybes and its mark roundings, by time."""
    out = ['file,name,t,kind,turnSeconds,lossWindowSeconds,lossMetres']
    for b, tr, _ in results:
        rows = [(tc, kind, '%.2f' % turn, '%.2f' % span, '%.2f' % loss)
                for tc, kind, turn, span, loss in manoeuvre_truth(race, tr)]
        times = truth_times(race, b, tr)
        for k, (kind, _) in enumerate(race.course):
            if kind == 'M' and times[k] is not None:
                rows.append((times[k], 'rounding', '', '', ''))
        for tc, kind, turn, span, loss in sorted(rows):
            out.append(','.join([b.file, b.name, '%.2f' % tc, kind, turn, span, loss]))
    return ('\n'.join(out) + '\n').encode('utf-8')


def run_race(cfg, files, report):
    race = build_race(cfg)
    entries = []
    for cls, lst in cfg['classes']:
        for e in lst:
            e = dict(e)
            e['cls'] = cls
            e['perf'] = cfg['class_perf'][cls]
            entries.append(e)
    boats = make_boats(race, entries, cfg['seed'])
    results = []
    for b in boats:
        if b.missing:
            continue
        tr = simulate(race, b)
        samples = logged_samples(race, b, tr)
        if b.fmt == 'gpx':
            data = write_gpx(race, b, samples)
        elif b.fmt == 'nmea':
            data = write_nmea(race, b, samples)
        elif b.fmt in ('trb', 'trl16', 'trl20'):
            data = write_fixed_records(race, b, samples)
            check_binary(race, b, samples, data)
        elif b.fmt in ('gdb', 'mps'):
            data = write_container(race, b, samples)
            check_binary(race, b, samples, data)
        else:
            data = write_text_track(race, b, samples)
        files['gpsdat/' + b.file] = data
        results.append((b, tr, samples))

    last = max(tr.t[-1] for _, tr, _ in results)
    ft = int(math.ceil((last + 60.0) / 300.0) * 300)
    files['raceadmin/%s.txt' % race.stem] = race_file(race, boats, ft)

    header = ['file', 'name'] + list(race.crs)
    rows = [','.join(header)]
    for b, tr, _ in results:
        tt = truth_times(race, b, tr)
        rows.append(','.join([b.file, b.name] + ['' if v is None else '%.2f' % v for v in tt]))
    files['truth/%s.csv' % race.stem] = ('\n'.join(rows) + '\n').encode('utf-8')
    files['truth/%s-wind.csv' % race.stem] = wind_truth(race, ft)
    files['truth/%s-manoeuvres.csv' % race.stem] = manoeuvres_file(race, results)

    if getattr(race, 'wind_file', None):
        files['winddat/' + race.wind_file] = wind_file(race, ft)

    check_race(race, boats, results, ft)
    report.append((race, boats, results, ft))
    return race


# ---------------------------------------------------------------- checks

def check(cond, msg):
    if not cond:
        raise AssertionError(msg)


def check_race(race, boats, results, ft):
    """Fail loudly if the fleet did anything the demo promises it won't."""
    f = race.frame
    mlat = [f.to_ll(*m)[0] for m in race.marks]
    lat_m, lon_m = f.m_per_deg_lat / 60.0, f.m_per_deg_lon / 60.0
    plain = lambda dx, dy: (dx / lon_m) ** 2 + (dy / lat_m) ** 2
    finishers = []
    for b, tr, samples in results:
        tag = '%s/%s' % (race.stem, b.file)
        check(not tr.early_cross, '%s crossed the start line before the gun' % tag)
        check(tr.start is not None and 0.0 <= tr.start <= 60.0,
              '%s start %.1f s after the gun' % (tag, tr.start or -1))
        if b.log_count is not None:
            check(len(samples) == b.log_count, '%s sample count' % tag)
            continue
        check(len(samples) >= 15, '%s too few samples' % tag)
        pts = [(s[0], (s[2], s[3])) for s in samples]
        st = race.lines[race.course[0][1]]
        logged_start = None
        for (ta, p), (tb, q) in zip(pts, pts[1:]):
            c = st.crossing(p, q)
            if c and tb <= 0:
                check(False, '%s logged track crosses the start before the gun' % tag)
            if c and tb > 0 and st.side(q) * race.start_course_side > 0:
                logged_start = ta + c[0] * (tb - ta)
                break
        check(logged_start is not None and abs(logged_start - tr.start) < 3.0,
              '%s logged start far from the true one' % tag)
        check(tr.finish is not None, '%s did not finish' % tag)
        check(samples[0][0] <= -355, '%s track starts late' % tag)
        check(samples[-1][0] * 1.0 < ft, '%s track runs past FT' % tag)
        for k, (kind, idx) in enumerate(race.course):
            if kind == 'M':
                d = closest(race, tr, k)
                check(10.0 <= d <= 40.0, '%s rounding %d at %.1f m' % (tag, k, d))
                # one clear nearest moment, or "closest approach" is vague
                m = race.marks[idx]
                _, t_from, t_to = [w for w in tr.mark_windows if w[0] == k][0]
                js = range(tr.index(t_from), min(tr.index(t_to), len(tr.t) - 1) + 1)
                ds = [(math.hypot(tr.x[j] - m[0], tr.y[j] - m[1]), tr.t[j]) for j in js]
                tmin = min(ds)[1]
                check(all(abs(tt - tmin) < 15.0 for dd, tt in ds if dd < d + 4.0),
                      '%s rounding %d has no single nearest moment' % (tag, k))
                # and a sharp one: the distance must close and open at a clear
                # rate either side, or GPS noise moves the nearest logged point
                # by seconds. Passing straight by 11-13 m off at 3 m/s gives
                # about 3 m at 3 s either side; a boat still turning towards
                # the mark gives far less.
                tn, _ = nearest_moment(tr, m, t_from, t_to)
                at = lambda tt: math.hypot(tr.x[tr.index(tt)] - m[0], tr.y[tr.index(tt)] - m[1])
                for dt_, rise in ((2.0, 1.0), (3.0, 2.5)):
                    check(min(at(tn - dt_), at(tn + dt_)) - d >= rise,
                          '%s rounding %d: only %.1f m further off %g s either side'
                          % (tag, k, min(at(tn - dt_), at(tn + dt_)) - d, dt_))
                # the program measures in plain minutes of arc, a minute of
                # longitude counting as much as one of latitude; its nearest
                # moment must still be the true one
                tp, _ = nearest_moment(tr, m, t_from, t_to, plain)
                check(abs(tp - tn) <= 1.0, '%s rounding %d: nearest in minutes of arc %.2f s '
                      'from the true one' % (tag, k, tp - tn))
        finishers.append((tr.finish, b.file))
        # after the finish the boat stays beyond the finish line's extension
        fl = race.lines[race.course[-1][1]]
        j0 = tr.index(tr.finish) + 1
        check(all(fl.side((tr.x[j], tr.y[j])) * race.finish_side > 0
                  for j in range(j0, len(tr.t))), '%s re-crossed the finish' % tag)
        # the logged track, as the program will see it
        pts = [(s[2], s[3]) for s in samples]
        for m, lat in zip(race.marks, mlat):
            lon_m = NM * math.cos(math.radians(lat))
            dmin = min(math.hypot((p[0] - m[0]) / lon_m, (p[1] - m[1]) / NM) for p in pts)
            check(dmin < 0.2, '%s stays %.3f\' from a mark' % (tag, dmin))
        for ln in race.lines:
            check(any(ln.crossing(p, q) for p, q in zip(pts, pts[1:])),
                  '%s logged track never crosses a line inside its ends' % tag)
        # water only (each race's own coarse test)
        for p in pts[::10]:
            lat, lon = f.to_ll(*p)
            check(race.on_water(lat, lon), '%s on land at %.4f %.4f?' % (tag, lat, lon))
    # finishers far enough apart that GPS noise cannot swap their order
    finishers.sort()
    for (ta, fa), (tb, fb) in zip(finishers, finishers[1:]):
        check(tb - ta >= 2.0, '%s: %s and %s finish %.1f s apart' % (race.stem, fa, fb, tb - ta))


def check_formats(files):
    """Parse back what was written, the way a strict reader would."""
    for path, data in files.items():
        if path.endswith('.gpx'):
            root = ET.fromstring(data)
            ns = '{http://www.topografix.com/GPX/1/1}'
            pts = root.findall('.//%strkpt' % ns)
            check(pts and all(p.find(ns + 'time') is not None for p in pts), path)
        elif path.endswith('.log'):
            failures = 0
            for line in data.split(b'\r\n')[:-1]:
                s = line.decode('ascii')
                parts = s[1:].split('*')
                x = 0
                for ch in parts[0]:
                    x ^= ord(ch)
                if not (s[0] == '$' and len(parts) == 2 and parts[1] == '%02X' % x):
                    failures += 1
            corrupt = {e['file'] for cfg in (RACE1, RACE2, RACE3) for _, lst in cfg['classes']
                       for e in lst if e.get('corrupt')}
            expected = CORRUPT_STRICT_FAILURES if path.split('/')[-1] in corrupt else 0
            check(failures == expected, '%s: %d lines fail a strict parse' % (path, failures))
        elif path.endswith(('.dtr', '.trk')):
            recs = [ln.split() for ln in data.decode('ascii').split('\r\n') if ln]
            n = sum(1 for r in recs if len(r) == 6 and r[0] == 'T')
            check(n >= 15 and len(recs) - n <= 3, path)
        elif path.startswith('raceadmin/') and path.endswith('.txt'):
            check(data.endswith(b'\r\n') and b'\n' not in data.replace(b'\r\n', b''), path)


# ---------------------------------------------------------------- cover

def cover_jpeg():
    """Our own cover picture: sea, a few sails and the program name."""
    from PIL import Image, ImageDraw, ImageFont
    w, hgt = 600, 340
    img = Image.new('RGB', (w, hgt))
    d = ImageDraw.Draw(img)
    horizon = 130
    for yy in range(horizon):
        k = yy / horizon
        d.line([(0, yy), (w, yy)], fill=(int(120 + 90 * k), int(175 + 55 * k), int(225 + 25 * k)))
    for yy in range(horizon, hgt):
        k = (yy - horizon) / (hgt - horizon)
        d.line([(0, yy), (w, yy)], fill=(int(30 - 20 * k), int(95 - 45 * k), int(150 - 50 * k)))
    # distant hills and a small island on the horizon
    d.polygon([(0, horizon), (0, 112), (70, 100), (150, 114), (210, horizon)], fill=(96, 130, 150))
    d.polygon([(430, horizon), (470, 118), (520, 114), (560, horizon)], fill=(88, 120, 128))
    rng = random.Random(7)
    for _ in range(260):
        yy = rng.randint(horizon + 4, hgt - 2)
        xx = rng.randint(-20, w)
        ln = 6 + (yy - horizon) // 5
        c = 150 + rng.randint(0, 60)
        d.line([(xx, yy), (xx + ln, yy)], fill=(c, c + 20, 255), width=1)
    boats = [(120, 200, 1.0, (255, 255, 255)), (260, 172, 0.6, (250, 250, 245)),
             (360, 230, 1.3, (255, 255, 255)), (480, 160, 0.45, (245, 245, 240)),
             (540, 188, 0.7, (255, 120, 90))]
    for bx, by, s, col in boats:
        hull = [(bx - 30 * s, by), (bx + 34 * s, by), (bx + 24 * s, by + 9 * s), (bx - 22 * s, by + 9 * s)]
        d.polygon(hull, fill=(40, 40, 48))
        d.polygon([(bx, by - 4 * s), (bx, by - 95 * s), (bx + 30 * s, by - 4 * s)], fill=col)
        d.polygon([(bx - 3 * s, by - 4 * s), (bx - 3 * s, by - 80 * s), (bx - 28 * s, by - 4 * s)],
                  fill=(230, 235, 240))
        d.line([(bx - 1 * s, by), (bx - 1 * s, by - 98 * s)], fill=(60, 60, 60), width=max(1, int(2 * s)))
    font = None
    for path in ('/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf',
                 '/usr/share/fonts/TTF/DejaVuSans-Bold.ttf'):
        if os.path.exists(path):
            font = ImageFont.truetype(path, 52)
            break
    if font is None:
        font = ImageFont.load_default()
    text = 'keelway demo'
    d.text((34, 262), text, font=font, fill=(10, 30, 60))
    d.text((30, 258), text, font=font, fill=(255, 255, 255))
    buf = io.BytesIO()
    img.save(buf, 'JPEG', quality=88)
    return buf.getvalue()


def cover_bytes():
    try:
        import PIL  # noqa: F401
        return cover_jpeg()
    except ImportError:
        pass
    # the picture needs PIL; Debian's python3-pil lives under /usr/bin/python3
    if os.path.exists('/usr/bin/python3') and os.path.realpath(sys.executable) != \
            os.path.realpath('/usr/bin/python3'):
        r = subprocess.run(['/usr/bin/python3', os.path.abspath(__file__), '--cover-only'],
                           stdout=subprocess.PIPE, check=False)
        if r.returncode == 0 and r.stdout:
            return r.stdout
    return None


# ---------------------------------------------------------------- main

def build():
    files, report = {}, []
    run_race(RACE1, files, report)
    run_race(RACE2, files, report)
    r3 = run_race(RACE3, files, report)
    check(extent_diagonal(*[(rc, res, ft) for rc, _, res, ft in report if rc is r3][0]) > 60.0,
          'the offshore race extent is too small for the whole-coast map')
    files['raceadmin/racefile.st'] = b'enoshima-r1.txt\r\n'
    files['winddat/README.txt'] = (b'enoshima-r1-wind.csv is the simulated wind of race 1 '
                                   b'(named by its WF line). The other races have no wind log: '
                                   b'the replay uses the WD value of their race files.\n')
    files['truth/README.txt'] = TRUTH_README.encode('utf-8')
    check_formats(files)
    return files, report


TRUTH_README = """\
True mark passing times, wind and manoeuvres of the demo races, written by
tools/demo_sim/simulate.py. keelway does not read this folder; the tests
compare its mark detection, wind estimate and manoeuvres with it.

One CSV per race file (<race-file-stem>.csv), UTF-8, LF line ends.
  file    track file name as given on the BN line
  name    boat name (without any ^^length suffix), decoded from Shift_JIS
  then one column per course entry, in CRS order and named as in CRS
  (a mark rounded twice appears twice).

Each cell is seconds after the gun (ST), true time, two decimals:
  line entry  the moment the boat's path crosses the line segment in the
              sailing direction (for the start: the first upwind crossing
              after the gun; for the finish: the crossing after the last mark)
  mark entry  the moment of closest approach to the mark during that rounding
An empty cell means the boat never got there (it retired).

Times are true time: a boat whose logger clock is wrong still gets correct
times here, the BN offset being what puts its track right.
The boat whose BN line names a missing track file has no row.

<race-file-stem>-wind.csv: the wind the simulator blew (the same everywhere
on the course), one line every 10 s from 5 minutes before the gun to FT.
  t              seconds after the gun
  direction      where the wind comes from, in the race file's convention
                 (as its WD line: true minus round(MG), half to even)
  trueDirection  the same, true
  speed          knots

<race-file-stem>-manoeuvres.csv: per boat (BN order), from its start to its
finish, in time order:
  file, name     as above
  t              seconds after the gun, true time
  kind           tack (the heading crossed the direction the wind came
                 from), gybe (it crossed the direction the wind blew to) or
                 rounding (the moment of closest approach to a mark, as in
                 <race-file-stem>.csv); a crossing while the boat turned
                 round a mark belongs to that rounding, and one the boat
                 took back within 5 s (back on the board it was on) is
                 none
  turnSeconds    how long the helm turned the boat (1 deg/s or more)
  lossWindowSeconds, lossMetres
                 the distance the boat would have made good along the wind
                 axis (towards the wind for a tack, away from it for a
                 gybe; the axis as it was at the crossing) at its speed made
                 good of the 20 s before it began to turn, over the window
                 from then (60 s, less when the next manoeuvre, a mark or
                 the finish comes sooner), minus the distance it made good
Roundings have no turn or loss columns.
"""


def summary(report):
    lines = []
    for race, boats, results, ft in report:
        lines.append('%s: course %s, FT +%d s, extent diagonal %.1f\''
                     % (race.stem, ','.join(race.crs), ft, extent_diagonal(race, results, ft)))
        for b, tr, samples in results:
            fin = '%.0f s' % tr.finish if tr.finish is not None else 'retired'
            rr = [closest(race, tr, k) for k, (kind, _) in enumerate(race.course) if kind == 'M']
            rr = ' '.join('%.0f' % d for d in rr if d is not None)
            lines.append('  %-11s %-5s %ds %5d pts  start %5.1f  finish %-8s rounds %s m'
                         % (b.file, b.fmt, b.interval, len(samples), tr.start, fin, rr))
        for b in boats:
            if b.missing:
                lines.append('  %-11s (listed, no track file)' % b.file)
    return '\n'.join(lines)


# Files in the simulator's folders that are written by hand: the practice race without a course,
# for course-editing mode.
KEPT_BY_HAND = {'raceadmin/enoshima-practice.txt'}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument('--out', default=os.path.join(here, '..', '..', 'demo'),
                    help='data folder to write (default: the repository demo/)')
    ap.add_argument('--no-selfcheck', action='store_true',
                    help='skip the second run that proves the output is repeatable')
    ap.add_argument('--cover-only', action='store_true', help=argparse.SUPPRESS)
    args = ap.parse_args()

    if args.cover_only:
        sys.stdout.buffer.write(cover_jpeg())
        return 0

    files, report = build()
    if not args.no_selfcheck:
        again, _ = build()
        digest = lambda fs: hashlib.sha256(b''.join(
            k.encode() + b'\0' + fs[k] for k in sorted(fs))).hexdigest()
        check(digest(files) == digest(again), 'output differs between two runs')

    out = os.path.normpath(args.out)
    cover_path = os.path.join(out, 'raceadmin', 'cover.jpg')
    cover = cover_bytes()
    if cover is not None:
        files['raceadmin/cover.jpg'] = cover
    elif os.path.exists(cover_path):
        print('note: PIL not found, keeping the existing cover.jpg')
        files['raceadmin/cover.jpg'] = open(cover_path, 'rb').read()
    else:
        print('warning: PIL not found, no cover.jpg written')

    # we own these four folders: drop stale files from earlier runs, but not the ones kept by
    # hand there
    for sub in ('raceadmin', 'gpsdat', 'winddat', 'truth'):
        os.makedirs(os.path.join(out, sub), exist_ok=True)
        for name in os.listdir(os.path.join(out, sub)):
            rel = '%s/%s' % (sub, name)
            if rel not in files and rel not in KEPT_BY_HAND:
                os.remove(os.path.join(out, sub, name))
    total = 0
    for rel in sorted(files):
        with open(os.path.join(out, rel), 'wb') as fh:
            fh.write(files[rel])
        total += len(files[rel])
    print(summary(report))
    print('%d files, %.2f MB in %s' % (len(files), total / 1e6, out))
    return 0


if __name__ == '__main__':
    sys.exit(main())
