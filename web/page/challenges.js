// challenges.js - challenges: a goal in words, the lab's calls to start
// from, and the places the cubes must reach, which the canvas shows as
// outlines. The program owns them (steps/challenges.h, page_bridge.cpp): it
// opens one from a link's text, holds the cubes at its angle, counts the
// changes, and says in each frame whether the cubes, as GL places them,
// stand where the target's do. The page lists them, opens one in the lab,
// says its goal and how it goes, and remembers in the browser which were
// solved.
import { byId, setText, state } from './state.js';
import { labCall, setEditing, showLabOn } from './lab.js';
import { showStep } from './steps.js';

// Solved challenges, by the parts of their links ("challenge=3"), kept by
// the browser for this page (where it keeps nothing, for the visit).
const kept = 'quenlade-solved';
let solved = [];
try {
  solved = JSON.parse(localStorage.getItem(kept)) || [];
} catch {
  solved = [];
}
function keep(list) {
  solved = [...new Set(list.filter((id) => typeof id === 'string'))];
  try {
    localStorage.setItem(kept, JSON.stringify(solved));
  } catch {  // storage refused: remembered while the page is open
  }
  showList();
}

const open = (parts) => labCall('web_lab_read', parts);

// The built-in ones, each a button with its goal, marked once solved.
let builtIn = [];
export function showList() {
  const said = state.said, list = byId('challenge-list');
  if (!builtIn.length) builtIn = JSON.parse(labCall('web_challenges') || '[]');
  const language = state.lang === 'en' ? 0 : 1;
  list.replaceChildren(...builtIn.map((c, i) => {
    const item = document.createElement('li'), button = document.createElement('button');
    button.textContent = c.goal[language];
    button.addEventListener('click', () => open(`&challenge=${i + 1}`));
    item.append(button);
    if (solved.includes(`challenge=${i + 1}`)) item.append(' ', Object.assign(document.createElement('span'), { className: 'done', textContent: said.solvedMark }));
    return item;
  }));
  setText(byId('challenges-count'), said.solvedCount(builtIn.filter((_, i) => solved.includes(`challenge=${i + 1}`)).length, builtIn.length));
}

// The challenge open, from the frame: its goal, and how it goes, said as it
// changes (#progress is a status). The first frame of one starts the steps
// at its last call, with the list as the lab.
export function showChallenge(challenge) {
  const was = state.challenge, said = state.said;
  state.challenge = challenge || null;
  byId('challenge-now').hidden = !challenge;
  // The lab's way back goes to the challenge's start, and the line that
  // says a lab is drawn gives way to the challenge's.
  byId('lab-reset').textContent = challenge ? said.startAgain : said.labReset;
  if (Boolean(was) !== Boolean(challenge)) showLabOn();
  if (!challenge) return;
  setText(byId('challenge-name'), challenge.number ? said.builtIn(challenge.number, builtIn.length)
    : challenge.seed !== null ? said.seeded(challenge.seed, challenge.level) : said.teachers);
  setText(byId('goal'), challenge.goal[state.lang === 'en' ? 0 : 1] || said.noGoal);
  setText(byId('progress'), challenge.solved ? said.solved(challenge.changes, challenge.fewest)
    : said.progress(challenge.changes, challenge.fewest));
  if (challenge.solved && !solved.includes(challenge.id)) keep([...solved, challenge.id]);
  if (!was || was.id !== challenge.id || state.step === 0)
    queueMicrotask(() => (showStep(1000), state.editing || setEditing(true)));  // outside the frame
}
// A teacher's own, from a lab whose calls are changed.
export const showMake = () => (byId('make').disabled = !state.changed || Boolean(state.challenge) || state.ended);

// Run, Space, or Leave: the lab stays as it is, the challenge goes.
export function leaveChallenge() {
  if (!state.challenge) return;
  labCall('web_challenge_close');
  showChallenge(null);
}

export function wireChallenges() {
  byId('leave').addEventListener('click', () => (leaveChallenge(), showStep(0)));
  byId('new-one').addEventListener('click', () => {
    const seed = byId('seed');
    if (!(seed.valueAsNumber >= 0 && seed.valueAsNumber <= 4294967295)) seed.value = Math.floor(Math.random() * 1e6);
    open(`&seed=${Math.floor(seed.valueAsNumber)}&level=${byId('level').value}`);
    seed.value = '';  // the next one new too; the link and the goal say this one's seed
  });
  byId('make').addEventListener('click', () => {
    const made = labCall('web_challenge_make', byId('goal-text').value);
    setText(byId('made'), made ? state.said.madeLink : state.said.solvedAtStart);
  });
  byId('forget').addEventListener('click', () => keep([]));
  byId('save').addEventListener('click', () => {
    const file = Object.assign(document.createElement('a'), { download: 'quenlade-solved.json',
      href: URL.createObjectURL(new Blob([JSON.stringify(solved)], { type: 'application/json' })) });
    file.click();
    URL.revokeObjectURL(file.href);
  });
  byId('load').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    try {
      const list = JSON.parse(await file.text());
      if (!Array.isArray(list)) throw new Error();
      keep([...solved, ...list]);
      setText(byId('made'), '');
    } catch {
      setText(byId('made'), state.said.notSolvedFile);
    }
    event.target.value = '';
  });
}
