// The phone's side of the Windows program's test under wine (tests/e2e/tst_windowsprogram.cpp):
// Linux's chromium opens the page with the pairing code, waits for the desktop
// to allow it (the test answers the prompt) and prints "paired", moves the first
// level slider one step by key and prints the control and the value the page shows then.
// Arguments: chromium, the program's address, the pairing code.
import { createRequire } from 'node:module';
import { launchPhone } from './programs.mjs';

const puppeteer = createRequire(import.meta.url)('puppeteer-core');
const [chromiumPath, origin, code] = process.argv.slice(2);
const { browser, page } = await launchPhone(puppeteer, chromiumPath);
try {
  await page.goto(`${origin}/#code=${code}`);
  // The test bounds the wait for the desktop's approval.
  const slider = await page.waitForSelector('input[data-kind$=level]', { timeout: 0 });
  console.log('paired');
  const before = await slider.evaluate((s) => s.getAttribute('aria-valuetext'));
  await slider.focus();
  await page.keyboard.press(await slider.evaluate((s) => s.value === s.max) ? 'ArrowDown' : 'ArrowUp');
  await page.waitForFunction((s, b) => s.getAttribute('aria-valuetext') !== b, { timeout: 0 }, slider, before);
  const [control, shown] = await slider.evaluate((s) => [s.dataset.control, s.getAttribute('aria-valuetext')]);
  console.log(`${control} ${shown.replace(/ dB$/, '')}`);
} finally {
  await browser.close();
}
