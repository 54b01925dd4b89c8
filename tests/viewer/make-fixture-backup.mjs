#!/usr/bin/env node
// Writes backup folders in the exact on-disk format of the backup engine, with
// the viewer copied into place the way the engine copies it, so the viewer can
// be tested and measured before (and independently of) an engine-written backup.
//
//   node make-fixture-backup.mjs <output folder> [small|partial|large|all]
//
// Prints the created backup folder paths as JSON. The module also exports
// makeSmallBackup/makePartialBackup/makeLargeBackup and the `expected` facts the
// tests compare the pages with.
import fs from 'node:fs';
import path from 'node:path';
import { encodePng } from '../../viewer/tools/png.mjs';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const templateDir = path.resolve(here, '../../viewer/Template');

// ---------------------------------------------------------------- JSON text
// The engine prints with cJSON_Print: tab indentation, "key":<TAB>value, raw
// UTF-8, only '"', '\\', control characters escaped. Every value is a string.
function cjsonString(s) {
  let out = '"';
  for (const ch of s) {
    const c = ch.codePointAt(0);
    if (ch === '"') out += '\\"';
    else if (ch === '\\') out += '\\\\';
    else if (ch === '\b') out += '\\b';
    else if (ch === '\f') out += '\\f';
    else if (ch === '\n') out += '\\n';
    else if (ch === '\r') out += '\\r';
    else if (ch === '\t') out += '\\t';
    else if (c < 32) out += '\\u' + c.toString(16).padStart(4, '0');
    else out += ch;
  }
  return out + '"';
}

function cjsonPrint(value, depth = 0) {
  if (typeof value === 'string') return cjsonString(value);
  const entries = Array.isArray(value) ? value : Object.entries(value);
  let out = '{\n';
  entries.forEach(([k, v], i) => {
    out += '\t'.repeat(depth + 1) + cjsonString(k) + ':\t' + cjsonPrint(v, depth + 1);
    out += i + 1 < entries.length ? ',\n' : '\n';
  });
  return out + '\t'.repeat(depth) + '}';
}

// Objects whose member names are decimal counters must keep their written
// order, so members are passed around as [name, value] arrays.
function writeJs(file, prefix, members) {
  if (Buffer.byteLength(prefix) !== 12) throw new Error('prefix must be 12 bytes');
  const root = [['Version', [['Current', '1.0.0']]], ...members];
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, prefix + cjsonPrint(root) + ';');
}

const flat = (entries) => entries.map((e, i) => [String(i + 1), Object.entries(e)]);
const grouped = (groups) =>
  groups.map((g, n) => [`Group_${n + 1}`, g.map((e, k) => [String(k + 1), Object.entries(e)])]);

// ------------------------------------------------------------ entry builders
// Key order as the engine writes it; absent fields become "".
export function smsEntry(m) {
  return {
    SessionID: m.id ?? '', Name: m.name ?? '', Phone: m.phone ?? '', Text: m.text ?? '',
    Date: m.date ?? '', flags: m.flags ?? '', read: m.read ?? '', guid: m.thread ?? '',
    Type: '0', Headimg: m.headimg ?? '', isDelete: '0',
  };
}
const contactKeys = ['SessionID', 'FirstName', 'LastName', 'NickName', 'MobileNumber', 'HomeNumber',
  'WorkNumber', 'HomePage', 'Email', 'Birthday', 'Group', 'Note', 'Organzation', 'Department',
  'CreateDate', 'HomeAddress', 'WorkAddress', 'HomeFax', 'WorkFax', 'WorkEmail', 'Headimg', 'isDelete'];
export function contactEntry(c) {
  const e = {};
  for (const k of contactKeys) e[k] = k === 'isDelete' ? '0' : (c[k] ?? '');
  return e;
}
export function callEntry(c) {
  return {
    SessionID: c.id ?? '', Name: c.name ?? '', Phone: c.phone ?? '', CallDate: c.date ?? '',
    CallStatus: c.status ?? '', Duration: c.duration ?? '', isDelete: '0', Headimg: c.headimg ?? '',
  };
}

