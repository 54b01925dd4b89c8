// The backup viewer in headless Chromium, opened from file:// as a user would.
//
// Backups: TARVELL_VIEWER_BACKUP (a folder written by the backup engine) when
// set, else backups generated in the exact file format into a temporary folder.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launch, openPage } from './browser.mjs';
import { describeBackup, pagesOf } from './backup-reader.mjs';
import {
  HOSTILE_IMG, HOSTILE_SCRIPT, LONG_THREAD, makeLargeBackup, makeLongThreadBackup, makeMediaOnlyBackup, makePartialBackup,
  makeSmallBackup,
} from './make-fixture-backup.mjs';

const external = process.env.TARVELL_VIEWER_BACKUP ? path.resolve(process.env.TARVELL_VIEWER_BACKUP) : null;
let tmp, browser;
const backups = {};

before(async () => {
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tarvell-viewer-'));
  if (external) {
    assert.ok(fs.existsSync(path.join(external, 'index.html')), `${external} holds no index.html`);
    backups.main = external;
  } else {
    backups.main = makeSmallBackup(tmp);
  }
  backups.small = external ? null : backups.main;
  backups.partial = makePartialBackup(tmp);
  backups.media = makeMediaOnlyBackup(tmp);
  backups.medium = makeLargeBackup(path.join(tmp, 'medium'), { messages: 3000, conversations: 400, contacts: 600, calls: 800, photos: 60 });
  browser = await launch();
});

after(async () => {
  await browser?.close();
  if (tmp) fs.rmSync(tmp, { recursive: true, force: true });
});

// Opens a page and waits until it has read its data.
async function open(backup, rel, size) {
  const v = await openPage(browser, backup, rel, size);
  await v.page.waitForSelector('body[data-ready]', { state: 'attached', timeout: 15000 });
  return v;
}

// Reads until `check` (an assertion) passes, for at most `timeout` ms, then
// fails with the last assertion. Pages draw after they answer: a message
// (content-visibility: auto) has an empty innerText until it is drawn.
async function eventually(read, check, timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await read();
    try {
      check(value);
      return value;
    } catch (e) {
      if (Date.now() >= end) throw e;
    }
    await new Promise((r) => setTimeout(r, 50));
  }
}
const textOf = (locator) => () => locator.innerText();

// Types a query into the page's search box and waits until the list shows its result.
async function searchFor(page, box, query) {
  await page.fill(box, query);
  await page.waitForFunction((q) => document.querySelector('[data-query]')?.getAttribute('data-query') === q, query);
}
const search = (page, query) => searchFor(page, '.search input', query);

// In the page: every image has loaded or failed.
const imagesSettled = () => [...document.images].every((img) => img.complete);

// Resource loads that failed, as paths inside the backup.
function failedLoads(page, backup) {
  const failed = [];
  page.on('requestfailed', (r) => failed.push(decodeURIComponent(new URL(r.url()).pathname).slice(path.resolve(backup).length + 1)));
  return failed;
}

// Counts as the pages print them for the browser's language (en-GB).
const num = (n) => new Intl.NumberFormat('en-GB').format(n);

const SIZES = [{ width: 1280, height: 800 }, { width: 380, height: 740 }];

