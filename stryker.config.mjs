// stryker.config.mjs - StrykerJS for the page's JavaScript, run by
// scripts/mutate for the .js files under web/ that a change touches. The
// page's JavaScript lives inside the built page, so a mutant is tried by
// building the page in Stryker's sandbox and holding it to the page test in
// headless Chromium (scripts/mutate --page-test), which tells the page which
// mutant is on. One at a time: the page test drives a browser of its own,
// and the machine has few cores.
/** @type {import('@stryker-mutator/api/core').PartialStrykerOptions} */
export default {
  testRunner: 'command',
  commandRunner: { command: 'bash scripts/mutate --page-test' },
  mutate: ['web/page/**/*.js'],
  coverageAnalysis: 'off',
  concurrency: 1,
  // On top of the page test's own time, measured in the first run.
  timeoutMS: 60000,
  // Builds and the page are made anew in the sandbox, not copied into it.
  ignorePatterns: ['/build*', '/out', '/Testing', '/.stryker-tmp', '/reports'],
  reporters: ['clear-text', 'progress'],
  tempDirName: '.stryker-tmp',
  cleanTempDir: 'always',
};
