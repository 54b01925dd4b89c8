#!/usr/bin/env node
// index.html carries its script inline (a backup of only music, videos or apps
// has no Script folder), and its content security policy allows exactly that
// script by its SHA-256 hash. After editing the script, run
//   node viewer/tools/index-csp.mjs --write
// to put the new hash in place; without --write it only reports whether the
// hash is current (exit 1 when not).
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const indexPath = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../Template/index.html');

export function inlineScriptHashes(html) {
  return [...html.matchAll(/<script>([\s\S]*?)<\/script>/g)]
    .map((m) => 'sha256-' + crypto.createHash('sha256').update(m[1], 'utf8').digest('base64'));
}

export function policyHashes(html) {
  const csp = /http-equiv="Content-Security-Policy" content="([^"]*)"/.exec(html)?.[1] ?? '';
  return [...csp.matchAll(/'(sha256-[^']+)'/g)].map((m) => m[1]);
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  let html = fs.readFileSync(indexPath, 'utf8');
  const want = inlineScriptHashes(html), have = policyHashes(html);
  if (want.length === 1 && have.length === 1 && want[0] === have[0]) {
    console.log('index.html: script hash is current');
  } else if (process.argv.includes('--write') && want.length === 1 && have.length === 1) {
    html = html.replace(`'${have[0]}'`, `'${want[0]}'`);
    fs.writeFileSync(indexPath, html);
    console.log(`index.html: script hash set to ${want[0]}`);
  } else {
    console.error(`index.html: policy allows ${have.join(' ') || 'no hash'}, inline script is ${want.join(' ')}`);
    process.exit(1);
  }
}
