// units_test.mjs - the page's rules that need no browser, in Node: the
// character a key event gives the program (the desktop's X server's), the
// language a browser's languages and the link choose, and the numbers in
// each language. Each row's value is the desktop's or the README's, written
// out, not worked out as the page does.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { characterOf } from '../../web/page/keys.js';
import { chooseLanguage, showNumber } from '../../web/page/words.js';
import { cardNumber } from '../../web/page/steps.js';
import { state } from '../../web/page/state.js';

// A key event as a browser makes it: its key, Ctrl, Alt, and AltGr held.
const event = (key, { ctrl = false, alt = false, altGraph = false } = {}) =>
  ({ key, ctrlKey: ctrl, altKey: alt, getModifierState: (name) => name === 'AltGraph' && altGraph });

test('a key gives the character the desktop\'s X server gives for it, or none', () => {
  for (const [key, modifiers, character] of [
    ['x', {}, 120], ['X', {}, 88], [' ', {}, 32], ['é', {}, 233], ['ÿ', {}, 255], ['€', {}, null], ['!', {}, 33],
    ['Enter', {}, 13], ['Escape', {}, 27], ['Backspace', {}, 8], ['Delete', {}, 127],
    ['ArrowRight', {}, null], ['ArrowLeft', {}, null], ['F1', {}, null], ['Shift', {}, null], ['Tab', {}, null],
    ['x', { alt: true }, 120],
    // Ctrl: a letter's control character, and the digits and signs X maps.
    ['x', { ctrl: true }, 24], ['X', { ctrl: true }, 24], ['a', { ctrl: true }, 1], ['[', { ctrl: true }, 27],
    ['@', { ctrl: true }, 0], [' ', { ctrl: true }, 0], ['2', { ctrl: true }, 0], ['3', { ctrl: true }, 27],
    ['4', { ctrl: true }, 28], ['5', { ctrl: true }, 29], ['6', { ctrl: true }, 30], ['7', { ctrl: true }, 31],
    ['8', { ctrl: true }, 127], ['/', { ctrl: true }, 31], ['1', { ctrl: true }, 49], ['9', { ctrl: true }, 57],
    ['Escape', { ctrl: true }, 27], ['Delete', { ctrl: true }, 127], ['é', { ctrl: true }, 233],
    // AltGr comes as Ctrl and Alt on some systems: its character as it is.
    ['@', { ctrl: true, alt: true, altGraph: true }, 64], ['x', { ctrl: true, alt: true }, 24],
  ])
    assert.equal(characterOf(event(key, modifiers)), character, `${JSON.stringify(key)} with ${JSON.stringify(modifiers)}`);
});

test('the language: the link\'s, else the browser\'s first that the page speaks, else English', () => {
  for (const [search, languages, lang] of [
    ['', ['pt-BR', 'en'], 'pt-BR'], ['', ['pt-PT'], 'pt-BR'], ['', ['pt'], 'pt-BR'], ['', ['PT-br'], 'pt-BR'],
    ['', ['de-DE', 'en-GB'], 'en'], ['', ['fr'], 'en'], ['', [], 'en'], ['', ['fr-FR', 'pt-BR', 'en'], 'pt-BR'],
    ['', ['fr-FR', 'en-US', 'pt-BR'], 'en'], ['', ['ptx', 'english'], 'en'],
    ['?lang=pt-BR', ['en-US'], 'pt-BR'], ['?lang=en', ['pt-BR'], 'en'], ['?lang=xx', ['pt-BR'], 'pt-BR'],
    ['?x=1&lang=pt-BR', ['fr'], 'pt-BR'], ['?lang=', ['fr', 'pt'], 'pt-BR'],
  ])
    assert.equal(chooseLanguage(search, languages), lang, `${search || 'no link'}, languages ${languages}`);
});

test('numbers follow the language: 0.71 in English, 0,71 in Portuguese, two decimals on the cards', () => {
  for (const [lang, v, said, onCard] of [
    ['en', 0.70710678, '0.71', '0.71'], ['pt-BR', 0.70710678, '0,71', '0,71'], ['pt-BR', -0.70710678, '-0,71', '-0,71'],
    ['en', 1.69, '1.69', '1.69'], ['pt-BR', 1.69, '1,69', '1,69'], ['pt-BR', 8.1, '8,1', '8,10'], ['en', 2.9, '2.9', '2.90'],
    ['pt-BR', 1, '1', '1,00'], ['en', 0, '0', '0.00'], ['pt-BR', -0.001, '0', '0,00'], ['en', -0.004, '0', '0.00'],
    ['en', 1.5, '1.5', '1.50'], ['pt-BR', 2.5, '2,5', '2,50'],
  ]) {
    state.lang = lang;
    assert.deepEqual([showNumber(v), cardNumber(v)], [said, onCard], `${v} in ${lang}`);
  }
});
