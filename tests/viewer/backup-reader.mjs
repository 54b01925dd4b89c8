// Reads a backup folder's data files in Node, independently of the viewer's
// own code, to know what the pages must show.
import fs from 'node:fs';
import path from 'node:path';

const PREFIX = { 'Deviceinfo.js': 'var Content=', 'SMS.js': 'var Conten1=', 'Contacts.js': 'var Conten2=',
  'CallHistory.js': 'var Conten3=', 'Musics.js': 'var Content=', 'Videos.js': 'var Content=',
  'Photos.js': 'var Content=', 'Apps.js': 'var Content=' };

// The root object of one data file, or null when the file is missing.
export function readData(backup, file) {
  const p = path.join(backup, 'Datajs', file);
  if (!fs.existsSync(p)) return null;
  const text = fs.readFileSync(p, 'utf8');
  if (!text.startsWith(PREFIX[file]) || !text.endsWith(';')) throw new Error(`${p}: not a backup data file`);
  return JSON.parse(text.slice(12, -1));
}

const entries = (obj) => Object.entries(obj ?? {}).filter(([k, v]) => k !== 'Version' && v && typeof v === 'object').map(([, v]) => v);

// Everything the tests compare the pages with.
export function describeBackup(backup) {
  const sms = readData(backup, 'SMS.js');
  const calls = readData(backup, 'CallHistory.js');
  const groups = entries(sms).map(entries);
  const callGroups = entries(calls).map(entries);
  const flat = (f) => { const d = readData(backup, f); return d ? entries(d) : null; };
  return {
    device: readData(backup, 'Deviceinfo.js')?.DeviceInfo ?? null,
    sms: sms ? { conversations: groups.length, messages: groups.reduce((n, g) => n + g.length, 0), groups } : null,
    calls: calls ? { numbers: callGroups.length, calls: callGroups.reduce((n, g) => n + g.length, 0), groups: callGroups } : null,
    contacts: flat('Contacts.js'),
    photos: flat('Photos.js'),
    videos: flat('Videos.js'),
    musics: flat('Musics.js'),
    apps: flat('Apps.js'),
  };
}

// The viewer pages a backup holds, relative to its folder.
export function pagesOf(backup) {
  return ['index.html', 'SMS/SMS.html', 'Contacts/Contacts.html', 'CallHistory/CallHistory.html', 'Photos/Photos.html']
    .filter((p) => fs.existsSync(path.join(backup, p)));
}
