#!/usr/bin/env node
// Times the viewer's messages page on a large backup in headless Chromium:
// how long until the conversation list is shown, how long the longest thread
// takes to open, and how smoothly the list and the thread scroll.
//
//   node bench/viewer/sms-page-timing.mjs [runs]
//
// The backup is TARVELL_VIEWER_BACKUP when set, else a generated phone with
// 50 000 messages in 3 000 conversations (10 000 contacts, 10 000 calls,
// 2 000 photos).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, openPage } from '../../tests/viewer/browser.mjs';
import { makeLargeBackup } from '../../tests/viewer/make-fixture-backup.mjs';

const runs = Number(process.argv[2] || 5);
let tmp = null, backup = process.env.TARVELL_VIEWER_BACKUP;
if (!backup) {
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tarvell-viewer-bench-'));
  const t = Date.now();
  backup = makeLargeBackup(tmp);
  console.log(`generated ${backup} in ${Date.now() - t} ms`);
}
const smsBytes = fs.statSync(path.join(backup, 'Datajs/SMS.js')).size;

const stats = (xs) => {
  const s = xs.slice().sort((a, b) => a - b);
  const q = (p) => s[Math.min(s.length - 1, Math.floor(p * s.length))];
  return { median: q(0.5), min: s[0], max: s.at(-1) };
};
const ms = (x) => `${x.toFixed(0)} ms`;

// Scrolls an element by `step` pixels each frame for `frames` frames and
// returns the frame intervals. A wheel event first, as a reader's scrolling
// starts: an opened thread holds its newest message in view until then.
const scrollFrames = (selector, step, frames) => [selector, step, frames];
async function measureScroll(page, [selector, step, frames]) {
  return page.evaluate(([sel, st, n]) => new Promise((resolve) => {
    const node = document.querySelector(sel), times = [];
    node.dispatchEvent(new WheelEvent('wheel', { deltaY: st, bubbles: true }));
    let i = 0, last = performance.now();
    function frame(now) {
      times.push(now - last); last = now;
      node.scrollTop += st;
      if (++i < n) requestAnimationFrame(frame); else resolve(times.slice(1));
    }
    requestAnimationFrame(frame);
  }), [selector, step, frames]);
}
function frameSummary(times) {
  const s = times.slice().sort((a, b) => a - b);
  return { frames: times.length, mean: times.reduce((a, b) => a + b, 0) / times.length,
    p95: s[Math.floor(0.95 * s.length)], max: s.at(-1), over50: times.filter((t) => t > 50).length };
}

// The browser's own cost of loading the data file, for comparison: a bare page
// that loads SMS.js and does nothing else.
const bare = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'tarvell-viewer-bare-')), 'bare.html');
fs.writeFileSync(bare, `<!DOCTYPE html><meta charset="utf-8"><script src="${pathToFileURL(path.join(backup, 'Datajs/SMS.js')).href}"></script>` +
  '<script>document.title = String(performance.now())</script>');

// A plain page of text, to tell the machine's own frame time from the viewer's.
const plain = path.join(path.dirname(bare), 'plain.html');
fs.writeFileSync(plain, '<!DOCTYPE html><meta charset="utf-8"><style>body{margin:0}#s{height:100vh;overflow:auto}</style><div id="s">' +
  Array.from({ length: 3000 }, (_, i) => `<p>Paragraph ${i} with a little text to lay out and paint.</p>`).join('') + '</div>');

const STEP = 200; // pixels a frame: a brisk wheel or fling
const browser = await launch();
const shown = [], ready = [], wall = [], openThread = [], listScroll = [], threadScroll = [], overview = [], bareLoad = [], plainScroll = [];
try {
  {
    const p = await openPage(browser, path.dirname(plain), 'plain.html');
    plainScroll.push(frameSummary(await measureScroll(p.page, scrollFrames('#s', STEP, 240))));
    await p.context.close();
  }
  for (let r = 0; r < runs; r++) {
    const b = await openPage(browser, path.dirname(bare), 'bare.html');
    await b.page.waitForFunction(() => document.title !== '', null, { timeout: 60000 });
    bareLoad.push(Number(await b.page.title()));
    await b.context.close();

    const t0 = Date.now();
    const { page, context, problems } = await openPage(browser, backup, 'SMS/SMS.html');
    await page.waitForSelector('.row', { timeout: 60000 });
    wall.push(Date.now() - t0);
    await page.waitForSelector('body[data-ready]', { state: 'attached' });
    const marks = await page.evaluate(() => ({
      shown: performance.getEntriesByName('conversations-shown')[0]?.startTime,
    }));
    shown.push(marks.shown);
    ready.push(wall.at(-1));
    // Open the longest conversation (the newest here) afresh and wait two frames.
    openThread.push(await page.evaluate(() => new Promise((resolve) => {
      const rows = document.querySelectorAll('.row');
      rows[1].click();
      const t = performance.now();
      rows[0].click();
      requestAnimationFrame(() => requestAnimationFrame(() => resolve(performance.now() - t)));
    })));
    listScroll.push(frameSummary(await measureScroll(page, scrollFrames('.vlist', STEP, 240))));
    threadScroll.push(frameSummary(await measureScroll(page, scrollFrames('.detail-body', -STEP, 240))));
    if (problems.errors.length || problems.console.length) console.log('page problems:', problems);
    await context.close();

    const t1 = Date.now();
    const o = await openPage(browser, backup, 'index.html');
    await o.page.waitForSelector('body[data-ready]', { state: 'attached', timeout: 60000 });
    overview.push(Date.now() - t1);
    await o.context.close();
  }
} finally {
  await browser.close();
  if (tmp) fs.rmSync(tmp, { recursive: true, force: true });
  fs.rmSync(path.dirname(bare), { recursive: true, force: true });
}

const threadSize = '4 001';
console.log(`\nload average at the end: ${os.loadavg().map((x) => x.toFixed(1)).join(' ')} on ${os.cpus().length} cores`);
console.log(`Messages page, ${runs} runs, SMS.js ${(smsBytes / 1048576).toFixed(1)} MiB (headless Chromium, file://)`);
const show = (label, xs) => { const s = stats(xs); console.log(`  ${label.padEnd(44)} median ${ms(s.median)}  (min ${ms(s.min)}, max ${ms(s.max)})`); };
show('bare page loading SMS.js only (browser cost)', bareLoad);
show('conversation list shown (navigation start)', shown);
show('first row visible (wall clock from goto)', wall);
show(`longest thread opened (${process.env.TARVELL_VIEWER_BACKUP ? 'first row' : threadSize + ' messages'})`, openThread);
show('overview page with all counts (wall clock)', overview);
const scroll = (label, xs) => {
  const f = xs.reduce((a, x) => ({ mean: a.mean + x.mean / xs.length, p95: Math.max(a.p95, x.p95), max: Math.max(a.max, x.max), over50: a.over50 + x.over50, frames: a.frames + x.frames }), { mean: 0, p95: 0, max: 0, over50: 0, frames: 0 });
  console.log(`  ${label.padEnd(44)} mean frame ${f.mean.toFixed(1)} ms, worst p95 ${f.p95.toFixed(1)} ms, max ${f.max.toFixed(1)} ms, ${f.over50}/${f.frames} frames over 50 ms`);
};
scroll(`scrolling a plain text page (${STEP} px a frame)`, plainScroll);
scroll(`scrolling the conversation list (${STEP} px)`, listScroll);
scroll(`scrolling the thread up, loading (${STEP} px)`, threadScroll);