describe('every page opens cleanly', () => {
  for (const which of ['main', 'partial', 'media', 'medium']) {
    for (const size of SIZES) {
      it(`${which} backup at ${size.width}px: no console errors, exceptions, dialogs or outside requests`, async () => {
        const backup = backups[which];
        for (const rel of pagesOf(backup)) {
          const context = await browser.newContext({ viewport: size });
          const page = await context.newPage();
          const problems = { console: [], errors: [], dialogs: [], requests: [] };
          const failed = failedLoads(page, backup);
          page.on('console', (m) => { if (m.type() === 'error') problems.console.push(m.text()); });
          page.on('pageerror', (e) => problems.errors.push(String(e)));
          page.on('dialog', async (d) => { problems.dialogs.push(d.message()); await d.dismiss(); });
          const root = pathToFileURL(backup).href;
          page.on('request', (r) => { if (!r.url().startsWith(root) && !r.url().startsWith('data:')) problems.requests.push(r.url()); });
          await page.goto(pathToFileURL(path.join(backup, rel)).href);
          await page.waitForSelector('body[data-ready]', { state: 'attached', timeout: 15000 });
          await page.waitForLoadState('networkidle');
          // Only files the backup lacks may fail to load: the data file of a kind
          // that was not backed up (that is how a page learns it is absent) and a
          // missing thumbnail (the page shows its default image). The browser
          // logs each such failure; nothing else may be logged.
          const unexpected = failed.filter((f) => fs.existsSync(path.join(backup, f)) || !f.startsWith('Datajs/'));
          assert.deepEqual(unexpected, [], `${rel}: failed loads`);
          const resourceErrors = problems.console.filter((t) => t.startsWith('Failed to load resource'));
          assert.equal(resourceErrors.length, failed.length, `${rel}: ${problems.console.join('\n')}`);
          assert.deepEqual(problems.console.length - resourceErrors.length, 0, `${rel}: ${problems.console.join('\n')}`);
          assert.deepEqual(problems.errors, [], `${rel}: exceptions`);
          assert.deepEqual(problems.dialogs, [], `${rel}: dialogs`);
          assert.deepEqual(problems.requests, [], `${rel}: requests outside the backup`);
          // Nothing wider than the window: readable on narrow windows.
          const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
          assert.ok(overflow <= 0, `${rel}: ${overflow}px wider than the window`);
          await context.close();
        }
      });
    }
  }
});

describe('overview page', () => {
  it('shows the device facts, the backup date and one entry per kind with its count', async () => {
    for (const which of ['main', 'partial', 'media', 'medium']) {
      const backup = backups[which], d = describeBackup(backup);
      const { page, context } = await open(backup, 'index.html');
      await eventually(textOf(page.locator('#facts')), (facts) => {
        for (const key of ['Device_Name', 'Device_Mode', 'Andriod_Version', 'Serial_Number']) {
          if (d.device?.[key]) assert.ok(facts.includes(d.device[key]), `${which}: ${key} ${d.device[key]} not in ${facts}`);
        }
      });
      const m = /-(\d{2})-(\d{2})-(\d{4})-(\d{2})-(\d{2})-\d{2}$/.exec(path.basename(backup));
      if (m) {
        const want = new Intl.DateTimeFormat('en-GB', { year: 'numeric', month: 'long', day: 'numeric' }).format(new Date(+m[3], +m[1] - 1, +m[2]));
        await eventually(textOf(page.locator('#backup-date')), (date) =>
          assert.ok(date.includes(want) && date.includes(`${m[4]}:${m[5]}`), `${which}: date "${date}" lacks ${want} ${m[4]}:${m[5]}`));
      }
      const cards = await page.locator('#kinds li:not(.hidden)').evaluateAll((lis) =>
        Object.fromEntries(lis.map((li) => [li.dataset.kind, li.querySelector('.count').textContent.replace(/\D/g, '')])));
      const want = {};
      if (d.sms) want.SMS = String(d.sms.messages);
      if (d.contacts) want.Contacts = String(d.contacts.length);
      if (d.calls) want.CallHistory = String(d.calls.calls);
      if (d.photos) want.Photos = String(d.photos.length);
      if (d.videos) want.Videos = String(d.videos.length);
      if (d.musics) want.Musics = String(d.musics.length);
      if (d.apps) want.Apps = String(d.apps.length);
      assert.deepEqual(cards, want, `${which}: kinds and counts`);
      await context.close();
    }
  });

  it('lists music, videos and apps with links to their files, and searches them', async () => {
    const backup = backups.main, d = describeBackup(backup);
    const { page, context } = await open(backup, 'index.html');
    const cases = [['music', d.musics, 'Musics', (e) => e.Title], ['videos', d.videos, 'Videos', (e) => e.Title],
      ['apps', d.apps, 'Apps', (e) => e.Appname]];
    for (const [id, items, folder, title] of cases) {
      if (!items) { assert.equal(await page.locator(`#${id}`).count(), 0); continue; }
      await page.waitForFunction(([s, n]) => document.querySelectorAll(`#${s} tbody tr`).length === n, [id, items.length]);
      await eventually(() => page.locator(`#${id} tbody tr`).evaluateAll((trs) => trs.map((tr) => ({
        text: tr.innerText, href: tr.querySelector('a')?.getAttribute('href') }))), (rows) => items.forEach((e, i) => {
        assert.ok(rows[i].text.includes(title(e)), `${id} row ${i}: ${rows[i].text} lacks ${title(e)}`);
        assert.equal(decodeURIComponent(rows[i].href), `${folder}/${e.Filename}`);
      }));
    }
    if (!external) {
      await page.fill('#search', 'debussy');
      await page.waitForFunction(() => document.querySelectorAll('#music tbody tr').length === 1);
      await eventually(textOf(page.locator('#music tbody tr')), (t) => assert.ok(t.includes('Clair de lune'), t));
      assert.equal(await page.locator('#videos').isVisible(), false);
    }
    await context.close();
  });
});

