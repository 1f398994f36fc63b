// The web version in Debian's headless Chromium, driven as a reader and as the end-to-end
// tests drive the native program:
//  - a browser without WebAssembly is told so;
//  - a reader's run: the page's title, the start prompt, the first intro frame (its time from
//    load is printed), a screenshot, the gesture that starts the sound without ending the
//    intro, Escape to the magazine and a click on its quit button, which ends the run;
//  - a scripted fixed-step run whose frames at frame 100 of the intro and 200 frames after
//    the hand-over are compared with the native program's, run with the same options; the
//    tracker's ring must have played sound.
//
// node browser_test.mjs --site DIR --native KELVARIN --chromium PATH [--screenshot FILE.png]
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import { chromium } from 'playwright-core';

import { serveFolder } from '../../platform/web/serve.mjs';

const SOURCE = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const FRAME_W = 800, FRAME_H = 600;
const FIXED_STEP_MS = 16;
const INTRO_FRAME = 100;
const HAND_OVER_FRAME = 152;   // the script's Escape ends the intro here (press at 150, release at 151)
const MAGAZINE_FRAME = HAND_OVER_FRAME + 200;
// Pixels may differ where a value goes through the C library's mathematical functions, whose
// last bit differs between libraries; no more than this share of a frame.
const MAX_DIFFERING = 0.001;
const VIEWPORT = { width: 1000, height: 750 };
const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const TIMEOUT_MS = 120000;

const SCRIPT = [
  '# leave the intro, scroll the editorial, point at the menu',
  `150 key down Escape`,
  `151 key up Escape`,
  '200 move 420 330',
  '230 wheel -3',
  '260 key down PageDown',
  '262 key up PageDown',
  '300 move 300 120',
].join('\n') + '\n';

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) ++failures;
}

function options() {
  const o = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i + 1 < argv.length; i += 2) o[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const need of ['site', 'native', 'chromium'])
    if (!o[need]) throw new Error(`--${need} is needed`);
  return o;
}

// The quit button's box in frame pixels, from the panel's button table.
function quitButton() {
  const text = readFileSync(join(SOURCE, 'gfx', 'assets.cpp'), 'utf8');
  const m = text.match(/(\d+),\s*(\d+),\s*(\d+),\s*(\d+),\s*\d+,\s*\d+,\s*\/\/ quit/);
  if (!m) throw new Error('no quit button in gfx/assets.cpp');
  const [x, y, w, h] = m.slice(1).map(Number);
  return { x, y, w, h };
}

// Where a frame pixel lands on the page: the frame fills the viewport as far as its shape allows,
// centred (window_fit_viewport).
function pagePoint(fx, fy) {
  const wide = VIEWPORT.width * FRAME_H > VIEWPORT.height * FRAME_W;
  const w = wide ? Math.floor(VIEWPORT.height * FRAME_W / FRAME_H) : VIEWPORT.width;
  const h = wide ? VIEWPORT.height : Math.floor(VIEWPORT.width * FRAME_H / FRAME_W);
  const x = Math.floor((VIEWPORT.width - w) / 2), y = Math.floor((VIEWPORT.height - h) / 2);
  return { x: x + (fx + 0.5) * w / FRAME_W, y: y + (fy + 0.5) * h / FRAME_H };
}

// 8-bit RGB PNG, as the native program writes its captures, into 0x00RRGGBB pixels.
function readPng(path) {
  const data = readFileSync(path);
  let at = 8, width = 0, height = 0;
  const parts = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at), type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 2 || body[12] !== 0) throw new Error(`${path}: not an 8-bit RGB PNG`);
    } else if (type === 'IDAT') {
      parts.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(parts));
  const stride = width * 3, rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= 3 ? rows[y * stride + i - 3] : 0, b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= 3 && y > 0 ? rows[(y - 1) * stride + i - 3] : 0;
      let add = 0;
      if (filter === 1) add = a;
      else if (filter === 2) add = b;
      else if (filter === 3) add = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + i] = (line[i] + add) & 0xFF;
    }
  }
  const pixels = new Uint32Array(width * height);
  for (let i = 0; i < pixels.length; ++i) pixels[i] = (rows[i * 3] << 16) | (rows[i * 3 + 1] << 8) | rows[i * 3 + 2];
  return { width, height, pixels };
}

