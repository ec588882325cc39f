// words.js - the page's own words, in English and Brazilian Portuguese, and
// the choice between them. shell.html holds the English of the fixed ones
// (data-t: the content, data-a: aria-label), read from it at the start; here
// the Portuguese, and the words made up as the page runs. The program's own
// words (its label, its report lines, the GL calls) stay as they are in both.
import { state } from './state.js';

// 6; 2 and 3; 2, 3 and 4.
const listed = (numbers, and) => (numbers.length > 1 ? `${numbers.slice(0, -1).join(', ')} ${and} ${numbers.at(-1)}` : `${numbers[0]}`);

export const words = {
  en: {
    running: 'The cubes are turning.',
    scene: (label, eye) => `Mode ${label}; the eye at ${eye}.`,
    step: (n, count, call, origin, x, depth) => `Step ${n} of ${count}, ${call}: the frame's origin is at ${origin}; ` +
      `its x axis points along ${x}; ${words.en.depth(depth)}`,
    depth: (d) => `${d} ${d === 1 ? 'matrix' : 'matrices'} on the stack`,
    depthWord: 'depth',  // in the canvas's caption, before the stack's depth
    vector: (v) => v.join(', '),
    stepper: ['Steps', 'stop and step', 'Run', 'leave the steps'],
    heads: ['x axis', 'y axis', 'z axis', 'origin'], row: 'row',
    // What made a matrix what it is, from the frame's story of it: the
    // push that copied it or the view, then the calls that changed it.
    story: (from, changed) => `${from ? `pushed by call ${from}` : 'set by gluLookAt'}${changed.length
      ? `, then changed by ${changed.length === 1 ? 'call' : 'calls'} ${listed(changed, 'and')}` : ''}`,
    matrix: (i, story, last) => `Matrix ${i}, ${story}${last ? ': the current one, on top' : ''}`,
    ghost: (i, story, n) => `Matrix ${i}, ${story}, popped by call ${n}: the ghost`,
    ended: (code) => `Quenlade has ended (Esc, status ${code}).`,
    noWebGL: 'Quenlade draws with WebGL, which this browser lacks or has turned off.',
    tooOld: 'This browser is too old for Quenlade: it needs Chrome or Edge 108, Firefox 113, Safari 16.4 or later.',
    args: { glRotatef: ['angle', 'axis x', 'axis y', 'axis z'], glTranslatef: ['x', 'y', 'z'], glutSolidCube: ['size'] },
    arg: (what, n) => `${what} of call ${n}`, made: (n) => `Call ${n} made`, swap: (n) => `Swap call ${n} with call ${n + 1}`,
    glError: 'error',
    unreadable: 'The calls after # in this page\'s address could not be read; it shows the program\'s own frame. Where:',
    copied: 'Copied: paste it into on_display.',
    labOn: 'A lab: these cubes follow changed calls, not the program\'s own.',
    labBack: 'Back to the program\'s calls',
    selected: 'Selected: copy it (Ctrl+C) and paste it into on_display.',
    solvedMark: '✓ solved', solvedCount: (n, count) => `(${n} of ${count} solved)`,
    builtIn: (n, count) => `Challenge ${n} of ${count}`, seeded: (seed, level) => `Seed ${seed}, level ${level}`,
    teachers: 'A challenge of your own', startAgain: 'Start the challenge again', noGoal: 'Make the cubes stand in their outlines.',
    // changes < 0: opened with calls of a link's, the changes not known.
    progress: (changes, fewest) => `${changes < 0 ? 'Changes counted once started again'
      : `${changes} ${changes === 1 ? 'change' : 'changes'} so far`}${fewest ? `; it can be done in ${fewest}` : ''}.`,
    solved: (changes, fewest) => `Solved${changes < 0 ? '' : `, in ${changes} ${changes === 1 ? 'change' : 'changes'}`}` +
      `${fewest ? `; the fewest is ${fewest}` : ''}.`,
    madeLink: 'The page\'s address is now the challenge\'s link: copy it and hand it out.',
    notSolvedFile: 'That file is not a list of solved challenges.',
    solvedAtStart: 'The program\'s calls already put the cubes there at this angle, so it would be solved at its start: ' +
      'change the calls more, or let the cubes turn on first.',
    predict: {
      ask: {
        depth: (n, call) => `Call ${n}, ${call}: how many matrices will be on the stack after it?`,
        origin: (n, call) => `Call ${n}, ${call}: where will the frame's origin be after it? Choose a point marked on the picture.`,
        cube: (n, call) => `Call ${n}, ${call}: which of the cubes drawn after it will it move?`,
      },
      cubes: ['neither', 'the grey cube', 'the blue cube', 'both'],
      point: (letter) => `point ${letter}`,
      right: (answer) => `Right: ${answer}.`, wrong: (answer) => `Not quite: ${answer}.`,
      tally: (right, asked) => `${right} of ${asked} right.`,
    },
  },
  'pt-BR': {
    running: 'Os cubos estão girando.',
    scene: (label, eye) => `Modo ${label}; o olho em ${eye}.`,
    step: (n, count, call, origin, x, depth) => `Passo ${n} de ${count}, ${call}: a origem do referencial está em ` +
      `${origin}; seu eixo x aponta para ${x}; ${words['pt-BR'].depth(depth)}`,
    depth: (d) => `${d} ${d === 1 ? 'matriz' : 'matrizes'} na pilha`,
    depthWord: 'profundidade',
    vector: (v) => `(${v.join('; ')})`,
    stepper: ['Passos', 'parar e seguir', 'Rodar', 'sair dos passos'],
    heads: ['eixo x', 'eixo y', 'eixo z', 'origem'], row: 'linha',
    story: (from, changed) => `${from ? `empilhada pela chamada ${from}` : 'definida por gluLookAt'}${changed.length
      ? `, depois mudada ${changed.length === 1 ? 'pela chamada' : 'pelas chamadas'} ${listed(changed, 'e')}` : ''}`,
    matrix: (i, story, last) => `Matriz ${i}, ${story}${last ? ': a atual, no topo' : ''}`,
    ghost: (i, story, n) => `Matriz ${i}, ${story}, desempilhada pela chamada ${n}: o fantasma`,
    ended: (code) => `O Quenlade terminou (Esc, código de saída ${code}).`,
    noWebGL: 'O Quenlade desenha com WebGL, que este navegador não tem ou desligou.',
    tooOld: 'Este navegador é antigo demais para o Quenlade: ele precisa do Chrome ou Edge 108, Firefox 113, Safari 16.4 ou mais novos.',
    what: 'Dois cubos que giram e mostram para que serve a pilha de matrizes modelview do OpenGL.',
    language: 'Idioma', fullscreen: 'Tela cheia', canvas: 'A janela do programa: três eixos e dois cubos',
    space: 'Espaço', eye: 'olho', front: 'frente', home: 'início', end: 'encerrar',
    backB: '&larr; Voltar', nextB: 'Avançar &rarr;', backHint: 'seta esquerda', nextHint: 'seta direita',
    restart: 'Começar de novo', callsTitle: 'As chamadas da parte dos cubos', stackTitle: 'A pilha modelview:',
    raw: 'Como o GL a devolve, com a vista', howTitle: 'Como ler um cartão',
    how: 'Um cartão para cada matriz da pilha, a atual no topo. Cada um mostra o referencial que a matriz ' +
      'posiciona, em coordenadas do mundo: suas colunas dizem para onde apontam os eixos x, y e z do ' +
      'referencial e onde fica sua origem. Com a chave, cada um mostra a matriz como ' +
      'glGetFloatv(GL_MODELVIEW_MATRIX) a devolve, com a vista; o GL guarda seus 16 números coluna por ' +
      'coluna, os quatro primeiros são a coluna 1.',
    reportTitle: 'Relatório da câmera',
    kept: 'As últimas 1.000 linhas do relatório ficam aqui; o console do navegador guarda todas.',
    args: { glRotatef: ['ângulo', 'eixo x', 'eixo y', 'eixo z'], glTranslatef: ['x', 'y', 'z'], glutSolidCube: ['tamanho'] },
    arg: (what, n) => `${what} da chamada ${n}`, made: (n) => `Chamada ${n} feita`,
    swap: (n) => `Trocar a chamada ${n} com a ${n + 1}`, glError: 'erro',
    unreadable: 'Não foi possível ler as chamadas depois do # no endereço desta página; ela mostra o quadro do ' +
      'próprio programa. Onde:',
    copied: 'Copiado: cole em on_display.',
    labOn: 'Um laboratório: estes cubos seguem chamadas mudadas, não as do próprio programa.',
    labBack: 'Voltar às chamadas do programa',
    selected: 'Selecionado: copie (Ctrl+C) e cole em on_display.',
    edit: 'Mudar as chamadas', labReset: 'As chamadas do programa', labC: 'Copiar como C',
    labHow: 'Digite um número, arraste-o para o lado ou mude-o com as setas para cima e para baixo; &#8645; troca ' +
      'uma chamada com a seguinte; a caixa liga ou desliga um push ou pop.',
    cTitle: 'A parte dos cubos em C, para on_display:',
    predictOn: 'Prever primeiro',
    solvedMark: '✓ resolvido', solvedCount: (n, count) => `(${n} de ${count} resolvidos)`,
    builtIn: (n, count) => `Desafio ${n} de ${count}`, seeded: (seed, level) => `Semente ${seed}, nível ${level}`,
    teachers: 'Um desafio próprio', startAgain: 'Recomeçar o desafio', noGoal: 'Leve os cubos até os contornos.',
    progress: (changes, fewest) => `${changes < 0 ? 'Mudanças contadas depois de recomeçar'
      : `${changes} ${changes === 1 ? 'mudança' : 'mudanças'} até agora`}${fewest ? `; dá para fazer com ${fewest}` : ''}.`,
    solved: (changes, fewest) => `Resolvido${changes < 0 ? '' : `, com ${changes} ${changes === 1 ? 'mudança' : 'mudanças'}`}` +
      `${fewest ? `; o mínimo é ${fewest}` : ''}.`,
    madeLink: 'O endereço da página agora é o link do desafio: copie-o e distribua-o.',
    notSolvedFile: 'Esse arquivo não é uma lista de desafios resolvidos.',
    solvedAtStart: 'As chamadas do programa já põem os cubos aí neste ângulo, então ele estaria resolvido no início: ' +
      'mude mais as chamadas, ou deixe os cubos girarem antes.',
    challengesTitle: 'Desafios',
    challengesHow: 'Cada um abre no laboratório, com os cubos parados: mude as chamadas até que os cubos fiquem nos contornos.',
    level: 'Nível', seed: 'Semente (vazia: qualquer)', newOne: 'Um novo', goalText: 'Objetivo, para um desafio seu',
    make: 'Fazer um desafio do laboratório', forget: 'Esquecer os resolvidos', save: 'Salvá-los num arquivo',
    load: 'Juntar os de um arquivo', leave: 'Sair do desafio',
    predict: {
      ask: {
        depth: (n, call) => `Chamada ${n}, ${call}: quantas matrizes haverá na pilha depois dela?`,
        origin: (n, call) => `Chamada ${n}, ${call}: onde estará a origem do referencial depois dela? Escolha um ponto ` +
          'marcado na figura.',
        cube: (n, call) => `Chamada ${n}, ${call}: quais dos cubos desenhados depois dela ela vai mover?`,
      },
      cubes: ['nenhum', 'o cubo cinza', 'o cubo azul', 'os dois'],
      point: (letter) => `ponto ${letter}`,
      right: (answer) => `Certo: ${answer}.`, wrong: (answer) => `Não exatamente: ${answer}.`,
      tally: (right, asked) => `${right} de ${asked} certas.`,
    },
  },
};