describe('messages page', () => {
  it('lists conversations newest first with the latest message and shows a thread dated, sent and received apart', async () => {
    const backup = backups.main, d = describeBackup(backup);
    const { page, context } = await open(backup, 'SMS/SMS.html');
    await eventually(textOf(page.locator('.list-status')), (status) =>
      assert.ok(status.startsWith(`${num(d.sms.conversations)} conversation`) && status.includes(`${num(d.sms.messages)} message`), status));
    assert.equal(await page.locator('.vlist').getAttribute('aria-label'), 'Conversations');
    // Newest conversation first: the first row's date is the latest of all.
    const newest = d.sms.groups.map((g) => g.map((m) => m.Date).sort().at(-1)).sort().at(-1);
    const group = d.sms.groups.find((g) => g.some((m) => m.Date === newest));
    const latest = group.slice().sort((a, b) => (a.Date < b.Date ? 1 : -1))[0];
    const first = page.locator('.row').first();
    const snippet = latest.Text.replace(/\s+/g, ' ').slice(0, 20);
    await eventually(textOf(first), (t) => assert.ok(t.includes(snippet), `${t} lacks ${snippet}`));
    await first.click();
    await page.waitForFunction((n) => document.querySelectorAll('.msg').length === n, Math.min(group.length, 400));
    const msgs = await page.locator('.msg').evaluateAll((ls) => ls.map((l) => ({ out: l.classList.contains('out'), text: l.querySelector('.body').textContent, time: l.querySelector('time')?.getAttribute('datetime') })));
    const sorted = group.slice().sort((a, b) => (a.Date < b.Date ? -1 : a.Date > b.Date ? 1 : 0));
    sorted.slice(-msgs.length).forEach((m, i) => {
      assert.equal(msgs[i].text, m.Text);
      assert.equal(msgs[i].out, m.flags === '1', `message ${i} direction`);
      if (m.Date) assert.equal(msgs[i].time, m.Date.replace(' ', 'T'));
    });
    await context.close();
  });

  it('search finds a message by its text, a conversation by number, and nothing for unknown text', async () => {
    if (external) return;
    const { page, context } = await open(backups.main, 'SMS/SMS.html');
    const cases = [
      ['481516', ['22333'], 'Your verification code is 481516'],
      ['5550100', [HOSTILE_SCRIPT], null],
      ['نلتقي', ['أحمد'], 'مرحبا، كيف حالك؟'],
      ['no such words anywhere', [], null],
    ];
    for (const [query, titles, text] of cases) {
      await search(page, query);
      await eventually(() => page.locator('.row .row-title').allInnerTexts(), (got) => assert.deepEqual(got, titles, query));
      if (text) {
        await page.locator('.row').first().click();
        // The matching message is in the page at once but drawn only once it
        // is on screen; until then its innerText is empty.
        const hit = page.locator('.msg.hit', { hasText: text }).last();
        await hit.waitFor({ timeout: 10000 });
        await eventually(textOf(hit), (t) => assert.ok(t.includes(text), `${query}: "${t}"`));
        await eventually(textOf(hit.locator('mark').first()), (t) => assert.equal(t, query));
      }
    }
    await context.close();
  });

  it('is usable with the keyboard, on a narrow window too', async () => {
    const { page, context } = await open(backups.medium, 'SMS/SMS.html', { width: 380, height: 740 });
    await page.locator('.vlist').focus();
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await page.locator('.detail-pane').waitFor({ state: 'visible' });
    const selected = await page.locator('.row[aria-selected="true"] .row-title').innerText();
    await eventually(textOf(page.locator('.detail-head h2')), (title) => assert.equal(title, selected));
    assert.equal(await page.locator('.row[aria-selected="true"]').getAttribute('aria-posinset'), '2');
    await page.keyboard.press('Escape');
    await page.locator('.list-pane').waitFor({ state: 'visible' });
    await page.locator('.detail-pane').waitFor({ state: 'hidden' });
    await context.close();
  });

  it('keeps only the visible rows of a long list in the page and reaches its end by scrolling', async () => {
    const d = describeBackup(backups.medium);
    const { page, context } = await open(backups.medium, 'SMS/SMS.html');
    assert.ok(await page.locator('.row').count() < 60);
    await page.locator('.vlist').evaluate((n) => { n.scrollTop = n.scrollHeight; });
    await page.waitForFunction((n) => document.querySelector(`.row[aria-posinset="${n}"]`), d.sms.conversations);
    assert.ok(await page.locator('.row').count() < 60);
    // The longest thread opens with its newest messages and loads older ones on demand.
    await page.locator('.vlist').evaluate((n) => { n.scrollTop = 0; });
    await page.locator('.row[aria-posinset="1"]').click();
    const total = d.sms.groups[0].length;
    assert.ok(total > 400);
    await page.waitForFunction(() => document.querySelectorAll('.msg').length === 400);
    // Bringing the button into view or pressing it adds the next older slice.
    await page.locator('.more').click();
    await page.waitForFunction(() => document.querySelectorAll('.msg').length >= 800);
    const first = await page.locator('.msg').first().getAttribute('data-i');
    assert.equal(Number(first), total - (await page.locator('.msg').count()));
    await context.close();
  });
});

