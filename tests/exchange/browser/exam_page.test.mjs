// The exported exam page in a real headless Chromium, driven by playwright-core.
// EXAM_PAGES names the folder that exam_page_fixture.exe wrote page.htm and empty.htm into.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

// playwright-core is installed into the build tree; NODE_MODULES names its node_modules folder.
const { chromium } = createRequire(path.join(process.env.NODE_MODULES, 'index.js'))('playwright-core');

const folder = process.env.EXAM_PAGES;
const pageUrl = (name, query = '') => pathToFileURL(path.join(folder, name)).href + query;

let browser;
before(async () => {
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
});
after(async () => { await browser?.close(); });

// Opens a page with the page's clock under the test's control.
async function open(name, query) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.clock.install();
  await page.goto(pageUrl(name, query));
  return page;
}

const rowsOf = (page) => page.$$eval('tr.pair', (rows) => rows.map((row) => ({
  question: row.querySelector('td.question').textContent,
  answer: row.querySelector('span.text').textContent,
  answerShown: getComputedStyle(row.querySelector('span.text')).display !== 'none',
  boxShown: getComputedStyle(row.querySelector('input')).display !== 'none',
  box: row.querySelector('input').value,
  toggle: row.querySelector('a.toggle').textContent,
})));
const headersOf = (page) => page.$$eval('tr.header', (rows) => rows.map((row) => ({
  text: row.textContent, shown: getComputedStyle(row).display !== 'none',
  background: getComputedStyle(row.querySelector('td')).backgroundColor,
})));
const label = (page, id) => page.$eval('#' + id, (button) => button.textContent);
const visible = (page, id) => page.$eval('#' + id, (element) => getComputedStyle(element).display !== 'none');
const text = (page, id) => page.$eval('#' + id, (element) => element.textContent);
const focusedIndex = (page) => page.evaluate(() =>
  Array.from(document.querySelectorAll('tr.pair input')).indexOf(document.activeElement));
const boxFor = (page, answer) => page.locator('tr.pair', { has: page.locator('span.text', { hasText: answer }) })
  .locator('input');

test('study mode shows every pair with its answer under its category', async () => {
  const page = await open('page.htm');
  assert.equal(await page.title(), 'Lingotrove');
  assert.deepEqual(await headersOf(page), [
    { text: 'Peligro', shown: true, background: 'rgb(255, 255, 0)' },
    { text: 'Saludos', shown: true, background: 'rgb(255, 255, 0)' },
  ]);
  const rows = await rowsOf(page);
  assert.deepEqual(rows.map((row) => [row.question, row.answer]), [
    ['</script><script>window.hacked=1</script>', 'say "hi" \\ bye'],
    ['good morning', 'buenos d\u00edas'],
    ['hello', 'hola'],
    ['thank you', 'gracias'],
  ]);
  assert.ok(rows.every((row) => row.answerShown && !row.boxShown && row.toggle === 'Esconder'));
  assert.equal(await page.evaluate(() => window.hacked), undefined, 'no text runs as script');
  assert.equal(await label(page, 'showAll'), 'Mostrar\ntodo');
  assert.equal(await label(page, 'hideAll'), 'Esconder\ntodo');
  assert.equal(await label(page, 'quiz'), 'Empezar\nexamen');
  assert.equal(await label(page, 'close'), 'Cerrar\n ');
  assert.equal(await visible(page, 'study'), false);
  assert.equal(await page.$eval('#counter', (c) => getComputedStyle(c).color), 'rgb(255, 0, 0)');
  assert.equal(await page.$eval('button', (b) => b.getBoundingClientRect().height > 40), true);
});

test('show all, hide all and the toggle link', async () => {
  const page = await open('page.htm');
  await page.click('#hideAll');
  let rows = await rowsOf(page);
  assert.ok(rows.every((row) => !row.answerShown && row.boxShown && row.toggle === 'Mostrar'));
  await page.click('#showAll');
  rows = await rowsOf(page);
  assert.ok(rows.every((row) => row.answerShown && !row.boxShown));

  await page.locator('a.toggle').nth(2).click();
  rows = await rowsOf(page);
  assert.deepEqual(rows.map((row) => row.answerShown), [true, true, false, true]);
  assert.equal(rows[2].toggle, 'Mostrar');
  assert.equal(await focusedIndex(page), 2);
  await page.locator('a.toggle').nth(2).click();
  assert.equal((await rowsOf(page))[2].answerShown, true);
});