// The English of the fixed words, as shell.html has them.
export function readEnglish() {
  for (const element of document.querySelectorAll('[data-t]')) words.en[element.dataset.t] = element.innerHTML;
  for (const element of document.querySelectorAll('[data-a]')) words.en[element.dataset.a] = element.getAttribute('aria-label');
}

// The language: the link's (?lang=pt-BR, kept when the page starts again),
// else the first of the browser's that the page speaks, else English.
// Portuguese of any country gets Brazil's.
export const speak = (tag) => (/^pt(-|$)/i.test(tag) ? 'pt-BR' : /^en(-|$)/i.test(tag) ? 'en' : null);
export const chooseLanguage = (search, languages) =>
  speak(new URLSearchParams(search).get('lang') ?? '') ?? languages.map(speak).find(Boolean) ?? 'en';

// This page's address in another language, keeping all else (the lab after #).
export function linkTo(code) {
  const address = new URL(location.href);
  address.searchParams.set('lang', code);
  return address.href;
}

// Numbers follow the language: 0.71 in English, 0,71 in Portuguese.
export const showNumber = (v) =>
  new Intl.NumberFormat(state.lang, { maximumFractionDigits: 2 }).format(Math.round(v * 100) / 100 + 0);
export const vector = (v) => state.said.vector(v.map(showNumber));

// Puts the fixed words of shell.html in the language, and points each
// language's link at this page in it; the words made up as the page runs
// follow from the record.
export function useLanguage(code) {
  state.lang = code;
  state.said = words[code];
  document.documentElement.lang = code;
  for (const element of document.querySelectorAll('[data-t]')) element.innerHTML = state.said[element.dataset.t];
  for (const element of document.querySelectorAll('[data-a]')) element.setAttribute('aria-label', state.said[element.dataset.a]);
  for (const link of document.querySelectorAll('[data-lang]')) {
    link.href = linkTo(link.dataset.lang);
    if (link.dataset.lang === code) link.setAttribute('aria-current', 'true');
    else link.removeAttribute('aria-current');
  }
}