const pad = (n, w = 2) => String(n).padStart(w, '0');
// Media times: "%04d-%02d-%02d  %02d:%02d:%02d" (two blanks). Message/call dates
// arrive from the phone as "YYYY-MM-DD HH:MM:SS".
const mediaTime = (d) =>
  `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())}  ${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}`;
const phoneTime = (d) =>
  `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())} ${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}`;
const hms = (s) => `${pad(Math.floor(s / 3600))}:${pad(Math.floor(s / 60) % 60)}:${pad(s % 60)}`;

// ------------------------------------------------------------------- images
// A small RGB PNG with a diagonal two-colour gradient: enough to tell photos apart.
export function makePng(w, h, [r1, g1, b1], [r2, g2, b2]) {
  const raw = Buffer.alloc((w * 3 + 1) * h);
  for (let y = 0; y < h; y++) {
    raw[y * (w * 3 + 1)] = 0;
    for (let x = 0; x < w; x++) {
      const t = (x + y) / (w + h - 2 || 1);
      const o = y * (w * 3 + 1) + 1 + x * 3;
      raw[o] = r1 + (r2 - r1) * t; raw[o + 1] = g1 + (g2 - g1) * t; raw[o + 2] = b1 + (b2 - b1) * t;
    }
  }
  return encodePng(w, h, 2, raw);
}

// ------------------------------------------------------------ backup writer
function copyDir(src, dst) {
  fs.mkdirSync(dst, { recursive: true });
  for (const ent of fs.readdirSync(src, { withFileTypes: true })) {
    const s = path.join(src, ent.name), d = path.join(dst, ent.name);
    if (ent.isDirectory()) copyDir(s, d); else if (!fs.existsSync(d)) fs.copyFileSync(s, d);
  }
}
const copyIfMissing = (s, d) => {
  if (!fs.existsSync(s) || fs.existsSync(d)) return;
  fs.mkdirSync(path.dirname(d), { recursive: true });
  fs.copyFileSync(s, d);
};

/**
 * Writes one backup folder. `data` holds the kinds to write; a kind that is
 * undefined is not backed up. Returns the folder path.
 */
