// Input on the chart and the keys: the wheel zooms about the pointer, a drag pans, two fingers
// pinch and pan, a click (a press without a drag) picks the boat under it, a double click puts
// the view back. What the input means is the page's: it arrives through the handlers `on`.

// Pixels a press may move and still count as a click.
const CLICK_SLOP = 6;

function bindChartInput(canvas, on) {
  const pointers = new Map();  // pointer id -> [x, y] in CSS pixels of the canvas
  let travelled = 0;

  canvas.addEventListener(
      'wheel',
      (e) => {
        e.preventDefault();
        // Lines or pages of scrolling count as about 40 pixels each.
        const pixels = e.deltaMode === 0 ? e.deltaY : e.deltaY * 40;
        on.zoomAt(e.offsetX, e.offsetY, Math.exp(-pixels * 0.0015));
      },
      {passive: false},
  );

  canvas.addEventListener('pointerdown', (e) => {
    canvas.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, [e.offsetX, e.offsetY]);
    if (pointers.size === 1) travelled = 0;
    canvas.classList.add('dragging');
  });

  canvas.addEventListener('pointermove', (e) => {
    const before = pointers.get(e.pointerId);
    if (!before) return;
    const now = [e.offsetX, e.offsetY];
    if (pointers.size === 1) {
      on.panBy(before, now);
      travelled += Math.hypot(now[0] - before[0], now[1] - before[1]);
    } else if (pointers.size === 2) {
      const other = [...pointers.entries()].find(([id]) => id !== e.pointerId)[1];
      const gapBefore = Math.hypot(before[0] - other[0], before[1] - other[1]);
      const gapNow = Math.hypot(now[0] - other[0], now[1] - other[1]);
      const midBefore = [(before[0] + other[0]) / 2, (before[1] + other[1]) / 2];
      const midNow = [(now[0] + other[0]) / 2, (now[1] + other[1]) / 2];
      on.panBy(midBefore, midNow);
      if (gapBefore > 0 && gapNow > 0) on.zoomAt(midNow[0], midNow[1], gapNow / gapBefore);
      travelled = Infinity;  // a pinch is never a click
    }
    pointers.set(e.pointerId, now);
  });

  const release = (e) => {
    if (!pointers.delete(e.pointerId)) return;
    if (pointers.size === 0) {
      canvas.classList.remove('dragging');
      if (e.type === 'pointerup' && travelled < CLICK_SLOP) on.pick(e.offsetX, e.offsetY);
    }
  };
  canvas.addEventListener('pointerup', release);
  canvas.addEventListener('pointercancel', release);
  canvas.addEventListener('dblclick', () => on.reset());
}

// Space plays and pauses; the arrows step the clock by 10 s (a minute with Shift). Keys typed
// into a form control stay the control's.
function bindKeys(on) {
  document.addEventListener('keydown', (e) => {
    const tag = e.target && e.target.tagName;
    if (tag === 'INPUT' || tag === 'SELECT' || tag === 'TEXTAREA' || e.altKey || e.ctrlKey ||
        e.metaKey)
      return;
    if (e.key === ' ') {
      e.preventDefault();
      on.togglePlay();
    } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
      e.preventDefault();
      on.step((e.key === 'ArrowLeft' ? -1 : 1) * (e.shiftKey ? 60 : 10));
    }
  });
}
