// The programs of a phone remote run, each in the same private XDG
// directories, and the phone's browser: shared by the browser tests and bench/bench_phone.mjs.
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, chmodSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';

// A fresh root with the directories the program and korvist-sim look in. The
// prefix stays short: the simulator's socket path must fit a socket address.
export function isolatedEnvironment(prefix) {
  const root = mkdtempSync(path.join(os.tmpdir(), prefix));
  const env = { ...process.env };
  for (const name of ['XDG_RUNTIME_DIR', 'XDG_DATA_HOME', 'XDG_CONFIG_HOME', 'HOME', 'TMPDIR']) {
    env[name] = path.join(root, name);
    mkdirSync(env[name]);
  }
  chmodSync(env.XDG_RUNTIME_DIR, 0o700);
  return { root, env };
}

// Starts a program whose output is kept in child.log; both streams are read,
// or a full pipe would hold the program up.
export function startProgram(env, children, program, args) {
  const child = spawn(program, args, { env, stdio: ['ignore', 'pipe', 'pipe'] });
  child.log = '';
  child.stdout.on('data', (data) => { child.log += data; });
  child.stderr.on('data', (data) => { child.log += data; });
  children.push(child);
  return child;
}

// A phone-sized, touch-first tab of Debian's chromium, headless (as root it needs --no-sandbox).
export const phoneViewport = { width: 390, height: 844, isMobile: true, hasTouch: true };
export async function launchPhone(puppeteer, chromiumPath) {
  const browser = await puppeteer.launch({ executablePath: chromiumPath, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'] });
  const page = await browser.newPage();
  await page.setViewport(phoneViewport);
  return { browser, page };
}