export function writeBackup(outDir, folderName, data) {
  const b = path.join(outDir, folderName);
  fs.mkdirSync(b, { recursive: true });
  const dj = (f) => path.join(b, 'Datajs', f);
  const page = (kind) => copyIfMissing(path.join(templateDir, `${kind}.html`), path.join(b, kind, `${kind}.html`));
  if (data.contacts || data.sms || data.calls || data.photos) copyDir(path.join(templateDir, 'Script'), path.join(b, 'Script'));

  if (data.contacts) {
    fs.mkdirSync(path.join(b, 'Datajs/images'), { recursive: true });
    writeJs(dj('Contacts.js'), 'var Conten2=', flat(data.contacts.map(contactEntry)));
    page('Contacts');
  }
  if (data.sms) {
    writeJs(dj('SMS.js'), 'var Conten1=', grouped(data.sms.map((g) => g.map(smsEntry))));
    page('SMS');
  }
  if (data.calls) {
    writeJs(dj('CallHistory.js'), 'var Conten3=', grouped(data.calls.map((g) => g.map(callEntry))));
    page('CallHistory');
  }
  if (data.photos) {
    fs.mkdirSync(path.join(b, 'Photos/Gallery'), { recursive: true });
    fs.mkdirSync(path.join(b, 'Datajs/thumb'), { recursive: true });
    writeJs(dj('Photos.js'), 'var Content=', flat(data.photos.map((p) => ({
      SessionID: p.id, Title: p.title, Filename: p.file, Filesize: String(p.bytes?.length ?? p.size ?? 0),
      Modiftime: p.time, Createtime: p.time, isDelete: '0',
    }))));
    for (const p of data.photos) {
      if (p.bytes) fs.writeFileSync(path.join(b, 'Photos/Gallery', p.file), p.bytes);
      if (p.thumb) fs.writeFileSync(path.join(b, 'Datajs/thumb', p.file), p.thumb);
    }
    page('Photos');
  }
  if (data.videos) {
    fs.mkdirSync(path.join(b, 'Videos'), { recursive: true });
    writeJs(dj('Videos.js'), 'var Content=', data.videos.map((v) => [v.key, Object.entries({
      SessionID: v.id, Title: v.title, Displayname: v.display, Filename: v.file, Duration: v.duration,
      Filesize: v.size, Modiftime: v.time, Createtime: v.time, isDelete: '0',
    })]));
    for (const v of data.videos) fs.writeFileSync(path.join(b, 'Videos', v.file), 'video');
  }
  if (data.musics) {
    fs.mkdirSync(path.join(b, 'Musics'), { recursive: true });
    writeJs(dj('Musics.js'), 'var Content=', flat(data.musics.map((m) => ({
      SessionID: m.id, Title: m.title, Album: m.album, Artist: m.artist, Filename: m.file,
      Duration: m.duration, Filesize: m.size, Modiftime: m.time, Createtime: m.time, isDelete: '0',
    }))));
    for (const m of data.musics) fs.writeFileSync(path.join(b, 'Musics', m.file), 'music');
  }
  if (data.apps) {
    fs.mkdirSync(path.join(b, 'Apps'), { recursive: true });
    writeJs(dj('Apps.js'), 'var Content=', flat(data.apps.map((a) => ({
      SessionID: '0', Appname: a.name, Packagename: a.pkg, Classname: a.cls ?? '', Filename: `${a.pkg}-1.apk`,
      Version: a.version, Installtime: a.installed, Lastupdatetime: a.updated, Cachesize: a.cache,
      Datasize: a.data, Codesize: a.code, Totalsize: a.total, isDelete: '0',
    }))));
    for (const a of data.apps) fs.writeFileSync(path.join(b, 'Apps', `${a.pkg}-1.apk`), 'PK');
  }
  if (data.device) {
    writeJs(dj('Deviceinfo.js'), 'var Content=', [['DeviceInfo', Object.entries(data.device)]]);
    copyIfMissing(path.join(templateDir, 'index.html'), path.join(b, 'index.html'));
    copyIfMissing(path.join(templateDir, 'favicon.ico'), path.join(b, 'favicon.ico'));
  }
  return b;
}

// ---------------------------------------------------------------- the data
export const HOSTILE_IMG = '<img src=x onerror=alert(1)>';
export const HOSTILE_SCRIPT = '</script><script>alert(1)</script>';

const device = {
  Device_Name: 'Google', Serial_Number: 'HT4CTJT01234', Device_Mode: 'Pixel 7',
  Andriod_Version: '14', Device_baseband: '', ProductMD5: '0F3A9C1E5B7D2A4468C0E1F2A3B4C5D6',
};

