// eslint.config.js - ESLint's rules for the project's JavaScript, which
// scripts/lint checks: the recommended rules; the page's modules (web/page/)
// run in the browser, in front of the program that emscripten builds; the
// test, tools and bench run in Node and drive the page in headless Chromium.
import js from '@eslint/js';
import globals from 'globals';

// emcc's own pass over the page's script (JSDCE, emscripten 3.1.6) removes
// a destructuring declaration as unused unless its value may have side
// effects (reads a property, calls something): `const { side } = state`
// vanishes and leaves `side` undefined. So in the page, destructure only
// what a property or a call gives.
const droppedByEmcc = {
  selector: 'VariableDeclarator[id.type=/Pattern$/]:not([init.type=/^(CallExpression|MemberExpression|AwaitExpression)$/])',
  message: 'emcc (JSDCE) drops this declaration: destructure only a property or a call\'s result, or read the properties one by one',
};

export default [
  { ignores: ['build*/', 'out/', 'node_modules/'] },
  js.configs.recommended,
  {
    files: ['web/page/**/*.js'],
    languageOptions: { globals: { ...globals.browser, Module: 'readonly' } },
    rules: { 'no-restricted-syntax': ['error', droppedByEmcc] },
  },
  {
    files: ['**/*.mjs', 'eslint.config.js'],
    languageOptions: { globals: globals.node },
  },
  {
    // What these hand to page.evaluate and its kin runs in the page: the
    // browser's names, the program's Module, the canvas by its id, and
    // axe-core once the test has added it.
    files: ['tests/web/*.mjs', 'tools/page_pictures.mjs', 'bench/page.mjs'],
    languageOptions: { globals: { ...globals.browser, Module: 'readonly', canvas: 'readonly', axe: 'readonly' } },
  },
];
