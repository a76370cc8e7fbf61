// The phone remote in Debian's chromium against the program and korvist-sim,
// each run in its own XDG directories under xvfb-run; a second start of the
// program (--web, --set) turns the remote on, reads its pairing code and
// changes the panel. Arguments: korvist-sim, KorvistDriver, chromium.
import { execFileSync } from 'node:child_process';
import { readFileSync, existsSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import assert from 'node:assert/strict';
import { isolatedEnvironment, startProgram, launchPhone } from './programs.mjs';

const require = createRequire(import.meta.url);
let puppeteer;
try {
  puppeteer = require('puppeteer-core');
} catch {
  console.log('SKIP: run scripts/install-deps.sh phone, which installs the npm packages');
  process.exit(77);
}
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const [simPath, driverPath, chromiumPath] = process.argv.slice(2);

const { root, env } = isolatedEnvironment('korvist-phone-');
const journal = path.join(root, 'journal.jsonl');
const port = 20000 + (process.pid % 20000);
const origin = `http://127.0.0.1:${port}`;

const children = [];
const start = (program, args) => startProgram(env, children, program, args);
// Waits for the child's log to match, with no bound but the test's own timeout.
async function logMatch(child, pattern, from = 0) {
  for (;;) {
    const found = child.log.slice(from).match(pattern);
    if (found) return found;
    await new Promise((done) => { child.stdout.once('data', done); child.stderr.once('data', done); });
  }
}
// Requests that change the sound (the mixer block, a command such as a gain or 48 V); meter reads do not count.
const journalLines = () => (existsSync(journal) ? readFileSync(journal, 'utf8').split('\n')
  .filter((line) => /"code":"0x(FFDC2040|FFDC209C)"/.test(line)).length : 0);
async function until(check) {
  while (!(await check())) await new Promise((done) => setTimeout(done, 50));
}
function request(method, url, headers = {}, body = '', localAddress = undefined) {
  return new Promise((done, fail) => {
    const sent = http.request(`${origin}${url}`, { method, localAddress, headers: { 'Content-Type': 'application/json', ...headers } },
      (answer) => { let text = ''; answer.on('data', (d) => { text += d; }); answer.on('end', () => done({ status: answer.statusCode, text, headers: answer.headers })); });
    sent.on('upgrade', (answer, socket) => { socket.destroy(); done({ status: answer.statusCode }); });
    sent.on('error', fail);
    sent.end(body);
  });
}
const upgrade = (headers) => request('GET', '/ws', { Connection: 'Upgrade', Upgrade: 'websocket',
  'Sec-WebSocket-Version': '13', 'Sec-WebSocket-Key': 'dGhlIHNhbXBsZSBub25jZQ==', ...headers });

const rows = [];
const row = (name, run) => rows.push({ name, run });
let browser;
let page;
let host;
let sim;
const simArgs = ['device', '--model', 'rk1', '--journal', journal];
// The code the program shows now, as --web tells it.
const pairingCode = () => execFileSync(driverPath, ['--web'], { env, encoding: 'utf8' }).match(/pairing code (\d{6})/)[1];

row('requests naming another Host, Origin or no cookie are refused', async () => {
  assert.equal((await request('GET', '/', { Host: `rebound.example:${port}` })).status, 403);
  assert.equal((await request('POST', '/pair', { Origin: 'http://elsewhere.example' }, '{"code":"000000"}')).status, 403);
  assert.notEqual((await upgrade({ Origin: origin })).status, 101);
});

// A raw connection from address that sends text and keeps what comes back.
function rawConnection(localAddress, text) {
  const socket = net.connect({ port, host: '127.0.0.1', localAddress });
  socket.received = '';
  socket.on('data', (data) => { socket.received += data; });
  socket.on('error', () => {});
  socket.ended = new Promise((done) => socket.on('close', done));
  socket.write(text);
  return socket;
}

row('wrong codes from another address are held off, and the code on the desktop stays', async () => {
  const before = pairingCode();
  const wrong = before === '000000' ? '000001' : '000000';
  const guess = () => request('POST', '/pair', { Origin: origin }, JSON.stringify({ code: wrong }), '127.0.0.2');
  for (let i = 0; i < 5; ++i) assert.equal((await guess()).status, 403);
  assert.equal((await guess()).status, 429);
  assert.equal(pairingCode(), before);
});

row('questions answered "Don\'t Allow" or left unasked for leave the desktop and hold no pairing up', async () => {
  const ask = async () => (await request('POST', '/pair', { Origin: origin }, JSON.stringify({ code: pairingCode() }))).status;
  const prompt = ['search', '--onlyvisible', '--name', 'Allow a Phone'];
  const shown = () => { try { execFileSync('xdotool', prompt, { env: process.env }); return true; } catch { return false; } };
  for (let i = 0; i < 3; ++i) {
    assert.equal(await ask(), 202);
    await until(shown);
    // xdotool may complain of the window the key closed; whether it went is what the next line waits for.
    try { execFileSync('xdotool', [...prompt, 'windowfocus', '--sync', 'key', 'alt+d'], { env: process.env, stdio: 'ignore' }); } catch {}
    await until(() => !shown());
  }
  // A fourth is asked all the same; its phone never comes back for the answer, and the question goes.
  assert.equal(await ask(), 202);
  await until(shown);
  await until(() => !shown());
});

row('the page pairs once the desktop allows it, and shows the panel', async () => {
  const code = pairingCode();
  await page.goto(`${origin}/#code=${code}`);
  execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--name', 'Allow a Phone', 'windowfocus', '--sync', 'key', 'alt+a'], { env: process.env });
  await page.waitForSelector('input[type=range]');
  assert.equal(await page.evaluate(() => location.hash), '');
  const cookies = await page.cookies();
  assert.ok(cookies.some((c) => c.name === 'korvist_phone' && c.httpOnly && c.sameSite === 'Strict'));
});

row('a forged cookie is refused, the real one upgrades', async () => {
  assert.notEqual((await upgrade({ Origin: origin, Cookie: 'korvist_phone=forged' })).status, 101);
  const token = (await page.cookies()).find((c) => c.name === 'korvist_phone').value;
  assert.notEqual((await upgrade({ Origin: 'http://elsewhere.example', Cookie: `korvist_phone=${token}` })).status, 101);
  assert.equal((await upgrade({ Origin: origin, Cookie: `korvist_phone=${token}` })).status, 101);
});

row('a slider moved by keys and by touch reaches the device', async () => {
  const lines = journalLines();
  const slider = await page.$('input[data-kind$=level]');
  const before = await slider.evaluate((s) => s.getAttribute('aria-valuetext'));
  await slider.focus();
  await page.keyboard.press('ArrowUp');
  await page.waitForFunction((b) => document.activeElement.getAttribute('aria-valuetext') !== b, {}, before);
  await until(() => journalLines() > lines);
  const box = await slider.boundingBox();
  const touched = journalLines();
  const y = box.y + box.height / 2;
  await page.touchscreen.touchStart(box.x + box.width * 0.5, y);
  await page.touchscreen.touchMove(box.x + box.width * 0.6, y);
  await page.touchscreen.touchEnd();
  await until(() => journalLines() > touched);
  // Neither a tap at the track's end nor End jumps it: the thumb stays, and the next step up is one dB above.
  execFileSync(driverPath, ['--set', `${await slider.evaluate((s) => s.dataset.control)}=-40`], { env });
  const shows = (text) => page.waitForFunction((s, t) => s.getAttribute('aria-valuetext') === t, {}, slider, text);
  await shows('-40 dB');
  const thumb = await slider.evaluate((s) => s.value);
  await page.touchscreen.tap(box.x + box.width - 2, y);
  assert.equal(await slider.evaluate((s) => s.value), thumb);
  await slider.focus();
  await page.keyboard.press('End');
  await page.keyboard.press('ArrowUp');
  await page.waitForFunction((s) => s.getAttribute('aria-valuetext') !== '-40 dB', {}, slider);
  assert.equal(await slider.evaluate((s) => s.getAttribute('aria-valuetext')), '-39 dB');
});

row('a paired phone is served while another address drips 60 requests', async () => {
  const drippers = [...Array(60)].map(() => rawConnection('127.0.0.2', 'GET / HTTP/1.1\r\n'));
  const drip = setInterval(() => drippers.forEach((socket) => socket.write('X')), 200);
  try {
    const token = (await page.cookies()).find((c) => c.name === 'korvist_phone').value;
    assert.equal((await request('GET', '/session', { Cookie: `korvist_phone=${token}` })).text, '{"paired":true}');
    assert.equal((await upgrade({ Origin: origin, Cookie: `korvist_phone=${token}` })).status, 101);
  } finally {
    clearInterval(drip);
    drippers.forEach((socket) => socket.destroy());
  }
});

row('a change made elsewhere reaches the page', async () => {
  const [name, control] = await page.evaluate(() => {
    const slider = document.querySelector('input[data-kind$=level]');
    return [slider.id, slider.dataset.control];
  });
  execFileSync(driverPath, ['--set', `${control}=-30`], { env });
  await page.waitForFunction((id) => document.getElementById(id).getAttribute('aria-valuetext') === '-30 dB', {}, name);
});

row('a forged raise reaches the device in steps of at most 6 dB', async () => {
  execFileSync(driverPath, ['--set', 'HeadphoneValue=-80'], { env });
  const slider = await page.$('input[data-control=HeadphoneValue]');
  await page.waitForFunction((s) => s.getAttribute('aria-valuetext') === '-80 dB', {}, slider);
  const lines = journalLines();
  await page.evaluate(() => {
    const forger = new WebSocket(`ws://${location.host}/ws`);
    forger.onopen = () => forger.send(JSON.stringify({ t: 'fader', control: 'HeadphoneValue', position: 1 }));
  });
  await page.waitForFunction((s) => s.getAttribute('aria-valuetext') === '6 dB', {}, slider);
  // -80 to +6 dB: fifteen writes of the mixer at least, none more than 6 dB above the last.
  assert.ok(journalLines() - lines >= 15, `${journalLines() - lines} writes`);
});

row('48 V cannot be switched on from the page, nor by a forged message', async () => {
  const phantom = await page.$$eval('button[data-kind="phantom power"]', (buttons) => buttons.map((b) => b.disabled));
  assert.ok(phantom.length > 0 && phantom.every((disabled) => disabled));
  const lines = journalLines();
  // A second socket of the paired page, sending what its switch never would.
  const reply = await page.evaluate(() => new Promise((done) => {
    const control = document.querySelector('[data-kind="phantom power"]').dataset.control;
    const socket = new WebSocket(`ws://${location.host}/ws`);
    socket.onopen = () => socket.send(JSON.stringify({ t: 'set', control, value: 'on' }));
    socket.onmessage = (event) => {
      const message = JSON.parse(event.data);
      if (message.t === 'reply') { socket.close(); done(message); }
    };
  }));
  assert.ok(reply.refused && reply.why === 'phantom', JSON.stringify(reply));
  assert.equal(journalLines(), lines);
});

row('a preset loaded from the page shows its answer and leaves 48 V off with a note; one gone since is refused in the page\'s words', async () => {
  for (const step of [['--set', 'Mic48VIsChecked=on'], ['--preset-save', 'p'], ['--set', 'Mic48VIsChecked=off']])
    execFileSync(driverPath, step, { env });
  // The page learns of a new preset with the next view.
  await page.reload();
  await page.waitForSelector('#preset option[value=p]');
  await page.select('#preset', 'p');
  await page.click('#load');
  const notes = await page.waitForFunction(() => {
    const lines = [...document.querySelectorAll('#reply p')].map((line) => [line.className, line.textContent]);
    return lines.length > 1 && lines;
  });
  const [[firstClass, first], ...rest] = await notes.jsonValue();
  assert.notEqual(firstClass, 'refused', first);
  assert.match(first, /preset "p"/);
  assert.ok(rest.some(([, note]) => /48 ?V/.test(note)), JSON.stringify(rest));
  assert.equal(await page.$eval('[data-kind="phantom power"]', (button) => button.getAttribute('aria-pressed')), 'false');
  // The page's list is a view old: the preset went since.
  execFileSync(driverPath, ['--preset-delete', 'p'], { env });
  await page.click('#load');
  const refused = await page.waitForSelector('#reply .refused');
  assert.equal(await refused.evaluate((line) => line.textContent), 'There is no preset "p" for this interface any more.');
});

row('an unplugged interface is shown, and the panel comes back when it returns', async () => {
  sim.kill();
  await page.waitForFunction(() => document.getElementById('panel').hidden
    && /no interface/i.test(document.getElementById('state').textContent));
  sim = start(simPath, simArgs);
  await page.waitForSelector('#panel:not([hidden]) input[type=range]');
});

row('a page out of sight gets no levels while one in sight gets them', async () => {
  const levelsWhileHidden = await page.evaluate(() => new Promise((done) => {
    const socket = (onMessage) => {
      const opened = new WebSocket(`ws://${location.host}/ws`);
      opened.onmessage = (event) => onMessage(JSON.parse(event.data), opened);
      return opened;
    };
    let hiddenLevels = 0;
    let counting = false;
    const hidden = socket((message) => {
      if (message.t === 'levels' && counting) ++hiddenLevels;
      // The refusal comes after the request for no levels was taken, on the same connection.
      if (message.t !== 'reply' || counting) return;
      counting = true;
      let seenLevels = 0;
      socket((seenMessage, seen) => {
        if (seenMessage.t !== 'levels' || ++seenLevels < 20) return;
        seen.close();
        hidden.close();
        done(hiddenLevels);
      }).onopen = (event) => event.target.send(JSON.stringify({ t: 'meters', rate: 20 }));
    });
    hidden.onopen = () => {
      hidden.send(JSON.stringify({ t: 'meters', rate: 0 }));
      hidden.send(JSON.stringify({ t: 'set', control: 'NoSuchControl', value: '1' }));
    };
  }));
  assert.equal(levelsWhileHidden, 0);
});

row('axe finds no violation on the page, light or dark', async () => {
  await page.evaluate(axeSource);
  for (const scheme of ['light', 'dark']) {
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    const result = await page.evaluate(() => window.axe.run(document));
    assert.deepEqual(result.violations.map((v) => `${scheme} ${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), []);
  }
  await page.emulateMediaFeatures([]);
});

row('a slider\'s travel ends at the volume limit, marked, as soon as the limit is set', async () => {
  execFileSync(driverPath, ['--set', 'HeadphoneValue=-30'], { env });
  const slider = await page.$('input[data-control=HeadphoneValue]');
  await page.waitForFunction((s) => s.getAttribute('aria-valuetext') === '-30 dB', {}, slider);
  execFileSync(driverPath, ['--limit', 'HeadphoneValue=-10'], { env });
  // Another control's change comes after it: by then the limit has reached the page, with no change of its own.
  execFileSync(driverPath, ['--set', 'OtgToHpValue=-20'], { env });
  await page.waitForFunction(() => document.querySelector('input[data-control=OtgToHpValue]')
    .getAttribute('aria-valuetext') === '-20 dB');
  assert.deepEqual(await slider.evaluate((s) => [Number(s.max) < 1000, s.closest('.travel').classList.contains('limited'),
    document.getElementById(s.getAttribute('aria-describedby')).textContent]), [true, true, 'Limit -10 dB']);
  const box = await slider.boundingBox();
  const y = box.y + box.height / 2;
  await page.touchscreen.touchStart(box.x + box.width * 0.3, y);
  await page.touchscreen.touchMove(box.x + box.width - 1, y);
  await page.touchscreen.touchEnd();
  // Dragged past its end, it stops at the limit; nothing above it is even sent, so nothing is refused.
  await page.waitForFunction((s) => /^-1[01] dB$/.test(s.getAttribute('aria-valuetext')), {}, slider);
  assert.deepEqual(await page.$$eval('#reply .refused', (lines) => lines.map((line) => line.textContent)), []);
  execFileSync(driverPath, ['--limit', 'HeadphoneValue=none'], { env });
  await page.waitForFunction((s) => Number(s.max) === 1000 && !s.closest('.travel').classList.contains('limited'), {}, slider);
});

row('an RK2 gain reads as its knob does', async () => {
  sim.kill();
  sim = start(simPath, ['device', '--model', 'rk2', '--journal', journal]);
  await page.waitForSelector('input[data-control=Mic1Value]');
  execFileSync(driverPath, ['--set', 'Mic1Value=20'], { env });
  await page.waitForFunction(() => document.querySelector('input[data-control=Mic1Value]')
    .getAttribute('aria-valuetext') === '29 dB');
});

row('the page is grouped as the window: each input with its own meter, the outputs one tap away at 390 × 844', async () => {
  const cards = await page.$$eval('.card', (all) => all.map((card) => ({
    section: card.closest('section:not(.card)').id,
    heading: card.querySelector('h3').textContent,
    controls: [...card.querySelectorAll('[data-control]')].map((control) => control.dataset.control),
    meters: [...card.querySelectorAll('.meter .hidden-title')].map((label) => label.textContent),
  })));
  const cardOf = (control) => cards.find((card) => card.controls.includes(control));
  // The phone's readout stands beside both its levels, as on the panel, named there as there.
  for (const [control, section] of [['Mic1Value', 'inputs'], ['Mic2Value', 'inputs'], ['OtgToHpValue', 'phone-levels'],
    ['OtgToSPValue', 'phone-levels']]) {
    const card = cardOf(control);
    assert.deepEqual([card.section, card.meters], [section, [`${card.heading} level`]], JSON.stringify(cards));
  }
  assert.deepEqual(cardOf('SpeakerValue').controls, ['SpeakerValue', 'SpeakerMuteIsChecked', 'SpeakerDimIsChecked']);
  assert.equal(cardOf('HeadphoneValue').section, 'outputs');
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.tap('nav a[href="#outputs"]');
  // The link's scroll is made with the address's change, in one task.
  await page.waitForFunction(() => location.hash === '#outputs');
  assert.ok(await page.evaluate(() => {
    const below = document.querySelector('nav').getBoundingClientRect().bottom;
    return [...document.querySelectorAll('#outputs input[type=range]')].every((slider) => {
      const box = slider.getBoundingClientRect();
      return box.top >= below && box.bottom <= innerHeight;
    });
  }));
});

row('a forgotten phone is cut off, even a connection that ignores the close, and asked to pair again', async () => {
  const token = (await page.cookies()).find((c) => c.name === 'korvist_phone').value;
  const deaf = rawConnection('127.0.0.1', `GET /ws HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nOrigin: ${origin}\r\n`
    + `Cookie: korvist_phone=${token}\r\nConnection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\n`
    + 'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n');
  await until(() => deaf.received.includes('101 Switching'));
  execFileSync(driverPath, ['--web', 'forget'], { env });
  await page.waitForSelector('#pairing:not([hidden])');
  assert.match(await page.$eval('#state', (state) => state.textContent), /no longer paired/);
  await deaf.ended;
});

row('an allowed IPv6 network is served', async () => {
  // The machine's own address on an IPv6 network where it has one, else its loopback beside an allowed fd00::/64.
  const addresses = Object.values(os.networkInterfaces()).flat().filter((a) => a.family === 'IPv6');
  const own = addresses.find((a) => !a.internal && !a.address.startsWith('fe80'))?.address
    ?? addresses.find((a) => a.address === '::1')?.address;
  if (!own) return console.log('SKIP   : this system has no IPv6');
  execFileSync(driverPath, ['--osc-allow', own === '::1' ? 'fd00::/64' : `${own}/64`], { env });
  const host = `[${own}]:${port}`;
  const status = await new Promise((done, fail) => http.get({ host: own, port, localAddress: own, path: '/',
    headers: { Host: host } }, (answer) => { answer.resume(); done(answer.statusCode); }).on('error', fail));
  assert.equal(status, 200);
});

let failed = 0;
try {
  sim = start(simPath, simArgs);
  host = start(driverPath, []);
  await logMatch(host, /Remote control listening/);
  assert.match(execFileSync(driverPath, ['--web', 'on', String(port)], { env, encoding: 'utf8' }), /^on, serving /);
  ({ browser, page } = await launchPhone(puppeteer, chromiumPath));
  for (const { name, run } of rows) {
    try {
      await run();
      console.log(`PASS   : ${name}`);
    } catch (error) {
      ++failed;
      console.log(`FAIL!  : ${name}\n${error.stack}`);
    }
  }
} finally {
  if (browser) await browser.close();
  for (const child of children) child.kill();
}
if (!failed) rmSync(root, { recursive: true, force: true });
console.log(`Totals: ${rows.length - failed} passed, ${failed} failed`);
if (failed) console.log(host.log.slice(-3000));
process.exit(failed ? 1 : 0);