function smallSms() {
  const t = (d, hm) => `2024-03-${d} ${hm}:00`;
  return [
    [ // newest conversation first, as the engine writes them
      { id: '101', name: 'Maman', phone: '+33 6 12 34 56 78', text: 'Bon voyage ! Appelle-moi quand tu arrives 😘', date: t('09', '18:05'), flags: '2', read: '2', thread: '7' },
      { id: '100', name: 'Maman', phone: '+33 6 12 34 56 78', text: 'Je pars à 14h, ça va être long… 🚆', date: t('09', '17:40'), flags: '1', read: '1', thread: '7' },
      { id: '99', name: 'Maman', phone: '+33 6 12 34 56 78', text: 'Tu as bien reçu le colis ? 🎁👍🏽', date: t('08', '09:12'), flags: '2', read: '1', thread: '7' },
    ],
    [
      { id: '95', name: 'أحمد', phone: '+971 50 123 4567', text: 'مرحبا، كيف حالك؟ نلتقي غدا في الساعة ١٠', date: t('08', '20:30'), flags: '2', read: '1', thread: '6' },
      { id: '94', name: 'أحمد', phone: '+971 50 123 4567', text: 'Hello Ahmed, see you tomorrow', date: t('08', '20:10'), flags: '1', read: '1', thread: '6' },
    ],
    [
      { id: '90', name: 'שרה', phone: '+972 54 765 4321', text: 'שלום! נתראה מחר בשעה 10:00', date: t('07', '11:00'), flags: '2', read: '1', thread: '5' },
    ],
    [
      { id: '85', name: HOSTILE_SCRIPT, phone: '+1 555 0100', text: HOSTILE_IMG, date: t('06', '23:59'), flags: '2', read: '2', thread: '4' },
      { id: '84', name: HOSTILE_SCRIPT, phone: '+1 555 0100', text: '"quotes" & \'apostrophes\' \\backslash\\ <b>not bold</b>\nsecond line', date: t('06', '23:58'), flags: '1', read: '1', thread: '4' },
    ],
    [
      { id: '80', name: '田中さん', phone: '090-1234-5678', text: '明日の会議は10時からです。よろしくお願いします。', date: t('05', '08:15'), flags: '2', read: '1', thread: '3' },
      { id: '79', name: '', phone: '090-1234-5678', text: '了解です 🙇', date: t('05', '08:20'), flags: '1', read: '1', thread: '3' },
    ],
    [
      { id: '70', name: '', phone: '22333', text: 'Your verification code is 481516. Do not share it.', date: t('04', '12:00'), flags: '2', read: '1', thread: '2' },
      { id: '69', name: '', phone: '22333', text: '', date: '', flags: '2', read: '', thread: '2' },
    ],
    [
      { id: '60', name: 'Дмитрий', phone: '+7 912 345-67-89', text: 'Привет! Как дела? 你好 안녕하세요 नमस्ते สวัสดี', date: t('01', '07:45'), flags: '1', read: '1', thread: '1' },
    ],
  ];
}

function smallContacts() {
  return [
    { SessionID: '1', FirstName: 'Maman', MobileNumber: '+33 6 12 34 56 78', Email: 'maman@example.fr', Birthday: '1962-05-14', HomeAddress: '12 rue de la Paix, 75002 Paris', Note: 'Appeler le dimanche ☎️' },
    { SessionID: '2', FirstName: 'أحمد', LastName: 'الفارسي', MobileNumber: '+971 50 123 4567', Organzation: 'شركة النور', Department: 'المبيعات', WorkEmail: 'ahmed@example.ae' },
    { SessionID: '3', FirstName: 'שרה', LastName: 'כהן', MobileNumber: '+972 54 765 4321', HomeNumber: '+972 3 555 1234' },
    { SessionID: '4', FirstName: '田中', LastName: '太郎', NickName: 'タロー', MobileNumber: '090-1234-5678', WorkNumber: '03-1234-5678', HomePage: 'https://example.jp/tanaka', Organzation: '株式会社サンプル' },
    { SessionID: '5', FirstName: HOSTILE_SCRIPT, LastName: HOSTILE_IMG, MobileNumber: '+1 555 0100', Note: '"><svg onload=alert(1)>', HomePage: 'javascript:alert(1)' },
    { SessionID: '6', FirstName: 'Дмитрий', LastName: 'Иванов', MobileNumber: '+7 912 345-67-89', HomeFax: '+7 495 000-00-00', WorkFax: '+7 495 000-00-01', WorkAddress: 'Москва, ул. Тверская, 1' },
    { SessionID: '7', FirstName: 'Zoë', LastName: "O'Brien-Müller", NickName: '🦊 Fox', Email: 'zoe@example.ie', Group: 'Friends', Birthday: '1990-12-01' },
    { SessionID: '8', FirstName: '', LastName: '', MobileNumber: '+44 20 7946 0000' },
    { SessionID: '9' },
  ];
}

