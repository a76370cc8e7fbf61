'use strict';
// The phone's page: pairs with the code the computer shows, then lays out the
// connected model's controls as the window groups them (each column of the
// panel a card, with its meter) and sends every move back. Labels come from
// the program, in the computer's language; the page's own words follow the
// browser's languages.
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
      noPresets: 'No presets saved', phantomNote: '48 V can be switched on only at the computer.',
      sections: 'Sections', inputs: 'Inputs', outputs: 'Outputs', phoneLevels: 'Phone levels', phone: 'Phone',
      limit: 'Limit {n} dB',
      why: {
        limit: 'That is above the volume limit of {n} dB set at the computer.',
        noPreset: 'There is no preset "{name}" for this interface any more.',
        presetUnfit: 'Preset "{name}" does not fit this interface: nothing was changed.',
        interface: 'The interface refused part of preset "{name}".',
        other: 'The computer did not make that change.',
      },
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
      noPresets: '没有已保存的预设', phantomNote: '48V 只能在电脑上打开。',
      sections: '分区', inputs: '输入', outputs: '输出', phoneLevels: '手机输入音量', phone: '手机',
      limit: '上限 {n} dB',
      why: {
        limit: '超过了电脑上设定的音量上限 {n} dB。',
        noPreset: '此声卡已没有预设“{name}”。',
        presetUnfit: '预设“{name}”不适用于此声卡：未做任何更改。',
        interface: '声卡拒绝了预设“{name}”的一部分。',
        other: '电脑未执行此更改。',
      },
    },
  };
  const language = (navigator.languages || [navigator.language]).map((l) => l.slice(0, 2)).find((l) => words[l]) || 'en';
  const say = words[language];
  say.why.noInterface = say.noInterface;
  say.why.phantom = say.phantomNote;
  document.documentElement.lang = language === 'zh' ? 'zh-CN' : 'en';
  const $ = (id) => document.getElementById(id);
  const texts = { 'pair-title': 'pairTitle', 'code-label': 'codeLabel', pair: 'pair', 'controls-title': 'controls',
    'presets-title': 'presets', 'preset-label': 'preset', load: 'load', 'inputs-title': 'inputs', 'to-inputs': 'inputs',
    'outputs-title': 'outputs', 'to-outputs': 'outputs', 'phone-levels-title': 'phoneLevels', 'to-phone-levels': 'phone',
    'to-presets': 'presets', 'phantom-note': 'phantomNote' };
  for (const [id, key] of Object.entries(texts)) $(id).textContent = say[key];
  $('sections').setAttribute('aria-label', say.sections);

  // The section of the page a column goes to, by the level it holds; one with none goes with the inputs.
  const sectionOfKind = { 'input gain': 'inputs', 'output level': 'outputs', 'phone level': 'phone-levels' };
  // A card's levels first, then its switches in the order the panel's columns show them.
  const switchOrder = ['pad', 'phantom power', 'route', 'plain switch'];
  let socket = null;
  let retry = 1000;
  let refusal = null;
  const inputs = new Map();
  const dragging = new Set();
  let meters = [];

  const show = (state, minutes) => { $('state').textContent = state ? say[state].replace('{n}', minutes) : ''; };
  const post = (path, body) => fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body), credentials: 'same-origin' });
  // A move's answer replaces the last one's, which it makes stale.
  const send = (message) => {
    if (!socket || socket.readyState !== WebSocket.OPEN) return;
    if (message.t !== 'meters') $('reply').replaceChildren();
    socket.send(JSON.stringify(message));
  };
  const valueText = (control) => `${control.shown} dB`;
  const element = (tag, className, text) => {
    const made = document.createElement(tag);
    if (className) made.className = className;
    if (text !== undefined) made.textContent = text;
    return made;
  };
  // Under its card's heading a control shows its caption alone (a phone level, whose label is the heading,
  // none); a screen reader hears its whole label, as the window names it.
  function nameOf(control) {
    const name = element('span', 'name');
    const heading = `${control.group} `;
    if (control.label.startsWith(heading)) name.append(element('span', 'hidden-title', heading), control.label.slice(heading.length));
    else if (control.label === control.group) name.append(element('span', 'hidden-title', control.label));
    else name.append(control.label);
    return name;
  }

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

  // A level's slider spans the whole travel of its knob; with a volume limit
  // its reach ends at a notch where the knob's does, and the travel above is
  // drawn closed, so the thumb never rests above the limit.
  function sliderOf(control) {
    const slider = element('input');
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
      const reach = Number(slider.max);
      if (grab) {
        const moved = (grab.at - grab.x) / slider.getBoundingClientRect().width * reach;
        slider.value = Math.round(Math.min(reach, Math.max(0, grab.from + moved)));
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
    const button = element('button', 'switch');
    button.type = 'button';
    button.addEventListener('click', () => {
      const on = button.getAttribute('aria-pressed') !== 'true';
      // 48 V only goes off from here; the program refuses it on from a phone all the same.
      if (control.kind === 'phantom power' && on) return;
      send({ t: 'set', control: control.name, value: on ? 'on' : 'off' });
    });
    return button;
  }

  function update(control) {
    const shown = inputs.get(control.name);
    if (!shown) return;
    shown.control = control;
    const { input } = shown;
    if (input.type === 'range') {
      shown.output.textContent = valueText(control);
      const reach = control.limitFader === undefined ? 1000 : Math.round(control.limitFader * 1000);
      input.max = reach;
      shown.travel.style.setProperty('--reach', `${reach / 10}%`);
      shown.travel.classList.toggle('limited', reach < 1000);
      shown.limit.textContent = reach < 1000 ? say.limit.replace('{n}', control.max) : '';
      input.setAttribute('aria-valuetext', valueText(control));
      if (!dragging.has(control.name)) input.value = Math.round(control.fader * 1000);
    } else {
      input.setAttribute('aria-pressed', String(!!control.value));
      if (control.kind === 'phantom power') input.disabled = !control.value;
    }
  }

  // A card for each column of the panel, under its heading, in the section of the level it holds.
  function cardsOf(view) {
    const cards = new Map();
    for (const control of view.controls) {
      if (!cards.has(control.group)) cards.set(control.group, { section: 'inputs', controls: [] });
      const card = cards.get(control.group);
      card.controls.push(control);
      card.section = sectionOfKind[control.kind] || card.section;
    }
    view.readouts.forEach(({ places }, index) => places.forEach(({ group, label }) => {
      if (!cards.has(group)) cards.set(group, { section: 'inputs', controls: [] });
      (cards.get(group).meters ||= []).push({ index, label });
    }));
    return cards;
  }

  function meterOf(index, label) {
    const meter = element('div', 'meter');
    meter.innerHTML = '<span class="hidden-title"></span><div class="track" aria-hidden="true"><div class="fill"></div><div class="peak"></div></div><span class="db"></span>';
    meter.firstChild.textContent = label;
    meters[index].shown.push({ fill: meter.querySelector('.fill'), peak: meter.querySelector('.peak'),
      db: meter.querySelector('.db') });
    return meter;
  }

  function controlRow(control) {
    const row = element('div', 'level');
    const label = element('label');
    const input = sliderOf(control);
    input.id = `control-${inputs.size}`;
    label.htmlFor = input.id;
    label.append(nameOf(control));
    const travel = element('div', 'travel');
    travel.append(input, element('div', 'beyond'));
    const output = element('output');
    output.htmlFor = input.id;
    const limit = element('p', 'note limit');
    limit.id = `limit-${inputs.size}`;
    input.setAttribute('aria-describedby', limit.id);
    row.append(label, travel, output, limit);
    inputs.set(control.name, { input, output, travel, limit, control });
    return [row, input];
  }

  function render(view) {
    $('pairing').hidden = true;
    $('panel').inert = false;
    const states = { 'no-interface': 'noInterface', 'other-session': 'otherSession' };
    show(states[view.presence]);
    $('panel').hidden = view.presence !== 'shown';
    $('model').textContent = view.model ? view.model.toUpperCase() : '';
    inputs.clear();
    meters = view.readouts.map(() => ({ shown: [], held: -160, heldAt: 0 }));
    const sections = ['inputs', 'outputs', 'phone-levels'];
    for (const id of sections) $(id).querySelector('.cards').replaceChildren();
    let phantom = false;
    let count = 0;
    for (const [group, card] of cardsOf(view)) {
      const box = element('section', 'card');
      const heading = element('h3', '', group);
      heading.id = `group-${count++}`;
      box.setAttribute('aria-labelledby', heading.id);
      const top = element('div', 'card-top');
      top.append(heading, ...(card.meters || []).map(({ index, label }) => meterOf(index, label)));
      box.append(top);
      const switches = element('div', 'switches');
      const ordered = [...card.controls].sort((a, b) => switchOrder.indexOf(a.kind) - switchOrder.indexOf(b.kind));
      for (const control of ordered) {
        const [row, input] = control.fader !== undefined ? controlRow(control) : [null, switchOf(control)];
        input.dataset.control = control.name;
        input.dataset.kind = control.kind;
        if (row) box.append(row);
        else {
          input.append(nameOf(control));
          inputs.set(control.name, { input, control });
          switches.append(input);
        }
        if (control.kind === 'phantom power') {
          input.setAttribute('aria-describedby', 'phantom-note');
          phantom = true;
        }
        update(control);
      }
      if (switches.childElementCount) box.append(switches);
      $(card.section).querySelector('.cards').append(box);
    }
    $('phantom-note').hidden = !phantom;
    for (const id of sections) {
      const empty = !$(id).querySelector('.card');
      $(id).hidden = empty;
      $(`to-${id}`).hidden = empty;
    }
    const select = $('preset');
    select.replaceChildren(...view.presets.map((name) => new Option(name, name)));
    if (!view.presets.length) select.append(new Option(say.noPresets, ''));
    $('load').disabled = !view.presets.length;
  }

  // -60 dB at the left end, 0 dB at the right; the peak holds for 1.5 s.
  function levels(decibels) {
    const now = performance.now();
    const at = (db) => `${Math.max(0, Math.min(100, (db + 60) / 60 * 100))}%`;
    decibels.forEach((level, index) => {
      const meter = meters[index];
      if (!meter) return;
      if (level >= meter.held || now - meter.heldAt > 1500) { meter.held = level; meter.heldAt = now; }
      for (const shown of meter.shown) {
        shown.fill.style.width = at(level);
        shown.peak.style.left = at(meter.held);
        shown.db.textContent = level <= -100 ? '−∞' : `${level.toFixed(0)} dB`;
      }
    });
  }

  // A refusal in the page's words; what the program says of a done request, and its notes, as it says it.
  function reply(answer) {
    const why = Object.hasOwn(say.why, answer.why) ? say.why[answer.why] : say.why.other;
    const line = element('p', answer.refused ? 'refused' : '',
      answer.refused ? why.replace('{n}', answer.limit).replace('{name}', answer.subject) : answer.text);
    $('reply').replaceChildren(line, ...answer.notes.map((note) => element('p', 'note', note)));
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
