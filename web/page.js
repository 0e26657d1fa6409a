// The replay page: the replay's state, the controls, the boat list and the ranking, the address
// fragment, and the frame loop.
//
// The fragment names a moment: #t=SECONDS (from the gun) opens the page paused there,
// #boat=FILE focuses the boat of that track file, #view=course shows the whole course; joined
// with & (#t=600&boat=j24-03.dtr). While paused the page writes the moment shown back into it.
//
// For tools and tests, every boat's row carries data-name, data-file, data-lat and data-lon
// (WGS84 degrees; empty while the boat is not on the water) of the clock shown, and the chart its
// view: data-centre-lat, data-centre-lon (degrees), data-scale (CSS pixels per minute of
// latitude), data-turn (the bearing up, degrees), data-cos-lat, data-box (x y width height of the
// chart in the page, CSS pixels) and data-focus (the file of the boat in focus); each row of the
// ranking its boat's data-file, data-rank and data-gap (seconds behind the winner).

// The speeds the window's speed bar offers: 1 to 10, tens to 100, hundreds to 1500.
const SPEEDS = [
  ...Array.from({length: 10}, (_, i) => i + 1),
  ...Array.from({length: 9}, (_, i) => (i + 2) * 10),
  ...Array.from({length: 14}, (_, i) => (i + 2) * 100),
];
const MIN_ZOOM = 0.05;
// A metre never takes more than this many CSS pixels, so that the thinned tracks' tenth of a
// metre stays within half a pixel.
const MAX_PIXELS_PER_METRE = 5;

const state = {
  race: null,
  clock: 0,
  playing: false,
  speed: 1,
  speedChosen: false,  // the user chose a speed: the gun no longer changes it
  still: false,        // the whole course instead of following the boats
  northUp: false,
  names: true,
  focus: -1,     // the boat in focus (index into race.boats), or -1
  zoom: 1,       // on top of the fitted scale
  baseScale: 1,  // the fitted scale of the last frame, CSS pixels per minute of latitude
  pan: [0, 0],   // minutes of arc added to the fitted centre
  at: [],        // each boat's place at the clock, or null
  view: null,
  dirty: true,
  lastTick: 0,
  finishersShown: -1,
  ready: false,  // set up: the address may now be rewritten
};

const $ = (id) => document.getElementById(id);
const canvas = $('chart');
const context = canvas.getContext('2d');

// ---- Drawing a frame

// Where the boats are at the clock and the view of the chart: the fitted centre and scale (or the
// boat in focus), moved and zoomed by the user. Called by every frame, and by the input handlers
// so that several events between two frames each start from the view they change.
function placeBoatsAndView() {
  const race = state.race;
  const width = canvas.clientWidth;
  const height = canvas.clientHeight;
  state.at = race.boats.map((boat) => boatAt(race, boat, state.clock));
  const base = state.still ? wholeCourse(race, width, height) :
                             fitFleet(race, state.at, state.clock, width, height);
  const followed = !state.still && state.focus >= 0 ? state.at[state.focus] : null;
  const lat = (followed ? followed.lat : base.lat) + state.pan[0];
  const lon = (followed ? followed.lon : base.lon) + state.pan[1];
  const most = MAX_PIXELS_PER_METRE * 1852;
  state.baseScale = Math.min(base.scale, most);
  const scale = Math.min(state.baseScale * state.zoom, most);
  const turn = state.northUp ? 0 : race.windward;
  state.view = makeView(width, height, lat, lon, scale, race.cosLat, turn);
}

function drawFrame() {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.round(canvas.clientWidth * ratio);
  const height = Math.round(canvas.clientHeight * ratio);
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  placeBoatsAndView();
  const scene = {
    race: state.race,
    view: state.view,
    clock: state.clock,
    at: state.at,
    focus: state.focus,
    still: state.still,
    names: state.names,
  };
  drawChart(context, scene, ratio);
  showView();
  showBoats();
  showRanking();
  showClock();
  state.dirty = false;
}

// The view on the chart element, for tools and tests.
function showView() {
  const v = state.view;
  const box = canvas.getBoundingClientRect();
  const d = canvas.dataset;
  d.centreLat = (v.lat / 60).toFixed(8);
  d.centreLon = (v.lon / 60).toFixed(8);
  d.scale = v.scale.toFixed(4);
  d.turn = String(v.turn);
  d.cosLat = String(state.race.cosLat);
  d.box = [box.left + scrollX, box.top + scrollY, box.width, box.height]
              .map((x) => x.toFixed(1))
              .join(' ');
  d.focus = state.focus >= 0 ? state.race.boats[state.focus].file : '';
}