function smallCalls() {
  return [
    [
      { id: '31', name: 'Maman', phone: '+33 6 12 34 56 78', date: '2024-03-09 19:00:00', status: '1', duration: '00:12:41' },
      { id: '30', name: 'Maman', phone: '+33 6 12 34 56 78', date: '2024-03-08 10:02:00', status: '2', duration: '00:03:05' },
      { id: '29', name: 'Maman', phone: '+33 6 12 34 56 78', date: '2024-03-07 21:30:00', status: '3', duration: '00:00:00' },
    ],
    [
      { id: '25', name: 'أحمد', phone: '+971 50 123 4567', date: '2024-03-08 20:00:00', status: '2', duration: '01:02:03' },
    ],
    [
      { id: '20', name: HOSTILE_IMG, phone: HOSTILE_SCRIPT, date: '2024-03-06 23:00:00', status: '1', duration: '00:00:09' },
    ],
    [
      { id: '15', name: '', phone: '+44 20 7946 0000', date: '2024-03-02 08:00:00', status: '4', duration: '' },
    ],
  ];
}

function smallPhotos() {
  const photos = [];
  const colours = [[[2, 91, 150], [97, 188, 15]], [[21, 55, 79], [240, 180, 60]], [[200, 60, 80], [250, 220, 120]],
    [[40, 40, 40], [160, 200, 255]], [[97, 188, 15], [2, 91, 150]], [[250, 250, 250], [21, 55, 79]]];
  const titles = ['IMG_20240309_180500', 'Plage à Nice 🌊', 'صورة العائلة', HOSTILE_IMG, 'Screenshot_2024-03-01', 'missing thumb'];
  titles.forEach((title, i) => {
    const id = String(200 + i);
    const name = i === 3 ? 'x.png' : `${title.replace(/[^\w.-]+/g, '_')}.png`;
    const [a, c] = colours[i];
    const full = makePng(i % 2 ? 300 : 400, i % 2 ? 400 : 300, a, c);
    photos.push({
      id, title, file: `${id}-${name}`, bytes: full, time: `2024-03-0${i + 1}  12:0${i}:00`,
      thumb: i === 5 ? null : makePng(i % 2 ? 96 : 128, i % 2 ? 128 : 96, a, c),
    });
  });
  return photos;
}

const smallMusics = () => [
  { id: '301', title: 'Clair de lune', album: 'Suite bergamasque', artist: 'Debussy', file: '301-clair_de_lune.mp3', duration: '00:05:12', size: '7340032', time: '2023-11-02  20:10:00' },
  { id: '302', title: 'أغنية الصباح', album: 'ألبوم', artist: 'فرقة', file: '302-song.mp3', duration: '00:03:45', size: '5242880', time: '2023-12-24  08:00:00' },
  { id: '303', title: HOSTILE_IMG, album: HOSTILE_SCRIPT, artist: '', file: '303-x.mp3', duration: '00:00:00', size: '0', time: '' },
];
const smallVideos = () => [
  { key: '1', id: '401', title: 'Birthday party 🎂', display: 'VID_20240101.mp4', file: '401-VID_20240101.mp4', duration: '00:02:31', size: '104857600', time: '2024-01-01  19:00:00' },
  { key: '3', id: '403', title: 'ビデオ', display: 'clip.mp4', file: '403-clip.mp4', duration: '01:10:00', size: '2147483648', time: '2024-02-01  09:30:00' },
];
const smallApps = () => [
  { name: 'Signal', pkg: 'org.thoughtcrime.securesms', version: '7.1.2', installed: '2023-01-05  10:00:00', updated: '2024-03-01  09:00:00', cache: '1048576', data: '52428800', code: '83886080', total: '137363456' },
  { name: HOSTILE_SCRIPT, pkg: 'com.example.evil', version: HOSTILE_IMG, installed: '', updated: '', cache: '0', data: '0', code: '0', total: '0' },
  { name: 'خرائط', pkg: 'com.example.maps', version: '2.0', installed: '2022-06-01  12:00:00', updated: '2022-06-01  12:00:00', cache: '0', data: '4096', code: '1024000', total: '1028096' },
];

// The facts the tests compare the pages with.
export const expected = {
  small: { folder: 'Pixel 7-03-09-2024-18-05-00', date: { y: 2024, m: 3, d: 9, hh: 18, mm: 5 } },
};

