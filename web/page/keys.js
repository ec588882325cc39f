// keys.js - the keys: the character a key event gives the program, as the
// desktop's X server would; the buttons that type the program's keys; and
// the keys that stay the page's (Tab, Enter on a control, the arrows and a
// clicker's pages for the steps, the browser's own shortcuts).
import { byId, call, state } from './state.js';
import { back, next, showStep } from './steps.js';
import { leaveChallenge } from './challenges.js';

// The character a key gives, as the desktop's X server gives it: the one
// the browser reports (Caps Lock, Shift and AltGr layouts included) if it
// fits one byte, Latin-1; with Ctrl, the control character of X's rules
// (Ctrl+X is 24); the named keys that are characters. Null for the keys
// that give none: arrows, function keys, Shift alone.
const named = { Enter: 13, Escape: 27, Backspace: 8, Delete: 127 };
export function characterOf(event) {
  let c = [...event.key].length === 1 ? event.key.codePointAt(0) : named[event.key];
  if (c === undefined || c > 255) return null;
  if (event.ctrlKey && !event.getModifierState('AltGraph')) {
    if ((c >= 64 && c < 127) || c === 32) c &= 31;
    else if (c === 50) c = 0;                // 2
    else if (c >= 51 && c <= 55) c -= 24;    // 3 to 7: 27 to 31
    else if (c === 56) c = 127;              // 8
    else if (c === 47) c = 31;               // /
  }
  return c;
}

// Hands the program one character through its own keyboard function, as
// the desktop's GLUT does. Space switches the mode, and with it the calls:
// stepping starts again at the first.
export function press(character) {
  if (character === 32) leaveChallenge();  // the other mode's calls are not the challenge's
  call('_web_key', character);
  if (character === 32 && state.step > 0) showStep(1);
}

export function wireKeys() {
  // Keys typed anywhere on the page go to the program, as keys typed into
  // its window do on the desktop; but Tab moves between the controls, Enter
  // and Space on one press it, the arrows (and while stepping Page Up and
  // Page Down, as a presenter's clicker sends them) walk through the steps,
  // and the browser keeps its own shortcuts.
  const walk = { ArrowRight: next, ArrowLeft: back }, clicker = { PageDown: next, PageUp: back };
  window.addEventListener('keydown', (event) => {
    if (event.key === 'Tab' || event.metaKey || event.isComposing) return;
    if (['number', 'text'].includes(event.target.type) || event.target.tagName === 'TEXTAREA') return;  // typing a number, a goal, or the C
    const go = walk[event.key] || (state.step > 0 && clicker[event.key]);
    if (go) {
      event.preventDefault();
      return go();
    }
    if (['BUTTON', 'INPUT', 'A', 'SUMMARY'].includes(event.target.tagName) && (event.key === 'Enter' || event.key === ' ')) return;
    const character = characterOf(event);
    if (character === null) return;
    if (!event.ctrlKey && !event.altKey) event.preventDefault();  // Space would scroll
    press(character);
  });

  for (const button of byId('keys').querySelectorAll('button[data-key]'))
    button.addEventListener('click', () => press(Number(button.dataset.key)));
  // A control clicked with the mouse leaves the keyboard where it was, so
  // that Space after a click on X is the program's Space, not a second X.
  for (const control of document.querySelectorAll('button, label, a, summary'))
    control.addEventListener('mousedown', (event) => event.preventDefault());
}
