'use strict';
// The phone's page: pairs with the code the computer shows, then shows the
// connected model's controls as the program sends them (labels included, in
// the computer's language) and sends every move back. The page's own words
// follow the browser's languages.
(() => {
  const words = {
    en: {
      pairTitle: 'Pair this phone', codeLabel: 'Pairing code shown on the computer', pair: 'Pair',
      waiting: 'Allow this phone on the computer…', wrong: 'That code is not right: use the one the computer shows now.',
      denied: 'The computer did not allow this phone.', busy: 'The computer is busy. Try again.',
      wait: 'Too many wrong codes from this network: try again in {n} minutes.',
      full: 'This phone has too many pages of the mixer open: close one.',
      fullPhones: 'As many phones as the computer serves are connected: try again later.',
      forgotten: 'This phone is no longer paired: it was forgotten at the computer, or went unused for 30 days. Pair it again.',
      noInterface: 'No interface connected.', otherSession: 'The interface is in use in another session.',
      lost: 'Connection lost, retrying…', controls: 'Controls', presets: 'Presets', preset: 'Preset', load: 'Load',
      levels: 'Levels', noPresets: 'No presets saved', phantomNote: '48 V can be switched on only at the computer.',
      on: 'on', off: 'off',
    },
    zh: {
      pairTitle: '配对此手机', codeLabel: '电脑上显示的配对码', pair: '配对',
      waiting: '请在电脑上允许此手机…', wrong: '配对码不正确：请使用电脑当前显示的配对码。',
      denied: '电脑未允许此手机。', busy: '电脑忙，请重试。',
      wait: '来自此网络的错误配对码过多：请在 {n} 分钟后重试。',
      full: '此手机打开的调音台页面过多：请关闭一个。',
      fullPhones: '已连接的手机数已达电脑上限：请稍后重试。',
      forgotten: '此手机已不再配对：它已在电脑上被忘记，或 30 天未使用。请重新配对。',
      noInterface: '声卡未连接。', otherSession: '声卡正在另一个会话中使用。',
      lost: '连接已断开，正在重试…', controls: '控制', presets: '预设', preset: '预设', load: '载入',
      levels: '电平', noPresets: '没有已保存的预设', phantomNote: '48V 只能在电脑上打开。',
      on: '开', off: '关',
    },
  };
  const language = (navigator.languages || [navigator.language]).map((l) => l.slice(0, 2)).find((l) => words[l]) || 'en';
  const say = words[language];
  document.documentElement.lang = language === 'zh' ? 'zh-CN' : 'en';
  const $ = (id) => document.getElementById(id);
  const texts = { 'pair-title': 'pairTitle', 'code-label': 'codeLabel', pair: 'pair', 'controls-title': 'controls',
    'presets-title': 'presets', 'preset-label': 'preset', load: 'load', 'levels-title': 'levels' };
  for (const [id, key] of Object.entries(texts)) $(id).textContent = say[key];

  let socket = null;
  let retry = 1000;
  let refusal = null;
  let readouts = [];
  const inputs = new Map();
  const dragging = new Set();
  const meters = [];

  const show = (state, minutes) => { $('state').textContent = state ? say[state].replace('{n}', minutes) : ''; };
  const post = (path, body) => fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body), credentials: 'same-origin' });
  const send = (message) => { if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message)); };
  const valueText = (control) => (control.fader !== undefined) ? `${control.shown} dB`
    : say[control.value ? 'on' : 'off'];

  function showPairing(state, minutes) {
    $('panel').hidden = true;
    $('pairing').hidden = false;
    show(state, minutes);
  }

  async function pair(code) {
    $('pairing').hidden = true;
    const answer = await post('/pair', { code });
    if (answer.status === 429) {
      const { seconds } = await answer.json();
      return seconds ? showPairing('wait', Math.ceil(seconds / 60)) : showPairing('busy');
    }
    if (answer.status !== 202) return showPairing(answer.status === 403 ? 'wrong' : 'busy');
    const { wait } = await answer.json();
    show('waiting');
    for (;;) {
      await new Promise((done) => setTimeout(done, 1000));
      let result;
      try {
        result = await post('/pair/wait', { wait });
      } catch {
        return showPairing('busy');
      }
      if (result.status === 200) return connect();
      // 202: not answered yet; 503: the window was too busy to look (raising
      // the question, say), which is no answer either. The question lapses
      // after two minutes, and then the answer is 403.
      if (result.status !== 202 && result.status !== 503) return showPairing('denied');
    }
  }

  function sliderOf(control) {
    const slider = document.createElement('input');
    slider.type = 'range';
    slider.min = 0;
    slider.max = 1000;
    let pending = null;
    // The thumb follows the finger from where it was, as the knob follows a
    // drag: a tap on the track moves nothing, so no tap jumps a level.
    let grab = null;
    slider.addEventListener('pointerdown', (event) => {
      dragging.add(control.name);
      grab = { from: Number(slider.value), x: event.clientX, at: event.clientX };
    });
    slider.addEventListener('pointermove', (event) => { if (grab) grab.at = event.clientX; });
    const letGo = () => { dragging.delete(control.name); grab = null; };
    slider.addEventListener('pointerup', letGo);
    slider.addEventListener('pointercancel', letGo);
    // A drag sends at most one position a frame.
    slider.addEventListener('input', () => {
      if (grab) {
        const moved = (grab.at - grab.x) / slider.getBoundingClientRect().width * 1000;
        slider.value = Math.round(Math.min(Number(slider.max), Math.max(0, grab.from + moved)));
      }
      if (Number(slider.value) === Math.round(inputs.get(control.name).control.fader * 1000) && pending === null) return;
      if (pending === null) requestAnimationFrame(() => {
        send({ t: 'fader', control: control.name, position: pending / 1000 });
        pending = null;
      });
      pending = Number(slider.value);
    });
    // Keys move one dB, as the knob's do; the program checks every step.
    slider.addEventListener('keydown', (event) => {
      const steps = { ArrowUp: 1, ArrowRight: 1, ArrowDown: -1, ArrowLeft: -1, PageUp: 6, PageDown: -6 }[event.key];
      const current = inputs.get(control.name).control;
      if (steps) {
        event.preventDefault();
        const value = Math.min(current.max, Math.max(current.min, current.value + steps));
        send({ t: 'set', control: control.name, value: String(value) });
      } else if (event.key === 'Home' || event.key === 'End') {
        // As on the knob: Home turns it all the way down; End never jumps it to the top.
        event.preventDefault();
        if (event.key === 'Home') send({ t: 'set', control: control.name, value: String(current.min) });
      }
    });
    return slider;
  }

  function switchOf(control) {
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.setAttribute('role', 'switch');
    box.addEventListener('change', () => {
      // 48 V only goes off from here; the program refuses it on from a phone all the same.
      if (control.kind === 'phantom power' && box.checked) { box.checked = false; return; }
      send({ t: 'set', control: control.name, value: box.checked ? 'on' : 'off' });
    });
    return box;
  }

  function update(control) {
    const shown = inputs.get(control.name);
    if (!shown) return;
    shown.control = control;
    shown.output.textContent = valueText(control);
    if (shown.input.type === 'range') {
      // The travel ends at the volume limit: the thumb never rests above it.
      shown.input.max = control.limitFader === undefined ? 1000 : Math.round(control.limitFader * 1000);
      shown.input.setAttribute('aria-valuetext', valueText(control));
      if (!dragging.has(control.name)) shown.input.value = Math.round(control.fader * 1000);
    } else {
      shown.input.checked = !!control.value;
      if (control.kind === 'phantom power') shown.input.disabled = !control.value;
    }
  }

  function render(view) {
    $('pairing').hidden = true;
    $('panel').inert = false;
    const states = { 'no-interface': 'noInterface', 'other-session': 'otherSession' };
    show(states[view.presence]);
    $('panel').hidden = view.presence !== 'shown';
    $('model').textContent = view.model ? view.model.toUpperCase() : '';
    const box = $('controls');
    box.replaceChildren();
    inputs.clear();
    view.controls.forEach((control, index) => {
      const row = document.createElement('div');
      row.className = 'control';
      const label = document.createElement('label');
      const name = document.createElement('span');
      name.textContent = control.label;
      const output = document.createElement('output');
      const input = control.fader !== undefined ? sliderOf(control) : switchOf(control);
      input.id = `control-${index}`;
      input.dataset.control = control.name;
      input.dataset.kind = control.kind;
      label.htmlFor = input.id;
      label.append(name, output);
      if (input.type === 'checkbox') label.append(input);
      row.append(label);
      if (input.type === 'range') row.append(input);
      if (control.kind === 'phantom power') {
        const note = document.createElement('p');
        note.className = 'note';
        note.id = `note-${index}`;
        note.textContent = say.phantomNote;
        input.setAttribute('aria-describedby', note.id);
        row.append(note);
      }
      box.append(row);
      inputs.set(control.name, { input, output, control });
      update(control);
    });
    const select = $('preset');
    select.replaceChildren(...view.presets.map((name) => new Option(name, name)));
    if (!view.presets.length) select.append(new Option(say.noPresets, ''));
    $('load').disabled = !view.presets.length;
    readouts = view.readouts;
    $('meters').replaceChildren(...readouts.map((label, index) => {
      const row = document.createElement('div');
      row.className = 'meter';
      row.innerHTML = '<span class="name"></span><div class="track" aria-hidden="true"><div class="fill"></div><div class="peak"></div></div><span class="db"></span>';
      row.querySelector('.name').textContent = label;
      meters[index] = { fill: row.querySelector('.fill'), peak: row.querySelector('.peak'),
        db: row.querySelector('.db'), held: -160, heldAt: 0 };
      return row;
    }));
  }

  // -60 dB at the left end, 0 dB at the right; the peak holds for 1.5 s.
  function levels(decibels) {
    const now = performance.now();
    decibels.forEach((level, index) => {
      const meter = meters[index];
      if (!meter) return;
      const at = (db) => `${Math.max(0, Math.min(100, (db + 60) / 60 * 100))}%`;
      if (level >= meter.held || now - meter.heldAt > 1500) { meter.held = level; meter.heldAt = now; }
      meter.fill.style.width = at(level);
      meter.peak.style.left = at(meter.held);
      meter.db.textContent = level <= -100 ? '−∞' : `${level.toFixed(0)} dB`;
    });
  }

  function reply(answer) {
    const box = $('reply');
    box.replaceChildren();
    const line = document.createElement('p');
    line.textContent = answer.text;
    if (answer.refused) line.className = 'refused';
    box.append(line);
    for (const note of answer.notes) {
      const item = document.createElement('p');
      item.className = 'note';
      item.textContent = note;
      box.append(item);
    }
  }

  function wantMeters() { send({ t: 'meters', rate: document.visibilityState === 'visible' ? 20 : 0 }); }

  function connect() {
    socket = new WebSocket(`ws://${location.host}/ws`);
    socket.addEventListener('open', () => { retry = 1000; show(null); wantMeters(); });
    socket.addEventListener('message', (event) => {
      const message = JSON.parse(event.data);
      if (message.t === 'view') render(message);
      else if (message.t === 'control') update(message);
      else if (message.t === 'levels') levels(message.db);
      else if (message.t === 'reply') reply(message);
      else if (message.t === 'full') refusal = message.why === 'pages' ? 'full' : 'fullPhones';
    });
    socket.addEventListener('close', () => {
      socket = null;
      // What it shows may be stale now: it takes no moves until the computer answers again.
      $('panel').inert = true;
      show(refusal || 'lost');
      refusal = null;
      setTimeout(start, retry);
      retry = Math.min(retry * 2, 10000);
    });
  }

  async function start() {
    let paired = false;
    let forgotten = false;
    try {
      ({ paired, forgotten } = await (await fetch('/session', { credentials: 'same-origin' })).json());
    } catch {
      show('lost');
      setTimeout(start, retry);
      return;
    }
    const code = (location.hash.match(/code=(\d{6})/) || [])[1];
    // The code is used once: it leaves the address bar and the history.
    if (location.hash) history.replaceState(null, '', location.pathname);
    if (paired) connect();
    else if (code) pair(code);
    else showPairing(forgotten ? 'forgotten' : null);
  }

  $('pairing').addEventListener('submit', (event) => { event.preventDefault(); pair($('code').value.trim()); });
  $('load').addEventListener('click', () => { if ($('preset').value) send({ t: 'preset', name: $('preset').value }); });
  document.addEventListener('visibilitychange', wantMeters);
  start();
})();