function showBoats() {
  state.race.boats.forEach((boat, b) => {
    const row = boat.row;
    const p = state.at[b];
    row.dataset.lat = p ? (p.lat / 60).toFixed(7) : '';
    row.dataset.lon = p ? (p.lon / 60).toFixed(7) : '';
    row.classList.toggle('away', !p);
    row.classList.toggle('focused', b === state.focus);
    row.classList.toggle('dimmed', state.focus >= 0 && b !== state.focus);
    row.setAttribute('aria-pressed', b === state.focus ? 'true' : 'false');
    boat.speedCell.textContent =
        p ? knotsAt(state.race, boat, p.k).toFixed(1) + ' ' + say('knots') : '';
  });
}

// The ranking grows as the clock passes each boat's finish, as the window's list does.
function showRanking() {
  const race = state.race;
  const finished = (boat) => boat.finish !== null && boat.finish <= state.clock;
  const rows = race.ranking.filter((r) => finished(race.boats[r.boat - 1]));
  if (rows.length === state.finishersShown) return;
  state.finishersShown = rows.length;
  const list = $('ranking');
  list.replaceChildren(
      ...rows.map((r) => {
        const boat = race.boats[r.boat - 1];
        const item = document.createElement('li');
        item.style.setProperty('--boat', boat.colour);
        item.dataset.file = boat.file;
        item.dataset.rank = String(r.rank);
        item.dataset.gap = String(r.gap);
        item.textContent = `${r.rank}  ${boat.name}  (+${r.gap}${say('gapUnit')})`;
        return item;
      }),
  );
  let note = '';
  if (race.lines.length === 0)
    note = say('noCourse');
  else if (rows.length === 0)
    note = say('noFinish');
  $('ranking-note').textContent = note;
}

function showClock() {
  const race = state.race;
  $('race-clock').textContent = clockText(state.clock);
  $('race-clock').classList.toggle('before-gun', state.clock <= 0);
  $('time-of-day').textContent = timeOfDayText(race, state.clock);
  const slider = $('slider');
  // The slider under the user's finger follows the finger, not the clock.
  if (!slider.matches(':active')) slider.value = String(state.clock);
  $('play').textContent = state.playing ? '❚❚' : '▶';
  $('play').title = say(state.playing ? 'pause' : 'play');
  $('play').setAttribute('aria-label', say(state.playing ? 'pause' : 'play'));
}

// ---- The replay

function tick(now) {
  if (state.playing) {
    // A hidden tab's long pause does not jump the race forward.
    const seconds = state.lastTick ? Math.min(0.25, (now - state.lastTick) / 1000) : 0;
    advance(seconds * state.speed);
  }
  state.lastTick = now;
  if (state.dirty || state.playing) drawFrame();
  requestAnimationFrame(tick);
}

function advance(seconds) {
  const race = state.race;
  const before = state.clock;
  setClock(before + seconds);
  // At the gun the replay changes from the pre-start speed to the race speed, unless the user
  // chose one.
  if (before < 0 && state.clock >= 0 && !state.speedChosen) setSpeed(race.raceSpeed);
  if (state.clock >= race.clockLast) pause();
}

function setClock(t) {
  const race = state.race;
  state.clock = Math.min(race.clockLast, Math.max(race.clockFirst, t));
  state.dirty = true;
}

function play() {
  if (state.clock >= state.race.clockLast) setClock(state.race.clockFirst);
  state.playing = true;
  state.dirty = true;
}

function pause() {
  state.playing = false;
  state.dirty = true;
  writeFragment();
}

function setSpeed(speed) {
  state.speed = speed;
  $('speed').value = String(speed);
}

function focusBoat(b) {
  state.focus = b;
  // A boat in focus is followed: back to the following map, centred on the boat.
  if (b >= 0 && state.still) setStill(false);
  state.pan = [0, 0];
  state.dirty = true;
  writeFragment();
}

function setStill(still) {
  state.still = still;
  state.pan = [0, 0];
  state.zoom = 1;
  $('mode').textContent = say(still ? 'whole' : 'follow');
  $('mode').setAttribute('aria-pressed', still ? 'true' : 'false');
  state.dirty = true;
  writeFragment();
}