function runNative(exe, dir) {
  const script = join(dir, 'script.txt');
  writeFileSync(script, SCRIPT);
  const args = ['--fixed-step', String(FIXED_STEP_MS), '--frames', String(MAGAZINE_FRAME + 1), '--script', script,
    '--capture', `${INTRO_FRAME}:${join(dir, 'intro.png')}`, '--capture', `${MAGAZINE_FRAME}:${join(dir, 'magazine.png')}`];
  const run = spawnSync(exe, args, {
    env: { ...process.env, SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'dummy' }, timeout: TIMEOUT_MS, encoding: 'utf8',
  });
  check(run.status === 0, `native run ends with status 0 (${run.status}${run.stderr ? ': ' + run.stderr.trim() : ''})`);
  return { intro: readPng(join(dir, 'intro.png')), magazine: readPng(join(dir, 'magazine.png')) };
}

function compare(name, native, web) {
  if (!web || web.width !== native.width || web.height !== native.height) {
    check(false, `${name}: the page captured a ${FRAME_W} x ${FRAME_H} frame`);
    return;
  }
  let differing = 0;
  for (let i = 0; i < native.pixels.length; ++i) if ((native.pixels[i] & 0xFFFFFF) !== (web.pixels[i] & 0xFFFFFF)) ++differing;
  const share = differing / native.pixels.length;
  console.log(`     ${name}: ${differing} of ${native.pixels.length} pixels differ from the native frame (${(share * 100).toFixed(3)} %)`);
  check(share <= MAX_DIFFERING, `${name} matches the native program's frame`);
}

async function startPage(browser, base, query) {
  const page = await browser.newPage({ viewport: VIEWPORT });
  page.on('pageerror', (e) => check(false, `no error in the page (${e.message})`));
  await page.goto(base + query);
  await page.waitForFunction(() => window.kelvarin && window.kelvarin.frames > 0, null, { timeout: TIMEOUT_MS });
  return page;
}

// The program's exit status once it has ended; null when it does not end in time.
async function exitStatus(page) {
  try {
    await page.waitForFunction(() => window.kelvarin.exitStatus !== null, null, { timeout: TIMEOUT_MS });
    return await page.evaluate(() => window.kelvarin.exitStatus);
  } catch {
    return null;
  }
}