export function makeSmallBackup(outDir) {
  return writeBackup(outDir, expected.small.folder, {
    device: { ...device, Device_baseband: HOSTILE_SCRIPT },
    sms: smallSms(), contacts: smallContacts(), calls: smallCalls(), photos: smallPhotos(),
    musics: smallMusics(), videos: smallVideos(), apps: smallApps(),
  });
}

// Only videos and music: no Script folder, no per-kind pages.
export function makeMediaOnlyBackup(outDir) {
  return writeBackup(outDir, 'Galaxy-S10-12-31-2023-23-59-59', {
    device: { ...device, Device_Name: 'samsung', Device_Mode: 'SM-G973F', Andriod_Version: '12' },
    videos: smallVideos(), musics: smallMusics(),
  });
}

// Messages and photos only, the photos file holding only "Version".
export function makePartialBackup(outDir) {
  return writeBackup(outDir, 'Moto G-07-04-2022-09-30-00', {
    device: { ...device, Device_Name: 'motorola', Device_Mode: 'Moto G', Andriod_Version: '11' },
    sms: smallSms().slice(0, 2), photos: [],
  });
}

// One conversation of 1500 messages, tall and short ones mixed, with two
// words found by search: "kingfisher" in a message older than the newest 400
// the thread opens with (the 20 short messages before it leave the "Show
// earlier messages" button close above it) and "heron" among the newest 400.
export const LONG_THREAD = { messages: 1500, finds: { kingfisher: 1000, heron: 1300 } };
export function makeLongThreadBackup(outDir) {
  const { messages, finds } = LONG_THREAD;
  const tall = 'A message long enough to wrap over several lines, so that it is much taller once drawn than '
    + 'the height it takes before.\nIt has a second paragraph too.';
  const base = new Date(2024, 2, 9, 18, 0, 0).getTime();
  const text = (i) => (i === finds.kingfisher ? 'Saw a kingfisher by the river'
    : i === finds.heron ? 'And a heron this morning'
      : i >= finds.kingfisher - 20 && i < finds.kingfisher ? 'ok' : i % 3 ? tall : 'See you');
  const thread = Array.from({ length: messages }, (_, k) => {
    const i = messages - 1 - k; // newest first, as the engine writes them
    return { id: String(i + 1), name: 'River Walks', phone: '+44 7700 900123', text: text(i),
      date: phoneTime(new Date(base - k * 600_000)), flags: i % 2 ? '1' : '2', read: '1', thread: '1' };
  });
  return writeBackup(outDir, 'Pixel 6-03-09-2024-18-00-00', { device, sms: [thread] });
}

// Deterministic pseudo-random numbers for the large phone.
function rng(seed) {
  let s = seed >>> 0;
  return () => ((s = (s * 1664525 + 1013904223) >>> 0) / 2 ** 32);
}