function setNorthUp(northUp) {
  state.northUp = northUp;
  $('orientation').textContent = say(northUp ? 'northUp' : 'windUp');
  $('orientation').setAttribute('aria-pressed', northUp ? 'true' : 'false');
  state.dirty = true;
}

// ---- The address fragment: #t=SECONDS&boat=FILE

function readFragment(hash) {
  const values = {};
  for (const part of hash.replace(/^#/, '').split('&')) {
    const at = part.indexOf('=');
    if (at <= 0) continue;
    try {
      values[part.slice(0, at)] = decodeURIComponent(part.slice(at + 1));
    } catch {
      // A malformed escape names nothing.
    }
  }
  return values;
}

// Applies the fragment; true when it set the clock.
function applyFragment(hash) {
  const values = readFragment(hash);
  const boats = state.race.boats;
  if ('boat' in values) {
    const file = values.boat;
    let b = boats.findIndex((boat) => boat.file === file);
    if (b < 0) b = boats.findIndex((boat) => boat.file.toLowerCase() === file.toLowerCase());
    if (b >= 0) focusBoat(b);
  }
  if (values.view === 'course') setStill(true);
  const t = Number(values.t);
  if ('t' in values && values.t !== '' && Number.isFinite(t)) {
    setClock(t);
    state.playing = false;
    return true;
  }
  return false;
}

// While paused, the address names the moment shown, so that it can be passed on.
function writeFragment() {
  if (state.playing || !state.ready) return;
  let hash = '#t=' + Math.round(state.clock);
  if (state.focus >= 0) hash += '&boat=' + encodeURIComponent(state.race.boats[state.focus].file);
  if (state.still) hash += '&view=course';
  if (location.hash === hash) return;
  try {
    history.replaceState(null, '', hash);
  } catch {
    // Some browsers refuse to rewrite the address of a page opened from a file; nothing is lost.
  }
}

// ---- Setting up

// The boats grouped by class, each group under its class's name; boats of no declared class
// last, under no name.
function boatGroups(race) {
  const all = race.boats.map((boat, b) => ({boat, b}));
  if (!race.classes.length) return [{name: '', members: all}];
  const inClass = (c) => all.filter((m) => m.boat.classIndex === c);
  const groups = race.classes.map((name, i) => ({name, members: inClass(i + 1)}));
  const others =
      all.filter((m) => m.boat.classIndex < 1 || m.boat.classIndex > race.classes.length);
  if (others.length) groups.push({name: '', members: others});
  return groups;
}

// A boat's row in the boat list, in the boat's colour; a click or Enter focuses the boat, or
// ends its focus.
function boatRow(boat, b) {
  const row = document.createElement('li');
  row.className = 'boat';
  row.tabIndex = 0;
  row.setAttribute('role', 'button');
  row.dataset.name = boat.name;
  row.dataset.file = boat.file;
  row.dataset.lat = '';
  row.dataset.lon = '';
  row.style.setProperty('--boat', boat.colour);
  const name = document.createElement('span');
  name.className = 'name';
  name.textContent = boat.name;
  const speed = document.createElement('span');
  speed.className = 'sog';
  row.append(name, speed);
  const toggle = () => focusBoat(state.focus === b ? -1 : b);
  row.addEventListener('click', toggle);
  row.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') toggle();
  });
  boat.row = row;
  boat.speedCell = speed;
  return row;
}

function buildBoatList(race) {
  const list = $('boat-list');
  for (const group of boatGroups(race)) {
    if (group.name) {
      const heading = document.createElement('li');
      heading.className = 'class-row';
      heading.textContent = group.name;
      list.append(heading);
    }
    for (const m of group.members) list.append(boatRow(m.boat, m.b));
  }
}