// In the page: whether message `index` stays inside the thread's view and
// drawn (its text shown, the point at its centre inside it) for `frames`
// frames in a row, where it was first found otherwise, and its highest place.
async function watchMessage({ index, text, frames = 20 }) {
  let state, minTop = Infinity;
  for (let n = 0; n < frames; n++) {
    await new Promise((r) => requestAnimationFrame(r));
    const el = document.querySelector(`.msg[data-i="${index}"]`);
    const view = document.querySelector('.detail-body').getBoundingClientRect();
    const r = el.getBoundingClientRect();
    const at = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
    minTop = Math.min(minTop, Math.round(r.top));
    const now = { frame: n, top: Math.round(r.top), bottom: Math.round(r.bottom), view: [Math.round(view.top), Math.round(view.bottom)],
      inside: !!at && el.contains(at), text: el.innerText };
    now.shown = r.top >= view.top && r.bottom <= view.bottom && now.inside && now.text.trim() !== '' && now.text.includes(text);
    if (!state || state.shown) state = now;
  }
  return { ...state, minTop };
}

// In the page: waits until the thread's view has not moved for 10 frames.
async function scrollSettled() {
  const body = document.querySelector('.detail-body');
  for (let last = -1, still = 0, n = 0; still < 10 && n < 600; n++) {
    await new Promise((r) => requestAnimationFrame(r));
    still = body.scrollTop === last ? still + 1 : 0;
    last = body.scrollTop;
  }
}