async function readersRun(browser, base, screenshot) {
  const page = await startPage(browser, base, '');
  const firstFrame = await page.evaluate(() => window.kelvarin.firstFrameAt);
  console.log(`     first intro frame ${firstFrame.toFixed(0)} ms after the page began to load`);
  check(await page.title() === 'THE KELVARIN ISSUE 30', `the page's title is the issue's (${await page.title()})`);
  check(await page.isVisible('#prompt'), 'the start prompt shows over the intro');
  // Long enough for the scroll line's first words.
  await page.waitForTimeout(6000);
  if (screenshot) await page.screenshot({ path: screenshot });

  // The gesture that starts the sound does nothing else: the intro goes on.
  await page.mouse.click(VIEWPORT.width / 2, VIEWPORT.height / 3);
  const before = await page.evaluate(() => window.kelvarin.frames);
  await page.waitForFunction((n) => window.kelvarin.frames > n + 30, before, { timeout: TIMEOUT_MS });
  check(!(await page.isVisible('#prompt')), 'the first click takes the prompt away');
  check(await page.evaluate(() => window.kelvarin.started && window.kelvarin.exitStatus === null),
    'the click that starts the sound leaves the intro running');

  // Keys and buttons are held as long as a hand holds them: the program samples them once a frame.
  // F11 and Alt+Enter are the browser's full screen, and nothing else.
  await page.keyboard.press('F11');
  await page.waitForFunction(() => !!document.fullscreenElement, null, { timeout: TIMEOUT_MS }).catch(() => {});
  const fullScreen = await page.evaluate(() => !!document.fullscreenElement);
  await page.keyboard.press('Alt+Enter');
  await page.waitForFunction(() => !document.fullscreenElement, null, { timeout: TIMEOUT_MS }).catch(() => {});
  check(fullScreen && await page.evaluate(() => !document.fullscreenElement && window.kelvarin.exitStatus === null),
    'F11 takes the page to full screen and Alt+Enter back, the intro running on');

  await page.keyboard.press('Escape', { delay: 100 });
  const handOver = await page.evaluate(() => window.kelvarin.frames);
  await page.waitForFunction((n) => window.kelvarin.frames > n + 60, handOver, { timeout: TIMEOUT_MS });

  // A hidden tab shows nothing until it is shown again, and the run goes on.
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { value: h, configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  await page.waitForTimeout(200);
  const hiddenAt = await page.evaluate(() => window.kelvarin.frames);
  await page.waitForTimeout(500);
  check(await page.evaluate((n) => window.kelvarin.frames === n, hiddenAt), 'a hidden tab presents no frames');
  await setHidden(false);
  await page.waitForFunction((n) => window.kelvarin.frames > n + 10, hiddenAt, { timeout: TIMEOUT_MS });

  const quit = quitButton();
  const at = pagePoint(quit.x + quit.w / 2, quit.y + quit.h / 2);
  await page.mouse.click(at.x, at.y, { delay: 100 });
  const status = await exitStatus(page);
  check(status === 0, `clicking the quit button ends the run with status 0 (${status})`);
  await page.close();
}

async function withoutWebAssembly(browser, base) {
  const page = await browser.newPage({ viewport: VIEWPORT });
  await page.addInitScript(() => { delete window.WebAssembly; });
  await page.goto(base);
  const text = await page.textContent('#boxes');
  check(/needs a browser that runs WebAssembly/.test(text) && !(await page.isVisible('#prompt')),
    'a browser without WebAssembly is told so in plain words');
  await page.close();
}

async function scriptedRun(browser, base, native) {
  const query = `?fixed-step=${FIXED_STEP_MS}&frames=${MAGAZINE_FRAME + 1}&capture=${INTRO_FRAME}:intro` +
    `&capture=${MAGAZINE_FRAME}:magazine&script=${encodeURIComponent(SCRIPT)}`;
  const page = await startPage(browser, base, query);
  const status = await exitStatus(page);
  check(status === 0, `the scripted run ends after its frames with status 0 (${status})`);
  const result = await page.evaluate(() => {
    const grab = (c) => c && { width: c.width, height: c.height, pixels: Array.from(c.pixels) };
    return { intro: grab(window.kelvarin.captures.intro), magazine: grab(window.kelvarin.captures.magazine),
      audio: window.kelvarin.audio, messages: window.kelvarin.messages };
  });
  compare(`frame ${INTRO_FRAME} (intro)`, native.intro, result.intro);
  compare(`frame ${MAGAZINE_FRAME} (magazine, 200 frames after the hand-over)`, native.magazine, result.magazine);
  const ring = result.audio.devices.find((d) => d.looping);
  check(ring && ring.peak > 0, `the tracker's ring played sound after the hand-over (${JSON.stringify(ring)})`);
  if (result.messages.length) console.log(`     messages: ${result.messages.join(' | ')}`);
  await page.close();
}

const o = options();
const dir = mkdtempSync(join(tmpdir(), 'kelvarin_web_'));
const server = await serveFolder(o.site, 0);
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({ executablePath: o.chromium, headless: true, args: CHROMIUM_FLAGS });
try {
  const native = runNative(o.native, dir);
  await readersRun(browser, base, o.screenshot);
  await withoutWebAssembly(browser, base);
  await scriptedRun(browser, base, native);
} catch (e) {
  check(false, `the run went through (${e.message})`);
} finally {
  await browser.close();
  server.close();
  rmSync(dir, { recursive: true, force: true });
}
console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
process.exit(failures ? 1 : 0);
