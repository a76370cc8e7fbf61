// The phone remote, measured against the real program and korvist-sim (rk1),
// in Debian's chromium on a phone-sized touch viewport, under xvfb-run:
// - a slider's move on the page to the request at the device, 100 times;
// - the page's first load to its first live level reading;
// - the program's memory (VmRSS) with the remote off, and on with one phone;
// - what a stranger gets: wrong pairing codes checked in 20 s from one
//   address, and how long --web off takes with a phone that never reads and
//   60 requests dripping a byte at a time.
// Usage: xvfb-run -a node bench/bench_phone.mjs build/release/bin
// (puppeteer-core from tests/e2e/phone's node_modules: npm ci there first).
import { execFileSync } from 'node:child_process';
import { readFileSync, existsSync, rmSync, watch } from 'node:fs';
import { createRequire } from 'node:module';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { isolatedEnvironment, startProgram, launchPhone, phoneViewport } from '../tests/e2e/phone/programs.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);
const require = createRequire(path.join(here, '../tests/e2e/phone/package.json'));
const puppeteer = require('puppeteer-core');
const bin = path.resolve(process.argv[2] ?? 'build/release/bin');
const driver = path.join(bin, 'KorvistDriver');

const { root, env } = isolatedEnvironment('kbp-');
const journal = path.join(root, 'journal.jsonl');
const port = 20000 + (process.pid % 20000);
const origin = `http://127.0.0.1:${port}`;
const children = [];
const start = (program, args) => startProgram(env, children, program, args);
const run = (...args) => execFileSync(driver, args, { env, encoding: 'utf8' });
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const writes = () => (existsSync(journal) ? readFileSync(journal, 'utf8').match(/"code":"0xFFDC2040"/g)?.length ?? 0 : 0);
const rss = (pid) => Number(readFileSync(`/proc/${pid}/status`, 'utf8').match(/VmRSS:\s+(\d+)/)[1]);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;

let browser;
try {
  start(path.join(bin, 'korvist-sim'), ['device', '--model', 'rk1', '--journal', journal]);
  const program = start(driver, []);
  while (!program.log.includes('Remote control listening')) await sleep(50);
  await sleep(2000); // the panel's replay and a few meter readings
  const off = rss(program.pid);

  run('--web', 'on', String(port));
  const code = run('--web').match(/pairing code (\d{6})/)[1];
  let page;
  ({ browser, page } = await launchPhone(puppeteer, '/usr/bin/chromium'));
  await page.goto(`${origin}/#code=${code}`);
  execFileSync('xdotool', ['search', '--sync', '--name', 'Allow a Phone', 'windowfocus', '--sync', 'key', 'alt+a']);
  await page.waitForSelector('input[data-kind$=level]');

  // A paired phone's first load: from the request for the page to its first live level.
  const loaded = await browser.newPage();
  await loaded.setViewport(phoneViewport);
  const begun = performance.now();
  await loaded.goto(origin);
  await loaded.waitForFunction(() => [...document.querySelectorAll('.meter .db')].some((db) => db.textContent !== ''));
  const firstLive = performance.now() - begun;
  await loaded.close();
  const on = rss(program.pid);

  const moves = [];
  const slider = await page.$('input[data-kind$=level]');
  for (let i = 0; i < 100; ++i) {
    const before = writes();
    const arrived = new Promise((done) => {
      const watcher = watch(journal, () => { if (writes() > before) { watcher.close(); done(); } });
    });
    const begin = performance.now();
    await slider.evaluate((s, value) => {
      s.value = String(value);
      s.dispatchEvent(new Event('input', { bubbles: true }));
      s.dispatchEvent(new Event('change', { bubbles: true }));
    }, i % 2 ? 300 : 400);
    await arrived;
    moves.push(performance.now() - begin);
    await sleep(60); // past the surfaces' throttle interval, as bench_remote's channel and OSC lines
  }
  console.log(`load average ${os.loadavg()[0].toFixed(2)}`);
  console.log(`slider to device: median ${median(moves).toFixed(1)} ms, mean ${mean(moves).toFixed(1)} ms (100 moves)`);
  console.log(`first load to live levels: ${firstLive.toFixed(0)} ms`);
  console.log(`memory (VmRSS): remote off ${off} kB, on with one phone ${on} kB (+${on - off} kB)`);

  // A guesser, one wrong code after another for 20 s.
  const answers = { checked: 0, heldOff: 0 };
  const guessing = performance.now();
  while (performance.now() - guessing < 20000) {
    const status = await fetch(`${origin}/pair`, { method: 'POST', body: '{"code":"000000"}',
      headers: { Origin: origin } }).then((r) => r.status).catch(() => 0);
    if (status === 403) ++answers.checked; else ++answers.heldOff;
  }
  const wait = program.log.match(/it may try again in (\d+) min/)?.[1];
  console.log(`guesser: ${answers.checked} codes checked, ${answers.heldOff} held off in 20 s; then waits ${wait} min`);

  // A phone that never reads, its socket full of the levels it was sent, and 60 dripping requests.
  const token = (await page.cookies()).find((c) => c.name === 'korvist_phone').value;
  const meters = '{"t":"meters","rate":20}';
  const deaf = net.connect({ port, host: '127.0.0.1' });
  deaf.on('error', () => {});
  deaf.write(`GET /ws HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nOrigin: ${origin}\r\nCookie: korvist_phone=${token}\r\n`
    + 'Connection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n'
    + Buffer.from([0x81, 0x80 | meters.length, 0, 0, 0, 0]).toString('latin1') + meters);
  deaf.pause();
  const drippers = [...Array(60)].map(() => net.connect({ port, host: '127.0.0.1', localAddress: '127.0.0.3' })
    .on('error', () => {}));
  const drip = setInterval(() => drippers.forEach((socket) => socket.write('G')), 200);
  await sleep(5000);
  const stopping = performance.now();
  run('--web', 'off');
  console.log(`--web off with a phone that never reads and 60 dripping requests: ${(performance.now() - stopping).toFixed(0)} ms`);
  clearInterval(drip);
  drippers.forEach((socket) => socket.destroy());
  deaf.destroy();
} catch (error) {
  console.log(error.message);
  for (const child of children) console.log(child.spawnargs.join(' '), child.log.slice(-600));
  process.exitCode = 1;
} finally {
  if (browser) await browser.close();
  for (const child of children) child.kill();
  rmSync(root, { recursive: true, force: true });
}
