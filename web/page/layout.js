// layout.js - the canvas drawn at the size it is shown, and the whole page
// on the whole screen. The canvas's shape and place are shell.html's CSS:
// square, as large as the screen allows.
import { byId, call, state } from './state.js';

// The program draws into the canvas's pixels one for one, at the size the
// canvas is shown on this screen (a phone's dense pixels too), through
// GLUT's reshape, as a window's new size comes on the desktop.
export function fitCanvas() {
  const side = state.side;
  if (side && Module.frames && side !== byId('canvas').width) call('_web_resize', side);
}

export function wireLayout() {
  // Watching the device pixels, it hears of a new pixel ratio too (the
  // browser's zoom, another screen).
  const canvas = byId('canvas');
  const sized = new ResizeObserver(([entry]) => {
    state.side = Math.round(entry.contentRect.width * devicePixelRatio);
    fitCanvas();
  });
  try {
    sized.observe(canvas, { box: 'device-pixel-content-box' });
  } catch {  // a browser that knows no device pixels
    sized.observe(canvas);
  }

  // The whole page on the whole screen, for a projector.
  const fullscreen = byId('fullscreen');
  if (document.fullscreenEnabled) {
    fullscreen.hidden = false;
    fullscreen.addEventListener('click', () =>
      (document.fullscreenElement ? document.exitFullscreen() : document.documentElement.requestFullscreen()).catch(() => {}));
    document.addEventListener('fullscreenchange', () => fullscreen.setAttribute('aria-pressed', !!document.fullscreenElement));
  }
}
