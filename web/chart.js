// The chart, drawn on a canvas as keelway draws its map: the sea shaded by the time of day, the
// distance grid with its scale, the coastline, the marks and lines with their names, the course
// route, the tracks (the whole course) or short wakes (following the boats), the boats as hulls in
// their colours with their names, and the race clock. One renderer, used for every frame.

const DEGREE = Math.PI / 180;
// Smallest spans a fitted view takes, minutes of arc, as keelway's frame fit.
const MIN_LAT_SPAN = 0.04;
const MIN_LON_SPAN = 0.05;
// A hull is never drawn shorter than this many CSS pixels: on a small screen a boat to scale
// would be a dot.
const MIN_HULL = 18;
const YELLOW = '#ffff00';
const RED = '#ff0000';

// ---- Colours of the time of day (as keelway's daylight sea)

// 0 (night) to 100 (day) at clock t, from the race day's sunrise and sunset.
function daylight(race, clock) {
  const [sunrise, sunset, startOfDay] = race.sun;
  const x = startOfDay + clock;
  const t = x - Math.trunc(x / 86400) * 86400;
  let s = sunrise < t && t < sunset ? 100 : 0;
  if (Math.abs(t - sunrise) < 3600) s = ((t - sunrise) * 50) / 3600 + 50;
  if (Math.abs(t - sunset) < 2400) s = ((sunset - t) * 50) / 2400 + 50;
  return Math.round(s);
}

const clamp255 = (v) => Math.max(0, Math.min(255, Math.round(v)));

function seaColour(p) { return [clamp255(1.1 * p), clamp255(1.6 * p), clamp255(3.25 * p + 70)]; }

function gridColour(p) {
  const [r, g, b] = seaColour(p);
  return p > 50 ? [Math.max(0, r - 50), Math.max(0, g - 50), b] :
                  [r + 80, g + 80, b + 80].map(clamp255);
}

const css = ([r, g, b]) => `rgb(${r},${g},${b})`;

// ---- The view: a flat local projection, turned wind-up or north-up

// centre in minutes of arc, scale in CSS pixels per minute of latitude, turn in degrees (the
// bearing that points up).
function makeView(width, height, lat, lon, scale, cosLat, turn) {
  const a = -turn * DEGREE;
  return {width, height, lat, lon, scale, cosLat, turn, c: Math.cos(a), s: Math.sin(a)};
}

function toScreen(v, lat, lon) {
  const dx = (lon - v.lon) * v.scale * v.cosLat;
  const dy = (v.lat - lat) * v.scale;
  return [v.width / 2 + dx * v.c - dy * v.s, v.height / 2 + dx * v.s + dy * v.c];
}

function toChart(v, x, y) {
  const dx = x - v.width / 2;
  const dy = y - v.height / 2;
  const ux = dx * v.c + dy * v.s;
  const uy = -dx * v.s + dy * v.c;
  return [v.lat - uy / v.scale, v.lon + ux / (v.scale * v.cosLat)];
}

// Centre and scale that hold every boat on the water at `clock`, as keelway's following map
// fits them; the start line while at most one boat sails, the first line before the start.
function fitFleet(race, at, clock, width, height) {
  let latMax = -Infinity, latMin = Infinity, lonMax = -Infinity, lonMin = Infinity;
  const widen = (la, lo) => {
    latMax = Math.max(latMax, la);
    latMin = Math.min(latMin, la);
    lonMax = Math.max(lonMax, lo);
    lonMin = Math.min(lonMin, lo);
  };
  let present = clock <= 0 ? 1 : 0;
  for (const p of at) {
    if (!p) continue;
    present++;
    widen(p.lat, p.lon);
  }
  const start = race.startLine;
  if (present <= 1 && start.length === 4 && race.boats.length > 1) {
    widen(start[0], start[1]);
    widen(start[2], start[3]);
  }
  if (clock < -30 && race.lines.length >= 1) {
    const l = race.lines[0];
    widen(l[0], l[1]);
    widen(l[2], l[3]);
  }
  if (!(latMax >= latMin)) return wholeCourse(race, width, height);
  const lat = (latMax + latMin) / 2;
  const lon = (lonMax + lonMin) / 2;
  const cos = race.cosLat;
  let latSpan = Math.max(latMax - latMin, MIN_LAT_SPAN);
  const lonSpan = Math.max(lonMax - lonMin, MIN_LON_SPAN);
  const side = 0.85 * Math.min(width, height);
  let scale;
  if (lonSpan * cos > latSpan) {
    scale = side / lonSpan / cos;
    latSpan = lonSpan * cos;
  } else {
    scale = side / latSpan;
  }
  // Every boat stays on the chart however the chart is turned.
  let largest = 0;
  for (const p of at)
    if (p) largest = Math.max(largest, Math.hypot(p.lat - lat, (p.lon - lon) * cos));
  const half = latSpan / 2;
  return {lat, lon, scale: largest > half ? (scale * half) / largest : scale};
}

