// Starting Debian's Chromium headless through playwright-core, offline.
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch {
  throw new Error('playwright-core is missing: run "npm install" in tests/viewer (scripts/setup.sh does it)');
}

export const CHROMIUM = process.env.TARVELL_CHROMIUM || '/usr/bin/chromium';

export async function launch() {
  if (!fs.existsSync(CHROMIUM)) throw new Error(`Chromium not found at ${CHROMIUM} (Debian package chromium)`);
  // playwright starts the browser with a fresh temporary profile of its own.
  return chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-dev-shm-usage'],
  });
}

export const pageUrl = (backup, rel) => pathToFileURL(path.join(backup, rel)).href;

// A page that records console errors, uncaught exceptions, dialogs and any
// request that leaves the backup folder.
export async function openPage(browser, backup, rel, { width = 1280, height = 800 } = {}) {
  const context = await browser.newContext({ viewport: { width, height }, locale: 'en-GB' });
  const page = await context.newPage();
  const problems = { console: [], errors: [], dialogs: [], requests: [] };
  page.on('console', (m) => { if (m.type() === 'error') problems.console.push(m.text()); });
  page.on('pageerror', (e) => problems.errors.push(String(e)));
  page.on('dialog', async (d) => { problems.dialogs.push(d.message()); await d.dismiss(); });
  const root = pathToFileURL(backup).href;
  page.on('request', (r) => {
    const u = r.url();
    if (!u.startsWith(root) && !u.startsWith('data:')) problems.requests.push(u);
  });
  await page.goto(pageUrl(backup, rel));
  return { page, context, problems };
}