describe('where a conversation opens', () => {
  it('on the found message, else the newest, drawn on screen and kept there until the reader scrolls', async () => {
    const backup = makeLongThreadBackup(path.join(tmp, 'long'));
    const { kingfisher, heron } = LONG_THREAD.finds, newest = LONG_THREAD.messages - 1;
    const wide = { width: 1280, height: 800 }, narrow = { width: 380, height: 740 };
    const cases = [
      // query, window, message shown, older messages load above it
      ['kingfisher', { width: 1280, height: 1600 }, kingfisher, true],
      ['kingfisher', wide, kingfisher, false],
      ['heron', wide, heron, false],
      ['heron', narrow, heron, false],
      ['', wide, newest, false],
      ['', narrow, newest, false],
    ];
    for (const [query, size, index, loadsAbove] of cases) {
      const what = `"${query}" at ${size.width}x${size.height}`;
      const text = query || 'second paragraph';
      const { page, context, problems } = await open(backup, 'SMS/SMS.html', size);
      if (query) await search(page, query);
      await page.locator('.row').first().click();
      await page.locator(`.msg[data-i="${index}"]`).waitFor({ state: 'attached' });
      if (loadsAbove) {
        await eventually(() => page.locator('.msg').first().getAttribute('data-i'),
          (first) => assert.ok(Number(first) < index - 20, `${what}: no older messages loaded above, the first is ${first}`));
      }
      const held = await eventually(() => page.evaluate(watchMessage, { index, text }), (s) => assert.ok(s.shown, `${what}: ${JSON.stringify(s)}`));
      // The reader scrolls up: the view stays where they take it.
      const box = await page.locator('.detail-body').boundingBox();
      await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
      await page.mouse.wheel(0, -3 * box.height);
      await page.evaluate(scrollSettled);
      const after = await page.evaluate(watchMessage, { index, text, frames: 30 });
      assert.ok(after.minTop > held.top + box.height / 2, `${what}, scrolled up: ${JSON.stringify(after)}`);
      assert.deepEqual([...problems.errors, ...problems.console], [], what);
      await context.close();
    }
  });
});

describe('contacts, call log and photos pages', () => {
  it('contacts: every contact listed, every field of a contact shown', async () => {
    const backup = backups.main, d = describeBackup(backup);
    const { page, context } = await open(backup, 'Contacts/Contacts.html');
    await eventually(textOf(page.locator('.list-status')), (t) => assert.ok(t.startsWith(`${num(d.contacts.length)} contact`), t));
    assert.equal(await page.locator('.row').first().getAttribute('aria-setsize'), String(d.contacts.length));
    // The contact with the most fields.
    const keys = ['NickName', 'MobileNumber', 'HomeNumber', 'WorkNumber', 'HomeFax', 'WorkFax', 'Email', 'WorkEmail', 'HomePage',
      'Birthday', 'Organzation', 'Department', 'Group', 'HomeAddress', 'WorkAddress', 'CreateDate', 'Note'];
    const full = d.contacts.slice().sort((a, b) => keys.filter((k) => b[k]).length - keys.filter((k) => a[k]).length)[0];
    await search(page, full.MobileNumber || full.FirstName);
    await page.locator('.row').first().click();
    for (const k of keys.filter((k) => full[k])) {
      await eventually(textOf(page.locator(`dd[data-field="${k}"]`)), (t) => assert.equal(t, full[k], k));
    }
    await context.close();
  });

  it('call log: grouped by number with the call kind in words and durations', async () => {
    const backup = backups.main, d = describeBackup(backup);
    const { page, context } = await open(backup, 'CallHistory/CallHistory.html');
    await eventually(textOf(page.locator('.list-status')), (status) =>
      assert.ok(status.startsWith(`${num(d.calls.numbers)} number`) && status.includes(`${num(d.calls.calls)} call`), status));
    const words = { 1: 'Call In', 2: 'Call Out' };
    for (let i = 0; i < Math.min(d.calls.numbers, 5); i++) {
      const phone = d.calls.groups[i].find((c) => c.Phone)?.Phone;
      if (!phone) continue;
      await search(page, phone);
      await page.locator('.row').first().click();
      const group = d.calls.groups.filter((g) => g.some((c) => c.Phone === phone)).flat();
      const shown = await page.locator('.calls li').evaluateAll((lis) => lis.map((li) => ({
        kind: li.querySelector('.call-kind').textContent, dur: li.querySelector('.call-dur').textContent })));
      assert.equal(shown.length, group.length);
      const want = group.slice().sort((a, b) => (a.CallDate < b.CallDate ? 1 : -1));
      want.forEach((c, j) => {
        assert.equal(shown[j].kind, words[c.CallStatus] || 'Unknown');
        if (/^\d\d:\d\d:\d\d$/.test(c.Duration)) {
          const [h, m, s] = c.Duration.split(':').map(Number);
          assert.equal(shown[j].dur, h ? `${h}:${String(m).padStart(2, '0')}:${String(s).padStart(2, '0')}` : `${m}:${String(s).padStart(2, '0')}`);
        }
      });
    }
    await context.close();
  });

  it('photos: a thumbnail per photo opening the full photo, the default image for a missing thumbnail', async () => {
    const backup = backups.main, d = describeBackup(backup);
    const { page, context } = await open(backup, 'Photos/Photos.html');
    await page.waitForFunction((n) => document.querySelectorAll('.grid li').length === n, d.photos.length);
    await page.waitForFunction(imagesSettled);
    const tiles = await page.locator('.tile').evaluateAll((as) => as.map((a) => ({
      href: a.getAttribute('href'), src: a.querySelector('img').getAttribute('src'), loaded: a.querySelector('img').naturalWidth > 0 })));
    d.photos.forEach((p, i) => {
      assert.equal(decodeURIComponent(tiles[i].href), `Gallery/${p.Filename}`);
      const thumb = fs.existsSync(path.join(backup, 'Datajs/thumb', p.Filename));
      assert.equal(decodeURIComponent(tiles[i].src), thumb ? `../Datajs/thumb/${p.Filename}` : '../Script/noimage.svg', p.Filename);
      assert.ok(tiles[i].loaded, `${p.Filename}: no image shown`);
    });
    await page.locator('.tile').first().click();
    const full = page.locator('dialog.viewer .stage img');
    await full.waitFor();
    await page.waitForFunction(() => document.querySelector('dialog.viewer .stage img').complete);
    assert.equal(decodeURIComponent(await full.getAttribute('src')), `Gallery/${d.photos[0].Filename}`);
    assert.ok(await full.evaluate((img) => img.naturalWidth > 0));
    await page.keyboard.press('ArrowRight');
    await eventually(() => full.getAttribute('src'), (src) => assert.equal(decodeURIComponent(src), `Gallery/${d.photos[1].Filename}`));
    await page.keyboard.press('Escape');
    await eventually(() => page.locator('dialog.viewer').evaluate((dl) => dl.open), (open) => assert.equal(open, false));
    await context.close();
  });
});