// The whole race area, as keelway's still map shows it.
function wholeCourse(race, width, height) {
  return {lat: race.centre[0], lon: race.centre[1], scale: Math.min(width, height) / race.span[0]};
}

// ---- Pieces of the chart

// Distance between grid lines, km, for a chart of `height` pixels (keelway's rule).
function gridSpacingKm(height, pixelsPerKm) {
  const tenths = pixelsPerKm > 0 ? (height / pixelsPerKm) * 10 : 0;
  const q = Math.trunc(Math.min(tenths, 1e9));
  const v = Math.round(q / 4) / 10;
  let n = v;
  if (v > 0.5) n = 0.5;
  if (v > 1) n = 1;
  if (v > 2) n = 2;
  if (v > 5) n = 5;
  if (v > 10) n = 10 * Math.trunc(v / 10);
  if (n < 0.1) n = 0.05;
  return n;
}

function drawGrid(g, v, colour) {
  const perKm = v.scale / 1.852;
  const n = gridSpacingKm(v.height, perKm);
  const d = n * perKm;
  if (!(d > 2)) return;
  // keelway anchors the lines at the centre rounded to the spacing, taken in minutes.
  const [ax, ay] = toScreen(v, Math.trunc(v.lat / n + 0.5) * n, Math.trunc(v.lon / n + 0.5) * n);
  g.strokeStyle = colour;
  g.lineWidth = 1;
  g.beginPath();
  for (let y = ay - Math.ceil(ay / d) * d; y <= v.height; y += d) {
    g.moveTo(0, Math.round(y) + 0.5);
    g.lineTo(v.width, Math.round(y) + 0.5);
  }
  for (let x = ax - Math.ceil(ax / d) * d; x <= v.width; x += d) {
    g.moveTo(Math.round(x) + 0.5, 0);
    g.lineTo(Math.round(x) + 0.5, v.height);
  }
  g.stroke();
  // The scale bar, bottom left: one grid spacing.
  const h = v.height;
  const x2 = 20 + d;
  g.strokeStyle = '#ffffff';
  g.beginPath();
  g.moveTo(20.5, h - 15);
  g.lineTo(20.5, h - 5);
  g.moveTo(x2 + 0.5, h - 15);
  g.lineTo(x2 + 0.5, h - 5);
  g.moveTo(20, h - 9.5);
  g.lineTo(x2, h - 9.5);
  g.stroke();
  g.fillStyle = '#ffffff';
  g.textBaseline = 'bottom';
  g.fillText(n >= 1 ? n + 'Km' : Math.round(n * 1000) + 'M', 50, h - 14);
}

function drawCoast(g, v, race) {
  g.strokeStyle = '#ffffff';
  g.lineWidth = 1;
  g.beginPath();
  for (const line of race.coast) {
    for (let i = 0; i < line.lat.length; i++) {
      const [x, y] = toScreen(v, line.lat[i], line.lon[i]);
      if (i === 0)
        g.moveTo(x, y);
      else
        g.lineTo(x, y);
    }
  }
  g.stroke();
}

// Text with its background, its top left corner at (x, y).
function label(g, x, y, text, colour, background) {
  g.textBaseline = 'top';
  const w = g.measureText(text).width;
  g.fillStyle = background;
  g.fillRect(x, y, w + 2, 14);
  g.fillStyle = colour;
  g.fillText(text, x + 1, y + 1);
}

