// Checks a backup folder that a job left behind, whatever went wrong during
// the job:
//   node check_backup.mjs FOLDER [--complete] [KIND=COUNT...]
// - no temporary or partial file under any name (save-file leftovers,
//   library temporaries, *.tmp, *.part, empty media files);
// - every Datajs/*.js file has its 12-byte "var Conte..=" prefix, ends with
//   ";" and the rest parses as JSON;
// - every media file a .js file lists and that exists has the size the phone
//   gave for it (a partial copy never sits under the final name);
// - with --complete (the job said it succeeded): every listed media file
//   exists, and each KIND=COUNT names how many entries that kind's .js file
//   must hold (Contacts, SMS, CallHistory, Photos, Videos, Musics, Apps).
// Prints one line per problem and exits 1 when there is any.
import fs from 'node:fs';
import path from 'node:path';

const [folder, ...rest] = process.argv.slice(2);
const complete = rest.includes('--complete');
const expected = Object.fromEntries(
  rest.filter((a) => a.includes('=')).map((a) => a.split('=')).map(([k, v]) => [k, Number(v)]));
const problems = [];

function walk(dir, visit) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) walk(full, visit);
    else visit(full, entry);
  }
}

const mediaFolders = { Photos: 'Photos/Gallery', Videos: 'Videos', Musics: 'Musics', Apps: 'Apps' };
walk(folder, (full, entry) => {
  const name = entry.name;
  if (/\.tmp$|\.part$|^sdlk\d{6}$|\.js\.[A-Za-z0-9]{6}$|^\.?qt_temp\./i.test(name)) {
    problems.push(`leftover temporary file: ${full}`);
  }
  const rel = path.relative(folder, path.dirname(full));
  if (Object.values(mediaFolders).includes(rel) && entry.isFile() && fs.statSync(full).size === 0) {
    problems.push(`empty media file: ${full}`);
  }
});

const grouped = new Set(['SMS', 'CallHistory']);
function entriesOf(kind, root) {
  const members = Object.entries(root).filter(([k]) => k !== 'Version');
  if (!grouped.has(kind)) return members.map(([, v]) => v);
  return members.flatMap(([, group]) =>
    group && typeof group === 'object' ? Object.values(group) : []);
}

const datajs = path.join(folder, 'Datajs');
const found = {};
if (fs.existsSync(datajs)) {
  for (const name of fs.readdirSync(datajs)) {
    if (!name.endsWith('.js')) continue;
    const file = path.join(datajs, name);
    const text = fs.readFileSync(file, 'utf8');
    if (!/^var Conte(nt|n[0-9])=/.test(text) || !text.endsWith(';')) {
      problems.push(`${file}: no "var Conte..=" prefix or no final ";"`);
      continue;
    }
    let root;
    try {
      root = JSON.parse(text.slice(12, -1));
    } catch (e) {
      problems.push(`${file}: does not parse: ${e.message}`);
      continue;
    }
    const kind = name.slice(0, -3);
    const entries = entriesOf(kind, root);
    found[kind] = entries.length;
    const sub = mediaFolders[kind];
    if (!sub) continue;
    for (const e of entries) {
      if (!e || typeof e.Filename !== 'string') continue;
      const local = path.join(folder, sub, e.Filename);
      if (!fs.existsSync(local)) {
        if (complete) problems.push(`listed but missing after a successful job: ${local}`);
        continue;
      }
      const size = fs.statSync(local).size;
      const want = kind === 'Apps' ? undefined : Number(e.Filesize);
      if (want !== undefined && size !== want) {
        problems.push(`incomplete file under its final name: ${local} (${size} of ${want} bytes)`);
      }
    }
  }
}
for (const [kind, count] of Object.entries(expected)) {
  if (complete && found[kind] !== count) {
    problems.push(`${kind}: ${found[kind] ?? 'no file'} entries after a successful job, the phone has ${count}`);
  }
}
for (const p of problems) console.log(p);
process.exit(problems.length ? 1 : 0);