describe('missing kinds', () => {
  it('a page whose data file is missing says so instead of showing another file\'s data', async () => {
    // Pages copied into a backup whose data files are gone: each must report
    // its kind as absent even though Deviceinfo.js set "Content" just before.
    const backup = makeMediaOnlyBackup(path.join(tmp, 'orphans'));
    const template = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../viewer/Template');
    fs.cpSync(path.join(template, 'Script'), path.join(backup, 'Script'), { recursive: true });
    const cases = [['SMS', 'No messages in this backup.'], ['Contacts', 'No contacts in this backup.'],
      ['CallHistory', 'No call logs in this backup.'], ['Photos', 'No photos in this backup.']];
    for (const [kind, text] of cases) {
      fs.mkdirSync(path.join(backup, kind), { recursive: true });
      fs.copyFileSync(path.join(template, `${kind}.html`), path.join(backup, kind, `${kind}.html`));
      const { page, context } = await open(backup, `${kind}/${kind}.html`);
      await eventually(textOf(page.locator('main')), (t) => assert.ok(t.includes(text), `${kind}: ${t}`));
      assert.equal(await page.locator('.row, .tile').count(), 0, kind);
      await context.close();
    }
  });

  it('a data file cut short is reported as damaged, not as absent', async () => {
    const backup = makeSmallBackup(path.join(tmp, 'damaged'));
    for (const f of ['SMS.js', 'Contacts.js']) {
      const p = path.join(backup, 'Datajs', f);
      const text = fs.readFileSync(p);
      fs.writeFileSync(p, text.subarray(0, Math.floor(text.length / 2)));
    }
    const cases = [['SMS/SMS.html', 'SMS.js'], ['Contacts/Contacts.html', 'Contacts.js']];
    for (const [rel, file] of cases) {
      const { page, context, problems } = await open(backup, rel);
      await eventually(textOf(page.locator('main')), (t) => assert.ok(t.includes(`(${file}) is damaged`), `${rel}: ${t}`));
      // The browser itself reports the file's syntax error; nothing else goes wrong.
      const other = [...problems.console, ...problems.errors].filter((t) => !/SyntaxError/.test(t));
      assert.deepEqual(other, [], rel);
      await context.close();
    }
    const { page, context } = await open(backup, 'index.html');
    await eventually(() => page.locator('#kinds li:not(.hidden)').evaluateAll((lis) =>
      Object.fromEntries(lis.map((li) => [li.dataset.kind, li.innerText.replace(/\s+/g, ' ').trim()]))), (cards) => {
      assert.match(cards.SMS, /\? Messages Datajs\/SMS\.js is damaged/);
      assert.match(cards.Contacts, /\? Contacts Datajs\/Contacts\.js is damaged/);
      assert.match(cards.CallHistory, /^6 Call logs/);
    });
    await context.close();
  });

  it('the overview shows no entry for a kind that was not backed up', async () => {
    const { page, context } = await open(backups.media, 'index.html');
    const kinds = await page.locator('#kinds li:not(.hidden)').evaluateAll((lis) => lis.map((li) => li.dataset.kind));
    assert.deepEqual(kinds, ['Videos', 'Musics']);
    assert.equal(await page.locator('#apps').count(), 0);
    await context.close();
  });
});