export function makeLargeBackup(outDir, { messages = 50000, conversations = 3000, contacts = 10000, calls = 10000, photos = 2000 } = {}) {
  const r = rng(42);
  const first = ['Anna', 'Ben', 'Chloé', 'David', 'Émile', 'Fatima', 'Giulia', 'Hiro', 'Ivan', 'Jana', 'Kofi', 'Lena', 'محمد', 'יעל', '王芳', 'Søren'];
  const last = ['Martin', 'Schmidt', 'Rossi', 'Nowak', 'García', 'Kim', 'Dubois', 'Silva', 'Jensen', 'Yilmaz'];
  const words = 'the a meeting lunch tomorrow today see you later ok thanks love call me when train late home 🙂 👍 where are running five minutes dinner at eight photos sent great news happy birthday 🎉'.split(' ');
  const name = (i) => `${first[i % first.length]} ${last[Math.floor(i / first.length) % last.length]} ${i}`;
  const number = (i) => `+49 151 ${String(1000000 + i * 7).slice(-7)}`;
  const sentence = () => Array.from({ length: 3 + Math.floor(r() * 25) }, () => words[Math.floor(r() * words.length)]).join(' ');
  const base = new Date(2024, 2, 9, 18, 0, 0).getTime();

  // Conversation sizes: a few very long threads, most short.
  const sizes = new Array(conversations).fill(1);
  let left = messages - conversations;
  sizes[0] += Math.min(left, 4000); left -= Math.min(left, 4000);
  for (let i = 1; left > 0; i = (i % (conversations - 1)) + 1) {
    const add = Math.min(left, 1 + Math.floor(r() * 30));
    sizes[i] += add; left -= add;
  }
  let id = messages;
  const sms = sizes.map((n, g) => {
    let t = base - g * 3600_000 * 2; // newest conversation first
    return Array.from({ length: n }, () => {
      t -= Math.floor(r() * 7200_000);
      return { id: String(id--), name: g % 5 === 4 ? '' : name(g), phone: number(g), text: sentence(), date: phoneTime(new Date(t)),
        flags: r() < 0.5 ? '1' : '2', read: '1', thread: String(conversations - g) };
    });
  });
  const contactList = Array.from({ length: contacts }, (_, i) => ({
    SessionID: String(i + 1), FirstName: first[i % first.length], LastName: `${last[i % last.length]} ${i}`,
    MobileNumber: number(i), Email: `person${i}@example.com`, Organzation: i % 3 ? '' : 'Example GmbH',
  }));
  const callGroups = [];
  for (let i = 0, g = 0; i < calls; g++) {
    const n = Math.min(calls - i, 1 + Math.floor(r() * 12));
    callGroups.push(Array.from({ length: n }, (_, k) => ({
      id: String(i + k + 1), name: g % 4 ? name(g) : '', phone: number(g),
      date: phoneTime(new Date(base - (i + k) * 1800_000)), status: String(1 + Math.floor(r() * 3)),
      duration: hms(Math.floor(r() * 3600)),
    })));
    i += n;
  }
  const thumb = makePng(128, 96, [2, 91, 150], [97, 188, 15]);
  const full = makePng(400, 300, [2, 91, 150], [97, 188, 15]);
  const photoList = Array.from({ length: photos }, (_, i) => ({
    id: String(10000 + i), title: `IMG_${i}`, file: `${10000 + i}-IMG_${i}.png`, bytes: full, thumb,
    time: mediaTime(new Date(base - i * 86400_000)),
  }));
  return writeBackup(outDir, 'Pixel 8 Pro-03-09-2024-18-00-00', {
    device: { ...device, Device_Mode: 'Pixel 8 Pro' }, sms, contacts: contactList, calls: callGroups, photos: photoList,
    musics: Array.from({ length: 500 }, (_, i) => ({ id: String(i + 1), title: `Track ${i + 1}`, album: `Album ${i % 40}`, artist: first[i % first.length], file: `${i + 1}-track${i + 1}.mp3`, duration: hms(120 + (i % 300)), size: String(3000000 + i * 1000), time: mediaTime(new Date(base - i * 3600_000)) })),
    apps: Array.from({ length: 200 }, (_, i) => ({ name: `App ${i + 1}`, pkg: `com.example.app${i + 1}`, version: `1.${i}`, installed: mediaTime(new Date(base - i * 86400_000)), updated: mediaTime(new Date(base)), cache: '4096', data: '8192', code: String(1000000 + i), total: String(1012288 + i) })),
  });
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [out, which = 'all'] = process.argv.slice(2);
  if (!out) {
    console.error('usage: make-fixture-backup.mjs <output folder> [small|partial|media|large|all]');
    process.exit(2);
  }
  const made = {};
  if (which === 'small' || which === 'all') made.small = makeSmallBackup(out);
  if (which === 'partial' || which === 'all') made.partial = makePartialBackup(out);
  if (which === 'media' || which === 'all') made.media = makeMediaOnlyBackup(out);
  if (which === 'large' || which === 'all') made.large = makeLargeBackup(out);
  console.log(JSON.stringify(made, null, 2));
}