// Marks and line ends: a yellow disc, the dotted zone of two boat lengths, the name in red.
function drawCourse(g, v, race, sea) {
  const zone = Math.max(10, Math.round((race.boatLength / 1852) * 2 * v.scale));
  const symbol = (lat, lon, name) => {
    const [x, y] = toScreen(v, lat, lon);
    g.setLineDash([2, 2]);
    g.strokeStyle = YELLOW;
    g.beginPath();
    g.arc(x, y, zone, 0, 2 * Math.PI);
    g.stroke();
    g.setLineDash([]);
    g.fillStyle = YELLOW;
    g.strokeStyle = '#000000';
    g.beginPath();
    g.arc(x, y, 4, 0, 2 * Math.PI);
    g.fill();
    g.stroke();
    label(g, x + 8, y - 6, name, RED, sea);
  };
  // The route through the course entries, dotted; reference lines instead when the race has them.
  g.setLineDash([3, 3]);
  g.beginPath();
  const path = race.refLines.length ? [] : race.route;
  path.forEach(([lat, lon], i) => {
    const [x, y] = toScreen(v, lat, lon);
    if (i === 0)
      g.moveTo(x, y);
    else
      g.lineTo(x, y);
  });
  g.strokeStyle = YELLOW;
  g.stroke();
  g.beginPath();
  for (const [la, lo, lb, lob] of race.refLines) {
    g.moveTo(...toScreen(v, la, lo));
    g.lineTo(...toScreen(v, lb, lob));
  }
  g.strokeStyle = RED;
  g.stroke();
  g.setLineDash([]);
  race.lines.forEach(([la, lo, lb, lob], i) => {
    if (lb !== 0) {
      g.strokeStyle = YELLOW;
      g.beginPath();
      g.moveTo(...toScreen(v, la, lo));
      g.lineTo(...toScreen(v, lb, lob));
      g.stroke();
    }
    symbol(la, lo, 'L' + (i + 1));
    if (lb !== 0) symbol(lb, lob, 'L' + (i + 1));
  });
  race.marks.forEach(([lat, lon], i) => symbol(lat, lon, 'MK' + (i + 1)));
}

// A boat's whole track in its colour; the boat in focus over a white band.
function drawTracks(g, v, race, focus) {
  const line = (boat) => {
    g.beginPath();
    let lastX = NaN, lastY = NaN;
    for (let i = 0; i < boat.lat.length; i++) {
      const [x, y] = toScreen(v, boat.lat[i], boat.lon[i]);
      if (Math.abs(x - lastX) < 0.5 && Math.abs(y - lastY) < 0.5) continue;
      if (i === 0)
        g.moveTo(x, y);
      else
        g.lineTo(x, y);
      lastX = x;
      lastY = y;
    }
  };
  g.lineWidth = 1;
  for (let b = race.boats.length - 1; b >= 0; b--) {
    if (b === focus) continue;
    g.globalAlpha = focus >= 0 ? 0.35 : 1;
    g.strokeStyle = race.boats[b].colour;
    line(race.boats[b]);
    g.stroke();
  }
  g.globalAlpha = 1;
  if (focus >= 0) {
    line(race.boats[focus]);
    g.strokeStyle = '#ffffff';
    g.lineWidth = 6;
    g.stroke();
    g.strokeStyle = race.boats[focus].colour;
    g.lineWidth = 2;
    g.stroke();
    g.lineWidth = 1;
  }
}

// The last moments of each boat's way as a short white wake of four points, as keelway draws it:
// the points lie further apart in time the smaller the scale.
function drawWakes(g, v, race, scene) {
  const step = 10000 / v.scale;
  g.strokeStyle = '#ffffff';
  g.fillStyle = '#ffffff';
  g.lineWidth = 1;
  race.boats.forEach((boat, b) => {
    const now = scene.at[b];
    if (!now) return;
    g.globalAlpha = scene.focus >= 0 && scene.focus !== b ? 0.35 : 1;
    g.beginPath();
    g.moveTo(...toScreen(v, now.lat, now.lon));
    for (let i = 1; i <= 3; i++) {
      const p = boatAt(race, boat, scene.clock - i * step);
      if (!p) break;
      const [x, y] = toScreen(v, p.lat, p.lon);
      g.lineTo(x, y);
      g.fillRect(Math.round(x) - 1, Math.round(y) - 1, 3, 3);
    }
    g.stroke();
  });
  g.globalAlpha = 1;
}

// The boats' names beside their hulls, under every hull as keelway draws them.
function drawNames(g, v, race, scene, sea) {
  for (let b = race.boats.length - 1; b >= 0; b--) {
    const p = scene.at[b];
    if (!p) continue;
    const boat = race.boats[b];
    const [x, y] = toScreen(v, p.lat, p.lon);
    const size = hullSize(v, boat);
    g.globalAlpha = scene.focus >= 0 && scene.focus !== b ? 0.35 : 1;
    label(g, Math.round(x + size / 4 + 7), Math.round(y - 6), boat.name, '#ffffff', sea);
  }
  g.globalAlpha = 1;
}

