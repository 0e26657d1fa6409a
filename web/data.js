// The race the page carries: its facts (JSON) and its positions (packed whole numbers, deflated,
// in base64), and where each boat is at a clock time. keelway-cli html writes both; the packed
// layout is described in src/output/html_tracks.h.

// Reads the race from the page's two data elements. Positions are minutes of arc, times seconds
// from the gun, as in keelway.
async function readRace() {
  const race = JSON.parse(document.getElementById('race-facts').textContent);
  const text = document.getElementById('race-positions').textContent.replace(/\s+/g, '');
  unpackPositions(race, await inflate(base64Bytes(text)));
  return race;
}

function base64Bytes(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The browser's own zlib reader: no library travels with the page.
async function inflate(bytes) {
  if (typeof DecompressionStream !== 'function') throw new Error(say('oldBrowser'));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// Reads varints (7 bits a byte, low bits first) and zig-zag signed numbers. Arithmetic rather
// than bit operations: JavaScript's bit operations stop at 32 bits.
class PackedReader {
  constructor(bytes) {
    this.bytes = bytes;
    this.at = 0;
  }

  unsigned() {
    let value = 0;
    let scale = 1;
    let byte;
    do {
      if (this.at >= this.bytes.length) throw new Error('the packed positions end early');
      byte = this.bytes[this.at++];
      value += (byte & 0x7f) * scale;
      scale *= 128;
    } while (byte & 0x80);
    return value;
  }

  signed() {
    const u = this.unsigned();
    return u % 2 ? -(u + 1) / 2 : u / 2;
  }

  // n values, each written as the step from the one before, in `unit`s from `origin`.
  column(n, origin, unit) {
    const values = new Float64Array(n);
    let sum = 0;
    for (let i = 0; i < n; i++) {
      sum += this.signed();
      values[i] = origin + sum * unit;
    }
    return values;
  }
}

function unpackPositions(race, bytes) {
  const reader = new PackedReader(bytes);
  const format = reader.unsigned();
  if (format !== 1) throw new Error('packed positions of an unknown format ' + format);
  const [lat0, lon0] = race.centre;
  const unit = race.positionUnit;
  const count = reader.unsigned();
  if (count !== race.boats.length) throw new Error('packed positions for another fleet');
  for (const boat of race.boats) {
    const n = reader.unsigned();
    boat.time = reader.column(n, 0, race.timeUnit);
    boat.lat = reader.column(n, lat0, unit);
    boat.lon = reader.column(n, lon0, unit);
    boat.rising = boat.time.every((t, i) => i === 0 || t >= boat.time[i - 1]);
  }
  race.coast = [];
  const lines = reader.unsigned();
  for (let l = 0; l < lines; l++) {
    const m = reader.unsigned();
    race.coast.push({lat: reader.column(m, lat0, unit), lon: reader.column(m, lon0, unit)});
  }
}

// The sample pair k with time[k] <= t < time[k + 1] that keelway takes (the first one), or -1.
function samplePair(boat, t) {
  const time = boat.time;
  const n = time.length;
  if (n < 2) return -1;
  if (boat.rising) {
    if (!(time[0] <= t && t < time[n - 1])) return -1;
    let lo = 0;
    let hi = n - 1;
    while (hi - lo > 1) {
      const mid = (lo + hi) >> 1;
      if (time[mid] <= t)
        lo = mid;
      else
        hi = mid;
    }
    return lo;
  }
  // A logger whose clock stepped back: the first pair from the start, as keelway searches.
  for (let k = 0; k + 1 < n; k++)
    if (time[k] <= t && t < time[k + 1]) return k;
  return -1;
}

// Degrees clockwise from north of the run from sample k to k + 1; a boat that did not move
// keeps the course it had.
function courseFrom(boat, k, cosLat) {
  for (let j = k; j >= 0; j--) {
    const north = boat.lat[j + 1] - boat.lat[j];
    const east = (boat.lon[j + 1] - boat.lon[j]) * cosLat;
    if (north !== 0 || east !== 0) {
      const degrees = (Math.atan2(east, north) * 180) / Math.PI;
      return degrees < 0 ? degrees + 360 : degrees;
    }
  }
  return 0;
}

// The speed at sample pair k, knots: the way sailed from the sample before the pair to the one
// after it over the time taken, as keelway smooths a logger's jitter.
function knotsAt(race, boat, k) {
  const a = Math.max(0, k - 1);
  const z = Math.min(boat.time.length - 1, k + 2);
  let metres = 0;
  for (let i = a; i < z; i++)
    metres +=
        Math.hypot(boat.lat[i + 1] - boat.lat[i], (boat.lon[i + 1] - boat.lon[i]) * race.cosLat) *
        1852;
  const seconds = boat.time[z] - boat.time[a];
  return seconds > 0 ? (metres / seconds) * (3600 / 1852) : 0;
}

// Where a boat is at clock t: position (minutes of arc), course (degrees) and its
// sample pair; null when it is not on the water then (before its first fix, after its last, or
// inside a gap too long to bridge).
function boatAt(race, boat, t) {
  const k = samplePair(boat, t);
  if (k < 0) return null;
  const span = boat.time[k + 1] - boat.time[k];
  if (span > race.maxGap) return null;
  const f = span > 0 ? (t - boat.time[k]) / span : 0;
  return {
    lat: boat.lat[k] + (boat.lat[k + 1] - boat.lat[k]) * f,
    lon: boat.lon[k] + (boat.lon[k + 1] - boat.lon[k]) * f,
    course: courseFrom(boat, k, race.cosLat),
    k,
  };
}

// The race clock as keelway shows it: seconds up to 59, then mm:ss up to 50 minutes, then
// h:mm:ss; a minus sign before the gun.
function clockText(clock) {
  const n = Math.abs(Math.round(clock));
  const sign = clock < 0 && n > 0 ? '−' : '';
  const two = (v) => String(v).padStart(2, '0');
  if (n <= 59) return sign + n;
  if (n <= 3000) return sign + two(Math.floor(n / 60)) + ':' + two(n % 60);
  return sign + Math.floor(n / 3600) + ':' + two(Math.floor(n / 60) % 60) + ':' + two(n % 60);
}

// The local time of day at clock t, "hh:mm:ss".
function timeOfDayText(race, clock) {
  const day = 86400;
  const s = (((Math.round(race.sun[2] + clock) % day) + day) % day);
  const two = (v) => String(v).padStart(2, '0');
  return two(Math.floor(s / 3600)) + ':' + two(Math.floor(s / 60) % 60) + ':' + two(s % 60);
}