function buildControls(race) {
  const speeds = [...new Set([...SPEEDS, race.raceSpeed, race.preStartSpeed])]
                     .filter((s) => s > 0)
                     .sort((a, b) => a - b);
  $('speed').replaceChildren(
      ...speeds.map((s) => {
        const option = document.createElement('option');
        option.value = String(s);
        option.textContent = '×' + s;
        return option;
      }),
  );
  setSpeed(race.preStartSpeed);
  $('speed').addEventListener('change', () => {
    state.speed = Number($('speed').value);
    state.speedChosen = true;
  });
  const slider = $('slider');
  slider.min = String(race.clockFirst);
  slider.max = String(race.clockLast);
  slider.step = '1';
  slider.addEventListener('input', () => setClock(Number(slider.value)));
  slider.addEventListener('change', writeFragment);
  // The gun's place on the time line.
  const span = race.clockLast - race.clockFirst;
  const gun = span > 0 ? (0 - race.clockFirst) / span : 0;
  $('gun-mark').style.setProperty('--at', String(Math.min(1, Math.max(0, gun))));
  $('gun-mark').hidden = !(gun >= 0 && gun <= 1);
  $('play').addEventListener('click', () => (state.playing ? pause() : play()));
  $('mode').addEventListener('click', () => setStill(!state.still));
  $('orientation').addEventListener('click', () => setNorthUp(!state.northUp));
  $('names').addEventListener('change', () => {
    state.names = $('names').checked;
    state.dirty = true;
  });
  $('reset-view').addEventListener('click', resetView);
}

function resetView() {
  state.zoom = 1;
  state.pan = [0, 0];
  state.dirty = true;
}

// What the pointer and the keys do on the chart.
const chartInput = {
  panBy(from, to) {
    const a = toChart(state.view, from[0], from[1]);
    const b = toChart(state.view, to[0], to[1]);
    state.pan = [state.pan[0] + a[0] - b[0], state.pan[1] + a[1] - b[1]];
    placeBoatsAndView();
    state.dirty = true;
  },
  // Zooms by `factor` keeping the point under (x, y) where it is, within MIN_ZOOM of the fitted
  // scale and MAX_PIXELS_PER_METRE.
  zoomAt(x, y, factor) {
    const v = state.view;
    const scale = Math.min(
        Math.max(v.scale * factor, state.baseScale * MIN_ZOOM), MAX_PIXELS_PER_METRE * 1852);
    const f = scale / v.scale;
    const [lat, lon] = toChart(v, x, y);
    state.pan[0] += lat + (v.lat - lat) / f - v.lat;
    state.pan[1] += lon + (v.lon - lon) / f - v.lon;
    state.zoom = scale / state.baseScale;
    placeBoatsAndView();
    state.dirty = true;
  },
  pick(x, y) {
    let best = -1;
    let bestDistance = 16;
    state.at.forEach((p, b) => {
      if (!p) return;
      const [bx, by] = toScreen(state.view, p.lat, p.lon);
      const d = Math.hypot(bx - x, by - y);
      if (d < bestDistance) [best, bestDistance] = [b, d];
    });
    if (best >= 0) focusBoat(state.focus === best ? -1 : best);
  },
  reset: resetView,
  togglePlay: () => (state.playing ? pause() : play()),
  step(seconds) {
    setClock(state.clock + seconds);
    if (!state.playing) writeFragment();
  },
};

function applyCaptions() {
  document.documentElement.lang = LANGUAGE;
  for (const element of document.querySelectorAll('[data-caption]'))
    element.textContent = say(element.dataset.caption);
  for (const element of document.querySelectorAll('[data-tip]')) {
    element.title = say(element.dataset.tip);
    element.setAttribute('aria-label', say(element.dataset.tip));
  }
  for (const element of document.querySelectorAll('[data-label]'))
    element.setAttribute('aria-label', say(element.dataset.label));
}

function setUp(race) {
  state.race = race;
  state.clock = race.clockFirst;
  $('caption').textContent = race.caption;
  $('caption2').textContent = race.caption2;
  $('mode-note').textContent = '(' + say(race.corrected ? 'corrected' : 'elapsed') + ')';
  buildBoatList(race);
  buildControls(race);
  setStill(false);
  setNorthUp(race.northUp);
  // Without a moment named in the address, the replay plays from the beginning.
  state.playing = !applyFragment(location.hash);
  addEventListener('hashchange', () => applyFragment(location.hash));
  bindChartInput(canvas, chartInput);
  bindKeys(chartInput);
  new ResizeObserver(() => {
    state.dirty = true;
  }).observe(canvas);
  drawFrame();
  state.ready = true;
  document.body.dataset.ready = '1';
  requestAnimationFrame(tick);
}

function showFailure(error) {
  const failure = $('failure');
  failure.textContent = say('failed') + error.message;
  failure.hidden = false;
  document.body.dataset.error = error.message;
}

applyCaptions();
readRace().then(setUp).catch(showFailure);