// A hull's length in CSS pixels: to scale, but never shorter than MIN_HULL.
function hullSize(v, boat) { return Math.max(MIN_HULL, (v.scale * boat.length) / 1852); }

// Hulls in the boats' colours, pointing along their course, the first boat on top.
function drawHulls(g, v, race, scene, outline) {
  const hull = race.hull;
  for (let b = race.boats.length - 1; b >= 0; b--) {
    const p = scene.at[b];
    if (!p) continue;
    const boat = race.boats[b];
    const [x, y] = toScreen(v, p.lat, p.lon);
    if (x < -50 || y < -50 || x > v.width + 50 || y > v.height + 50) continue;
    const size = hullSize(v, boat);
    const h = (p.course - v.turn) * DEGREE;
    const c = (Math.cos(h) * size) / 100;
    const s = (Math.sin(h) * size) / 100;
    g.globalAlpha = scene.focus >= 0 && scene.focus !== b ? 0.35 : 1;
    g.beginPath();
    for (let i = 0; i < 8; i++) {
      const [hx, hy] = hull[i];
      const px = x + hx * c - hy * s;
      const py = y + hx * s + hy * c;
      if (i === 0)
        g.moveTo(px, py);
      else
        g.lineTo(px, py);
    }
    g.closePath();
    g.fillStyle = boat.colour;
    g.fill();
    g.strokeStyle = outline;
    g.lineWidth = 1;
    g.stroke();
  }
  g.globalAlpha = 1;
}

// The race clock: large at the top before the start and just after it, then small at the bottom
// right; blue after the gun, red before it.
function drawClock(g, v, clock) {
  const text = clockText(clock);
  const background = clock > 0 ? '#0000ff' : RED;
  const big = clock <= 20;
  g.font = big ? 'bold 44px sans-serif' : 'bold 18px sans-serif';
  g.textBaseline = 'top';
  const w = g.measureText(text).width + 8;
  const hgt = big ? 50 : 24;
  const x = big ? Math.round(v.width / 2 - w / 2) : Math.round(v.width - w - 12);
  const y = big ? 12 : v.height - hgt - 6;
  g.fillStyle = background;
  g.fillRect(x, y, w, hgt);
  g.fillStyle = '#ffffff';
  g.fillText(text, x + 4, y + 3);
  g.font = FONT;
}

const FONT = '12px sans-serif';

// The chart behind the boats: sea, grid, coastline, course, and in the whole-course view the
// tracks. Kept while the view and the focus stay, so that a replay over the whole course does not
// draw every track in every frame.
const background = {
  key: '',
  canvas: null
};

function chartBackground(g, v, race, scene, brightness, ratio) {
  const key = [
    v.width, v.height, ratio, v.lat, v.lon, v.scale, v.turn, scene.still, scene.focus, brightness
  ].join();
  if (background.key !== key) {
    const canvas = background.canvas || document.createElement('canvas');
    canvas.width = Math.round(v.width * ratio);
    canvas.height = Math.round(v.height * ratio);
    const b = canvas.getContext('2d');
    b.setTransform(ratio, 0, 0, ratio, 0, 0);
    b.font = FONT;
    const sea = css(seaColour(brightness));
    b.fillStyle = sea;
    b.fillRect(0, 0, v.width, v.height);
    drawGrid(b, v, css(gridColour(brightness)));
    if (scene.still) drawTracks(b, v, race, scene.focus);
    drawCoast(b, v, race);
    drawCourse(b, v, race, sea);
    background.key = key;
    background.canvas = canvas;
  }
  g.drawImage(background.canvas, 0, 0, v.width, v.height);
}

// One frame. `scene`: race, view, clock, at (each boat's place or null), focus (boat index or -1),
// still (the whole-course view), names; `ratio` is the canvas's device pixels per CSS pixel.
function drawChart(g, scene, ratio) {
  const {race, view: v, clock} = scene;
  const brightness = daylight(race, clock);
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.font = FONT;
  chartBackground(g, v, race, scene, brightness, ratio);
  if (!scene.still) drawWakes(g, v, race, scene);
  if (scene.names) drawNames(g, v, race, scene, css(seaColour(brightness)));
  drawHulls(g, v, race, scene, brightness > 75 ? '#000000' : '#c0c0c0');
  drawClock(g, v, clock);
}