describe('hostile values', () => {
  it('show as text on every page and run nothing', async () => {
    if (external) return;
    const backup = backups.small;
    const pages = [['index.html', null], ['SMS/SMS.html', '.search input'], ['Contacts/Contacts.html', '.search input'],
      ['CallHistory/CallHistory.html', '.search input'], ['Photos/Photos.html', null]];
    for (const [rel, search] of pages) {
      const { page, context, problems } = await open(backup, rel);
      if (search) {
        // Bring the hostile entry into view and open it.
        await searchFor(page, search, rel.startsWith('SMS') ? 'onerror' : rel.startsWith('Call') ? '</script>' : '<img');
        await page.locator('.row').first().click();
      }
      // Every image loaded or failed: an injected one would have run by now.
      await page.waitForFunction(imagesSettled);
      const want = rel.startsWith('index') ? [HOSTILE_SCRIPT, HOSTILE_IMG] : rel.startsWith('Photos') ? ['<img src=x oner'] : [HOSTILE_IMG];
      await eventually(textOf(page.locator('body')), (text) => {
        for (const w of want) assert.ok(text.includes(w), `${rel}: ${w} not shown as text`);
      });
      const injected = await page.evaluate(() => ({
        imgX: document.querySelectorAll('img[src="x"]').length,
        handlers: [...document.querySelectorAll('*')].filter((e) => [...e.attributes].some((a) => /^on/i.test(a.name))).length,
        svgs: document.querySelectorAll('svg[onload]').length,
        inlineScripts: [...document.querySelectorAll('script')].filter((s) => !s.src).length,
      }));
      // index.html carries its own one inline script; nothing else may appear.
      assert.deepEqual(injected, { imgX: 0, handlers: 0, svgs: 0, inlineScripts: rel === 'index.html' ? 1 : 0 }, rel);
      assert.deepEqual(problems.dialogs, [], rel);
      assert.deepEqual(problems.errors, [], rel);
      await context.close();
    }
  });

  it('a home page that is not a web address stays text', async () => {
    if (external) return;
    const { page, context } = await open(backups.small, 'Contacts/Contacts.html');
    await search(page, 'javascript:');
    await page.locator('.row').first().click();
    await eventually(textOf(page.locator('dd[data-field="HomePage"]')), (t) => assert.equal(t, 'javascript:alert(1)'));
    assert.equal(await page.locator('dd[data-field="HomePage"] a').count(), 0);
    assert.equal(await page.locator('a[href^="javascript"]').count(), 0);
    await context.close();
  });
});
