// Writes cnchar-order's stroke orders as plain text for mkdict: one line per character,
// "character TAB stroke letters", sorted by code point so the output does not depend on the
// package's key order.
//
// usage: node dump-stroke-orders.js NODE_MODULES_DIR OUTPUT.tsv
'use strict';

const fs = require('fs');
const path = require('path');

if (process.argv.length !== 4) {
    process.stderr.write('usage: node dump-stroke-orders.js NODE_MODULES_DIR OUTPUT.tsv\n');
    process.exit(2);
}
const [modulesDir, output] = process.argv.slice(2);

const order = require(path.resolve(modulesDir, 'cnchar-order'));
const orders = order && order.dict && order.dict.orders;
if (!orders || typeof orders !== 'object') {
    process.stderr.write('dump-stroke-orders: cnchar-order has no dict.orders\n');
    process.exit(1);
}

const compare = (a, b) => a.codePointAt(0) - b.codePointAt(0);
const lines = [];
for (const character of Object.keys(orders).sort(compare)) {
    const letters = orders[character];
    if (typeof letters !== 'string' || !/^[a-z]+$/.test(letters)) {
        process.stderr.write(`dump-stroke-orders: odd stroke letters for ${character}\n`);
        process.exit(1);
    }
    lines.push(`${character}\t${letters}\n`);
}

// Written whole under a temporary name, then renamed, so a failed run leaves no partial table.
const temporary = `${output}.tmp`;
fs.writeFileSync(temporary, lines.join(''));
fs.renameSync(temporary, output);
