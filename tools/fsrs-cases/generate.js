// Writes review sequences scheduled by ts-fsrs, for tests/core/fsrs_test.cpp to replay through
// core/practice/fsrs.cpp and compare. Each sequence is a new card reviewed 1 to 30 times with
// random ratings, at random gaps from none through seconds, minutes, hours and days to months,
// some at the card's due time give or take an hour. After each review it writes one line:
//
//   seq  at  rating  due  stability  difficulty  elapsed_days  scheduled_days  learning_steps
//   reps  lapses  state  last_review
//
// with the times in milliseconds since the Unix epoch, the rating 1 (Again) to 4 (Easy), the
// state by name and the numbers as JavaScript prints them (stability and difficulty come rounded
// to 8 decimals by ts-fsrs). A sequence's card is made at its first review. The random numbers
// come from a seeded generator, so one seed always gives the same file.
//
// usage: node generate.js NODE_MODULES_DIR OUTPUT.tsv [SEED [SEQUENCES]]
//   The committed tests/core/data/fsrs_cases.tsv is seed 1 with 1000 sequences:
//   node tools/fsrs-cases/generate.js build/sources/node_modules tests/core/data/fsrs_cases.tsv
'use strict';

const fs = require('fs');
const path = require('path');

const kVersion = '5.4.2';

if (process.argv.length < 4 || process.argv.length > 6) {
    process.stderr.write('usage: node generate.js NODE_MODULES_DIR OUTPUT.tsv [SEED [SEQUENCES]]\n');
    process.exit(2);
}
const [modulesDir, output] = process.argv.slice(2, 4);
const seed = Number(process.argv[4] ?? 1) >>> 0;
const sequences = Number(process.argv[5] ?? 1000);

const packageDir = path.resolve(modulesDir, 'ts-fsrs');
const version = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'), 'utf8')).version;
if (version !== kVersion) {
    process.stderr.write(`generate: ts-fsrs is ${version}, the cases are of ${kVersion}\n`);
    process.exit(1);
}
const { fsrs, createEmptyCard, generatorParameters, State } = require(packageDir);

// The parameters the scheduler is built for, named although they are ts-fsrs's defaults.
const scheduler = fsrs(generatorParameters({
    request_retention: 0.9,
    maximum_interval: 36500,
    enable_fuzz: false,
    enable_short_term: true,
    learning_steps: ['1m', '10m'],
    relearning_steps: ['10m'],
}));

// mulberry32: uniform in [0, 1).
let prngState = seed;
function random() {
    prngState = (prngState + 0x6d2b79f5) >>> 0;
    let t = prngState;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
}
const between = (lo, hi) => lo + Math.floor(random() * (hi - lo + 1));

const kSecond = 1000;
const kMinute = 60 * kSecond;
const kHour = 60 * kMinute;
const kDay = 24 * kHour;

// The chances of Again, Hard, Good and Easy: a sequence keeps one learner throughout.
const learners = [
    [1, 1, 1, 1],
    [1, 1, 6, 1],
    [3, 2, 3, 1],
    [1, 1, 3, 5],
];
function rate(weights) {
    let x = random() * weights.reduce((a, b) => a + b, 0);
    for (let i = 0; i < weights.length; i++) {
        x -= weights[i];
        if (x < 0) return i + 1;
    }
    return weights.length;
}

function gap(card, at) {
    const kind = random();
    if (kind < 0.03) return 0;
    if (kind < 0.15) return between(1, 59 * kSecond);
    if (kind < 0.30) return between(kMinute, 120 * kMinute);
    if (kind < 0.42) return between(kHour, 23 * kHour);
    if (kind < 0.65) return Math.max(0, card.due.getTime() - at + between(-kHour, kHour));
    if (kind < 0.88) return between(kDay, 30 * kDay);
    return between(30 * kDay, 400 * kDay);
}

const kStart = Date.UTC(2015, 0, 1);
const kEnd = Date.UTC(2035, 0, 1);
const lines = [
    '# seq\tat\trating\tdue\tstability\tdifficulty\telapsed_days\tscheduled_days\t' +
        'learning_steps\treps\tlapses\tstate\tlast_review',
];
let longest = 0;
for (let seq = 0; seq < sequences; seq++) {
    const learner = learners[between(0, learners.length - 1)];
    const reviews = between(1, 30);
    let at = between(kStart, kEnd);
    let card = createEmptyCard(new Date(at));
    for (let i = 0; i < reviews; i++) {
        if (i > 0) at += gap(card, at);
        const rating = rate(learner);
        card = scheduler.next(card, new Date(at), rating).card;
        longest = Math.max(longest, card.scheduled_days);
        lines.push([
            seq, at, rating, card.due.getTime(), card.stability, card.difficulty,
            card.elapsed_days, card.scheduled_days, card.learning_steps, card.reps, card.lapses,
            State[card.state].toLowerCase(), card.last_review.getTime(),
        ].join('\t'));
    }
}
fs.writeFileSync(output, lines.join('\n') + '\n');
process.stderr.write(`generate: seed ${seed}, ${sequences} sequences, ${lines.length - 1} reviews, ` +
    `longest interval ${longest} days\n`);
