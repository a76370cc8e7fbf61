// Pictures of the phone's page, made by scripts/phone-screenshots.sh on its
// own X display: the program and korvist-sim in private XDG directories, an
// RK2 with a few settings saved and a volume limit, a phone paired in
// chromium at 390 × 844, in English and then with the program and the
// browser both in Chinese. Arguments: the bin directory, chromium, the
// folder the pictures go to.
import { execFileSync } from 'node:child_process';
import { mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { isolatedEnvironment, startProgram, phoneViewport } from './programs.mjs';

const puppeteer = createRequire(import.meta.url)('puppeteer-core');
const [bin, chromiumPath, out] = process.argv.slice(2);
const driverPath = path.join(bin, 'KorvistDriver');
const { root, env } = isolatedEnvironment('korvist-shots-');
const port = 20000 + (process.pid % 20000);
const origin = `http://127.0.0.1:${port}`;
const children = [];

mkdirSync(path.join(env.XDG_DATA_HOME, 'KorvistDriver'));
writeFileSync(path.join(env.XDG_DATA_HOME, 'KorvistDriver', 'rk2.ini'), `[Button]
Mic148VIsChecked=true
MonitorMic1IsChecked=true
Mic220dBIsChecked=true
SpeakerDimIsChecked=true
[Dial]
Mic1Value=30
Mic2Value=12
SpeakerValue=-20
HeadphoneValue=-12
OtgToHpValue=-10
OtgToSPValue=-30
`);

const driver = (args, language) => execFileSync(driverPath, args, { env: { ...env, ...language }, encoding: 'utf8',
  stdio: ['ignore', 'pipe', 'pipe'] });
async function until(check) {
  while (!(await check())) await new Promise((done) => setTimeout(done, 100));
}
const webState = () => { try { return driver(['--web']); } catch { return ''; } };

// The program in a language; served is what --web says once it runs as wanted.
async function startDriver(language, served) {
  const program = startProgram({ ...env, ...language }, children, driverPath, []);
  await until(() => served.test(webState()));
  return program;
}

// A phone's tab in the language given, with the cookie of a paired phone if there is one.
async function phone(lang, cookies = []) {
  const browser = await puppeteer.launch({ executablePath: chromiumPath, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'] });
  const page = await browser.newPage();
  await page.setViewport({ ...phoneViewport, deviceScaleFactor: 2 });
  // The languages the page reads (navigator.languages), which --lang leaves alone when headless.
  await (await page.createCDPSession()).send('Emulation.setUserAgentOverride',
    { userAgent: await browser.userAgent(), acceptLanguage: lang });
  if (cookies.length) await page.setCookie(...cookies);
  return { browser, page };
}

// The panel with the meters moving, at the top of the page.
async function shootPanel(page, file) {
  await page.waitForSelector('#panel:not([hidden]) input[type=range]');
  await page.waitForFunction(() => [...document.querySelectorAll('.db')].some((db) => /\d/.test(db.textContent)));
  await new Promise((done) => setTimeout(done, 1500));
  await page.screenshot({ path: path.join(out, file) });
  console.log(path.join(out, file));
}

try {
  startProgram(env, children, path.join(bin, 'korvist-sim'), ['device', '--model', 'rk2', '--firmware', '1.0.3']);
  const english = { LANG: 'en_US.UTF-8', LANGUAGE: 'en_US' };
  let program = await startDriver(english, /^off/);
  driver(['--web', 'on', String(port)]);
  // Once the panel shows the interface, a limit on the headphones shows where the slider stops.
  await until(() => { try { return driver(['--limit', 'HeadphoneValue=-6']); } catch { return false; } });

  let { browser, page } = await phone('en-US');
  await page.goto(origin);
  await page.waitForSelector('#pairing:not([hidden])');
  await page.screenshot({ path: path.join(out, 'phone-pairing.png') });
  console.log(path.join(out, 'phone-pairing.png'));
  await page.type('#code', driver(['--web']).match(/pairing code (\d{6})/)[1]);
  await page.click('#pair');
  execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--name', 'Allow a Phone', 'windowfocus', '--sync',
    'key', 'alt+a']);
  await shootPanel(page, 'phone-rk2.png');
  const cookies = await page.cookies();
  await browser.close();

  program.kill();
  await new Promise((done) => program.once('exit', done));
  program = await startDriver({ LANG: 'zh_CN.UTF-8', LANGUAGE: 'zh_CN' }, /^on, serving/);
  ({ browser, page } = await phone('zh-CN', cookies));
  await page.goto(origin);
  await shootPanel(page, 'phone-rk2-zh.png');
  await browser.close();
} finally {
  for (const child of children) child.kill();
  rmSync(root, { recursive: true, force: true });
}