test('exam mode hides the headers, shuffles and empties the boxes, and restarts the clock', async () => {
  const page = await open('page.htm');
  await page.click('#hideAll');
  await boxFor(page, 'hola').fill('left over');
  await page.click('#quiz');
  assert.ok((await headersOf(page)).every((header) => !header.shown));
  const rows = await rowsOf(page);
  assert.equal(rows.length, 4);
  assert.deepEqual(rows.map((row) => row.answer).sort(), ['buenos d\u00edas', 'gracias', 'hola', 'say "hi" \\ bye']);
  assert.ok(rows.every((row) => !row.answerShown && row.boxShown && row.box === ''));
  assert.equal(await label(page, 'quiz'), 'Reiniciar\n ');
  assert.equal(await visible(page, 'study'), true);
  assert.equal(await text(page, 'counter'), '0 / 4 (0%)');
  assert.equal(await text(page, 'time'), '0:00:00');
  await page.clock.runFor(3725 * 1000);
  assert.equal(await text(page, 'time'), '1:02:05');
  await page.click('#quiz');
  assert.equal(await text(page, 'time'), '0:00:00');
});

test('answers are checked trimmed and without case, and the clock stops when all are right', async () => {
  const page = await open('page.htm');
  await page.click('#quiz');
  const hola = boxFor(page, 'hola');
  await hola.click();
  await hola.pressSequentially('  HOL');
  await page.clock.runFor(150);
  assert.equal(await hola.evaluate((box) => box.style.color), 'black');
  await hola.pressSequentially('A ');
  await page.clock.runFor(150);
  assert.equal(await hola.evaluate((box) => box.style.color), 'blue');
  assert.equal(await text(page, 'counter'), '1 / 4 (25%)');
  const holaIndex = (await rowsOf(page)).findIndex((row) => row.answer === 'hola');
  assert.equal(await focusedIndex(page), (holaIndex + 1) % 4, 'the next box has the focus');

  for (const answer of ['gracias', 'buenos d\u00edas', 'say "hi" \\ bye']) {
    await boxFor(page, answer).pressSequentially(answer.toUpperCase());
    await page.clock.runFor(150);
  }
  assert.equal(await text(page, 'counter'), '4 / 4 (100%)');
  const stopped = await text(page, 'time');
  await page.clock.runFor(10 * 1000);
  assert.equal(await text(page, 'time'), stopped, 'the clock stops when every box is right');
});

test('Enter and Down go to the next box, Up to the previous one, wrapping at the ends', async () => {
  const page = await open('page.htm');
  await page.click('#quiz');
  await page.locator('tr.pair input').first().focus();
  await page.keyboard.press('ArrowDown');
  assert.equal(await focusedIndex(page), 1);
  await page.keyboard.press('Enter');
  assert.equal(await focusedIndex(page), 2);
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  assert.equal(await focusedIndex(page), 3);
  await page.keyboard.press('Enter');
  assert.equal(await focusedIndex(page), 0);
});

test('r=1 asks the second text, answers with the first and speaks English', async () => {
  const page = await open('page.htm', '?r=1');
  assert.equal(await label(page, 'showAll'), 'Show\nAll');
  assert.equal(await label(page, 'hideAll'), 'Hide\nAll');
  assert.equal(await label(page, 'quiz'), 'Start\nExam');
  assert.equal(await label(page, 'close'), 'Close\n ');
  const rows = await rowsOf(page);
  assert.deepEqual(rows[2], { ...rows[2], question: 'hola', answer: 'hello', toggle: 'Hide' });
  assert.equal(await page.locator('a.play').first().textContent(), 'Play');
  await page.click('#quiz');
  assert.equal(await label(page, 'quiz'), 'Refresh\n ');
  assert.equal(await label(page, 'study'), 'Study\n ');
});

test('the play link plays audio/<answer in lower case>.mp3 beside the page', async () => {
  const page = await open('page.htm');
  const row = page.locator('tr.pair', { has: page.locator('span.text', { hasText: 'buenos' }) });
  assert.equal(await row.locator('a.play').textContent(), 'Tocar');
  await row.locator('a.play').click();
  const source = await page.$eval('#audio', (audio) => audio.src);
  assert.equal(source, new URL('audio/' + encodeURIComponent('buenos d\u00edas') + '.mp3', pageUrl('page.htm')).href);
  assert.ok(source.endsWith('/audio/buenos%20d%C3%ADas.mp3'));
});

test('a page without pairs has its buttons and an empty table', async () => {
  const page = await open('empty.htm');
  assert.equal(await page.locator('tr').count(), 0);
  assert.equal(await label(page, 'quiz'), 'Empezar\nexamen');
  await page.click('#quiz');
  assert.equal(await text(page, 'counter'), '0 / 0 (0%)');
});

test('texts that start with "-" or a backslash stay pair texts, and the exam can be finished', async () => {
  const page = await open('dash.htm');
  assert.deepEqual((await headersOf(page)).map((header) => header.text), ['Sufijos']);
  assert.deepEqual((await rowsOf(page)).map((row) => [row.question, row.answer]), [
    ['-ito', '-let'],
    ['\\n', '-\\'],
    ['mente', '-ly'],
  ]);
  await page.click('#quiz');
  for (const answer of ['-let', '-\\', '-ly']) {
    await boxFor(page, answer).pressSequentially(answer);
    await page.clock.runFor(150);
  }
  assert.equal(await text(page, 'counter'), '3 / 3 (100%)');
});
