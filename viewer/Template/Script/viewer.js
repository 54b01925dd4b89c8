/* Shared code of the backup viewer pages.
 *
 * Every value shown comes from a phone and is untrusted: text only ever enters
 * the page through text nodes (el(), textContent) or encoded URL parts, never
 * as markup. Data files are plain scripts ("var Content=" + JSON + ";") loaded
 * with <script> elements, the one way that works from file:// in every browser.
 */
(function () {
  'use strict';

  var TV = {};

  /* ------------------------------------------------------------ values */

  // A value as text: the files hold strings only, anything else reads as absent.
  TV.str = function (v) {
    if (typeof v === 'string') return v;
    if (typeof v === 'number' && isFinite(v)) return String(v);
    return '';
  };

  // The entries of a flat list or a group, in file order, skipping "Version".
  TV.members = function (obj, skipVersion) {
    var out = [];
    if (!obj || typeof obj !== 'object') return out;
    var keys = Object.keys(obj);
    for (var i = 0; i < keys.length; i++) {
      if (skipVersion && keys[i] === 'Version') continue;
      var v = obj[keys[i]];
      if (v && typeof v === 'object') out.push(v);
    }
    return out;
  };

  /* ------------------------------------------------------------ loading */

  // Loads one data file and returns (through the promise) the value of the
  // variable it declares, or null when the file is missing or unreadable.
  // Several files declare the same variable, so it is read and cleared right
  // after each load and the files are loaded one after the other.
  var queue = Promise.resolve();
  TV.loadState = {};
  // What to say when a kind's data could not be read: absent or damaged.
  TV.noData = function (src, absentText) {
    return TV.loadState[src] === 'damaged'
      ? 'The data file of this page (' + src.split('/').pop() + ') is damaged and cannot be shown.'
      : absentText;
  };
  TV.loadData = function (src, variable) {
    var job = queue.then(function () {
      return new Promise(function (resolve) {
        try { window[variable] = undefined; } catch (e) { /* keep going */ }
        var s = document.createElement('script');
        s.charset = 'utf-8';
        s.async = false;
        s.src = src;
        // A file that is there but does not run (cut short, damaged) raises an
        // error event naming it; it is then reported as damaged, not as absent.
        var broken = false;
        var onError = function (e) { if (e && e.filename === s.src) { broken = true; e.preventDefault(); } };
        window.addEventListener('error', onError);
        var done = function (ok) {
          window.removeEventListener('error', onError);
          var value = ok && !broken ? window[variable] : undefined;
          try { window[variable] = undefined; } catch (e) { /* keep going */ }
          s.remove();
          value = value && typeof value === 'object' ? value : null;
          TV.loadState[src] = value ? 'ok' : ok ? 'damaged' : 'missing';
          resolve(value);
        };
        s.onload = function () { done(true); };
        s.onerror = function () { done(false); };
        document.head.appendChild(s);
      });
    });
    queue = job.catch(function () { return null; });
    return job;
  };

  /* ------------------------------------------------------------ DOM */

  // el('div', {class: 'x', dir: 'auto'}, 'text', childNode, ...): text
  // arguments become text nodes. Event handlers go in as on<name> functions.
  TV.el = function (tag, attrs) {
    var node = document.createElement(tag);
    if (attrs) {
      for (var k in attrs) {
        if (!Object.prototype.hasOwnProperty.call(attrs, k)) continue;
        var v = attrs[k];
        if (v === undefined || v === null || v === false) continue;
        if (k.slice(0, 2) === 'on' && typeof v === 'function') node.addEventListener(k.slice(2), v);
        else if (k === 'text') node.textContent = v;
        else node.setAttribute(k, v === true ? '' : String(v));
      }
    }
    for (var i = 2; i < arguments.length; i++) append(node, arguments[i]);
    return node;
  };
  function append(node, c) {
    if (c === undefined || c === null || c === false) return;
    if (Array.isArray(c)) { c.forEach(function (x) { append(node, x); }); return; }
    node.appendChild(typeof c === 'object' ? c : document.createTextNode(String(c)));
  }
  TV.clear = function (node) { while (node.firstChild) node.removeChild(node.firstChild); };

  var SVG_NS = 'http://www.w3.org/2000/svg';
  // Small fixed icons drawn from path data kept in this file.
  var ICONS = {
    search: 'M10 2a8 8 0 0 1 6.3 12.9l5.4 5.4-1.4 1.4-5.4-5.4A8 8 0 1 1 10 2zm0 2a6 6 0 1 0 0 12 6 6 0 0 0 0-12z',
    logo: 'M7 2h10a2 2 0 0 1 2 2v16a2 2 0 0 1-2 2H7a2 2 0 0 1-2-2V4a2 2 0 0 1 2-2zm0 3v13h10V5H7zm4 14.5a1 1 0 1 0 2 0 1 1 0 0 0-2 0z',
    chat: 'M4 3h16a2 2 0 0 1 2 2v11a2 2 0 0 1-2 2H8l-5 4V5a2 2 0 0 1 1-2z',
    person: 'M12 12a5 5 0 1 0 0-10 5 5 0 0 0 0 10zm0 2c-5 0-9 2.5-9 5.5V22h18v-2.5C21 16.5 17 14 12 14z',
    phone: 'M6.6 10.8a15.1 15.1 0 0 0 6.6 6.6l2.2-2.2a1 1 0 0 1 1-.25 11.4 11.4 0 0 0 3.6.57 1 1 0 0 1 1 1V20a1 1 0 0 1-1 1A17 17 0 0 1 3 4a1 1 0 0 1 1-1h3.5a1 1 0 0 1 1 1c0 1.25.2 2.45.57 3.57a1 1 0 0 1-.25 1z',
    photo: 'M4 4h16a2 2 0 0 1 2 2v12a2 2 0 0 1-2 2H4a2 2 0 0 1-2-2V6a2 2 0 0 1 2-2zm0 12.5V18h16v-3l-4-4-5 5-3-3-4 3.5zM8 10a2 2 0 1 0 0-4 2 2 0 0 0 0 4z'
  };
  TV.icon = function (name, cls) {
    var svg = document.createElementNS(SVG_NS, 'svg');
    svg.setAttribute('viewBox', '0 0 24 24');
    svg.setAttribute('aria-hidden', 'true');
    svg.setAttribute('focusable', 'false');
    if (cls) svg.setAttribute('class', cls);
    var p = document.createElementNS(SVG_NS, 'path');
    p.setAttribute('d', ICONS[name] || '');
    svg.appendChild(p);
    return svg;
  };

  // Text with every case-insensitive occurrence of the query wrapped in <mark>.
  TV.highlight = function (text, query) {
    text = TV.str(text);
    if (!query) return document.createTextNode(text);
    var frag = document.createDocumentFragment();
    var lower = text.toLowerCase(), q = query.toLowerCase(), at = 0, i;
    while (q && (i = lower.indexOf(q, at)) !== -1) {
      if (i > at) frag.appendChild(document.createTextNode(text.slice(at, i)));
      frag.appendChild(TV.el('mark', null, text.slice(i, i + q.length)));
      at = i + q.length;
    }
    frag.appendChild(document.createTextNode(text.slice(at)));
    return frag;
  };

  // Coloured initials for people without a photo.
  var PALETTE = ['#025b96', '#15374f', '#3d8b0b', '#7b4fa3', '#b5533c', '#0f7f86', '#a3377a', '#5a6b7b'];
  TV.avatar = function (name, seed, imgSrc, big) {
    var initials = '';
    var parts = TV.str(name).trim().split(/\s+/).filter(Boolean);
    for (var i = 0; i < parts.length && initials.length < 2; i++) {
      var first = Array.from(parts[i])[0];
      if (first && /[\p{L}\p{N}]/u.test(first)) initials += first.toUpperCase();
    }
    var h = 0, s = TV.str(seed || name);
    for (var j = 0; j < s.length; j++) h = (h * 31 + s.charCodeAt(j)) >>> 0;
    var box = TV.el('span', { class: 'avatar' + (big ? ' big' : ''), 'aria-hidden': 'true', style: 'background:' + PALETTE[h % PALETTE.length] });
    var fallback = function () {
      TV.clear(box);
      if (initials) box.appendChild(document.createTextNode(initials));
      else box.appendChild(TV.icon('person')).setAttribute('style', 'width:60%;height:60%;fill:#fff');
    };
    if (imgSrc) {
      var img = TV.el('img', { alt: '', src: imgSrc });
      img.addEventListener('error', fallback);
      box.appendChild(img);
    } else fallback();
    return box;
  };

  /* ------------------------------------------------------------ formats */

  // "YYYY-MM-DD HH:MM:SS" (one or more blanks between date and time) as a
  // local Date; other texts give null and are shown as they are.
  TV.parseDate = function (text) {
    var m = /^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T]+(\d{1,2}):(\d{2})(?::(\d{2}))?)?/.exec(TV.str(text));
    if (!m) return null;
    var d = new Date(+m[1], +m[2] - 1, +m[3], +(m[4] || 0), +(m[5] || 0), +(m[6] || 0));
    return isNaN(d.getTime()) || d.getMonth() !== +m[2] - 1 ? null : d;
  };
  // Sort key of a date text: milliseconds, or -Infinity for texts without a date.
  TV.timeOf = function (text) {
    var d = TV.parseDate(text);
    return d ? d.getTime() : -Infinity;
  };

  var locale;
  try { locale = navigator.languages && navigator.languages.length ? navigator.languages.slice() : undefined; } catch (e) { locale = undefined; }
  function fmt(opts) {
    try { return new Intl.DateTimeFormat(locale, opts); } catch (e) { return new Intl.DateTimeFormat(undefined, opts); }
  }
  var fDateTime = fmt({ year: 'numeric', month: 'short', day: 'numeric', hour: '2-digit', minute: '2-digit' });
  var fDate = fmt({ year: 'numeric', month: 'short', day: 'numeric' });
  var fDay = fmt({ weekday: 'long', year: 'numeric', month: 'long', day: 'numeric' });
  var fTime = fmt({ hour: '2-digit', minute: '2-digit' });

  TV.formatDateTime = function (text) { var d = TV.parseDate(text); return d ? fDateTime.format(d) : TV.str(text); };
  TV.formatDate = function (text) { var d = TV.parseDate(text); return d ? fDate.format(d) : TV.str(text); };
  TV.formatDay = function (d) { return fDay.format(d); };
  TV.formatTime = function (d) { return fTime.format(d); };
  TV.formatDateObj = function (d) { return fDateTime.format(d); };
  // Short stamp for list rows: the time today, else the date.
  TV.formatStamp = function (text, now) {
    var d = TV.parseDate(text);
    if (!d) return TV.str(text);
    now = now || new Date();
    return d.toDateString() === now.toDateString() ? fTime.format(d) : fDate.format(d);
  };

  // Seconds of "HH:MM:SS", "MM:SS" or a plain count of seconds; NaN otherwise.
  TV.parseDuration = function (text) {
    var s = TV.str(text).trim();
    if (/^\d+$/.test(s)) return +s;
    var m = /^(\d+):(\d{1,2})(?::(\d{1,2}))?$/.exec(s);
    if (!m) return NaN;
    return m[3] === undefined ? +m[1] * 60 + +m[2] : +m[1] * 3600 + +m[2] * 60 + +m[3];
  };
  // "1:02:03", "3:05", "0:09"; unreadable texts are shown as they are.
  TV.formatDuration = function (text) {
    var s = TV.parseDuration(text);
    if (isNaN(s)) return TV.str(text);
    return TV.formatSeconds(s);
  };
  TV.formatSeconds = function (s) {
    var h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60, sec = s % 60;
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    return h ? h + ':' + two(m) + ':' + two(sec) : m + ':' + two(sec);
  };
  TV.formatSize = function (text) {
    var s = TV.str(text).trim();
    if (!/^\d+$/.test(s)) return s;
    var n = +s, units = ['B', 'KB', 'MB', 'GB', 'TB'], u = 0;
    while (n >= 1024 && u < units.length - 1) { n /= 1024; u++; }
    return (u === 0 ? String(n) : n.toFixed(n < 10 ? 1 : 0)) + '\u00a0' + units[u];
  };
  TV.formatCount = function (n) {
    try { return new Intl.NumberFormat(locale).format(n); } catch (e) { return String(n); }
  };

  // The backup folder is named "<device>-MM-dd-yyyy-HH-mm-ss"; its time is the
  // time of the backup. `depth` is how many folders the page lies below it.
  TV.backupInfoFromLocation = function (depth) {
    var parts = location.pathname.split('/');
    var name = parts[parts.length - 2 - depth] || '';
    try { name = decodeURIComponent(name); } catch (e) { /* keep the raw name */ }
    var m = /^(.*)-(\d{2})-(\d{2})-(\d{4})-(\d{2})-(\d{2})-(\d{2})$/.exec(name);
    if (!m) return { folder: name, date: null, label: name };
    var d = new Date(+m[4], +m[2] - 1, +m[3], +m[5], +m[6], +m[7]);
    return { folder: name, label: m[1], date: isNaN(d.getTime()) ? null : d };
  };

  // Lower-case search text, and the digits of a phone number query.
  TV.fold = function (s) { return TV.str(s).toLowerCase(); };
  TV.digits = function (s) { return TV.str(s).replace(/\D+/g, ''); };
  // A matcher for a query: text contains it, or, for a number-like query of at
  // least three digits, the digits of a number contain its digits.
  TV.matcher = function (query) {
    var q = TV.fold(query).trim();
    if (!q) return null;
    var d = /^[\d\s+()\-./]+$/.test(q) ? TV.digits(q) : '';
    return {
      query: q,
      text: function (s) { return TV.fold(s).indexOf(q) !== -1; },
      number: function (s) { return TV.fold(s).indexOf(q) !== -1 || (d.length >= 3 && TV.digits(s).indexOf(d) !== -1); }
    };
  };

  /* ------------------------------------------------------------ page frame */

  var KIND_TITLES = { SMS: 'Messages', Contacts: 'Contacts', CallHistory: 'Call logs', Photos: 'Photos' };

  // Top bar with the way back to the overview, and the device and backup date,
  // filled in once Deviceinfo.js is read.
  TV.frame = function (kind) {
    var title = KIND_TITLES[kind] || kind;
    document.title = title + ' \u2013 Phone backup';
    var info = TV.backupInfoFromLocation(1);
    var device = TV.el('div', { class: 'device', dir: 'auto' }, info.label);
    var bar = TV.el('header', { class: 'topbar', role: 'banner' },
      TV.el('a', { class: 'brand', href: '../index.html', title: 'Back to the backup overview' },
        TV.el('span', { class: 'brand-mark' }, TV.logo()),
        TV.el('span', null, 'Backup')),
      TV.el('span', { class: 'crumb-sep', 'aria-hidden': 'true' }, '/'),
      TV.el('h1', null, title),
      device);
    document.body.insertBefore(bar, document.body.firstChild);
    document.body.insertBefore(TV.el('a', { class: 'skip-link', href: '#main' }, 'Skip to content'), bar);
    TV.loadData('../Datajs/Deviceinfo.js', 'Content').then(function (c) {
      var d = c && c.DeviceInfo && typeof c.DeviceInfo === 'object' ? c.DeviceInfo : null;
      var name = d ? [TV.str(d.Device_Name), TV.str(d.Device_Mode)].filter(Boolean).join(' ') : '';
      TV.clear(device);
      device.appendChild(TV.el('div', { dir: 'auto' }, name || info.label));
      if (info.date) device.appendChild(TV.el('div', null, 'Backed up ' + fDateTime.format(info.date)));
    });
    return info;
  };

  TV.logo = function () {
    var svg = document.createElementNS(SVG_NS, 'svg');
    svg.setAttribute('viewBox', '0 0 24 24');
    svg.setAttribute('aria-hidden', 'true');
    var p = document.createElementNS(SVG_NS, 'path');
    p.setAttribute('d', ICONS.logo);
    p.setAttribute('fill', '#025b96');
    var c = document.createElementNS(SVG_NS, 'path');
    c.setAttribute('d', 'M9 12.5l2 2 4-4.5');
    c.setAttribute('stroke', '#61bc0f');
    c.setAttribute('stroke-width', '2.2');
    c.setAttribute('fill', 'none');
    c.setAttribute('stroke-linecap', 'round');
    svg.appendChild(p);
    svg.appendChild(c);
    return svg;
  };

  TV.searchBox = function (placeholder, onChange) {
    var input = TV.el('input', { type: 'search', placeholder: placeholder, 'aria-label': placeholder, autocomplete: 'off', spellcheck: 'false' });
    var timer = 0;
    input.addEventListener('input', function () {
      clearTimeout(timer);
      timer = setTimeout(function () { onChange(input.value); }, 120);
    });
    input.addEventListener('keydown', function (e) {
      if (e.key === 'Escape' && input.value) { input.value = ''; onChange(''); e.stopPropagation(); }
    });
    return { node: TV.el('label', { class: 'search' }, TV.icon('search'), input), input: input };
  };

  TV.emptyState = function (iconName, text) {
    return TV.el('div', { class: 'empty' }, TV.icon(iconName), TV.el('p', null, text));
  };

  /* ------------------------------------------------------------ virtual list */

  // A list that keeps only the visible rows in the page, so tens of thousands of
  // entries open and scroll quickly. Rows have one height, measured from a first
  // rendered row. It is a listbox: arrow keys, Home/End, PageUp/PageDown move the
  // selection, Enter opens it.
  function VirtualList(opts) {
    this.opts = opts;
    this.items = [];
    this.selected = -1;
    this.rowHeight = 0;
    this.rows = new Map();
    this.node = TV.el('div', { class: 'vlist', role: 'listbox', tabindex: '0', 'aria-label': opts.label });
    this.sizer = TV.el('div', { class: 'vlist-sizer', role: 'presentation' });
    this.node.appendChild(this.sizer);
    this.idBase = 'vl' + Math.random().toString(36).slice(2, 8) + '-';
    var self = this, pending = false;
    this.node.addEventListener('scroll', function () {
      if (pending) return;
      pending = true;
      requestAnimationFrame(function () { pending = false; self.paint(); });
    });
    this.node.addEventListener('keydown', function (e) { self.onKey(e); });
    this.node.addEventListener('click', function (e) {
      var row = e.target.closest ? e.target.closest('.row') : null;
      if (!row) return;
      self.select(+row.dataset.index, true);
      if (self.opts.onOpen) self.opts.onOpen(self.selected, self.items[self.selected]);
    });
    if (window.ResizeObserver) new ResizeObserver(function () { self.measure(); self.paint(); }).observe(this.node);
  }
  VirtualList.prototype.setItems = function (items, keepSelection) {
    this.items = items;
    this.rows.forEach(function (r) { r.remove(); });
    this.rows.clear();
    if (!keepSelection || this.selected >= items.length) this.selected = -1;
    this.node.scrollTop = keepSelection ? this.node.scrollTop : 0;
    this.measure();
    this.paint();
  };
  VirtualList.prototype.measure = function () {
    if (!this.items.length) { this.sizer.style.height = '0px'; return; }
    if (!this.rowHeight || this.lastWidth !== this.node.clientWidth) {
      var probe = this.makeRow(0);
      probe.style.visibility = 'hidden';
      this.sizer.appendChild(probe);
      var h = probe.offsetHeight;
      probe.remove();
      if (h > 0) this.rowHeight = h;
      this.lastWidth = this.node.clientWidth;
    }
    this.sizer.style.height = (this.items.length * (this.rowHeight || 1)) + 'px';
    var self = this;
    this.rows.forEach(function (r, i) { r.style.top = (i * self.rowHeight) + 'px'; r.style.height = self.rowHeight + 'px'; });
  };
  VirtualList.prototype.makeRow = function (i) {
    var row = TV.el('div', {
      class: 'row', role: 'option', id: this.idBase + i, 'data-index': i,
      'aria-selected': i === this.selected ? 'true' : 'false',
      'aria-posinset': i + 1, 'aria-setsize': this.items.length
    });
    if (this.opts.rowClass) row.className += ' ' + this.opts.rowClass;
    this.opts.render(this.items[i], i, row);
    return row;
  };
  VirtualList.prototype.paint = function () {
    var n = this.items.length;
    if (!n) return;
    if (!this.rowHeight) this.measure();
    var rh = this.rowHeight || 60;
    var top = this.node.scrollTop, height = this.node.clientHeight || 600;
    var first = Math.max(0, Math.floor(top / rh) - 8);
    var last = Math.min(n - 1, Math.ceil((top + height) / rh) + 8);
    var self = this;
    this.rows.forEach(function (r, i) {
      if (i < first || i > last) { r.remove(); self.rows.delete(i); }
    });
    var frag = document.createDocumentFragment();
    for (var i = first; i <= last; i++) {
      if (this.rows.has(i)) continue;
      var row = this.makeRow(i);
      row.style.top = (i * rh) + 'px';
      row.style.height = rh + 'px';
      this.rows.set(i, row);
      frag.appendChild(row);
    }
    this.sizer.appendChild(frag);
  };
  VirtualList.prototype.select = function (i, fromClick) {
    if (!this.items.length) return;
    i = Math.max(0, Math.min(this.items.length - 1, i));
    var old = this.rows.get(this.selected);
    if (old) old.setAttribute('aria-selected', 'false');
    this.selected = i;
    this.node.setAttribute('aria-activedescendant', this.idBase + i);
    if (!fromClick) this.scrollTo(i);
    this.paint();
    var row = this.rows.get(i);
    if (row) row.setAttribute('aria-selected', 'true');
    if (this.opts.onSelect) this.opts.onSelect(i, this.items[i]);
  };
  VirtualList.prototype.scrollTo = function (i) {
    var rh = this.rowHeight || 60, top = i * rh, view = this.node.clientHeight;
    if (top < this.node.scrollTop) this.node.scrollTop = top;
    else if (top + rh > this.node.scrollTop + view) this.node.scrollTop = top + rh - view;
  };
  VirtualList.prototype.onKey = function (e) {
    var page = Math.max(1, Math.floor(this.node.clientHeight / (this.rowHeight || 60)) - 1);
    var i = this.selected, n = this.items.length;
    var to = null;
    switch (e.key) {
      case 'ArrowDown': to = i < 0 ? 0 : i + 1; break;
      case 'ArrowUp': to = i < 0 ? 0 : i - 1; break;
      case 'Home': to = 0; break;
      case 'End': to = n - 1; break;
      case 'PageDown': to = (i < 0 ? 0 : i) + page; break;
      case 'PageUp': to = (i < 0 ? 0 : i) - page; break;
      case 'Enter':
      case ' ':
        if (i >= 0 && this.opts.onOpen) { e.preventDefault(); this.opts.onOpen(i, this.items[i], true); }
        return;
      default: return;
    }
    e.preventDefault();
    if (n) this.select(to);
  };
  TV.VirtualList = VirtualList;

  /* ------------------------------------------------------------ master/detail */

  // The two-pane page of messages, contacts and call logs: list on the start
  // side, details on the other; on narrow windows one pane at a time.
  TV.masterDetail = function (opts) {
    var main = TV.el('main', { class: 'app', id: 'main' });
    var status = TV.el('p', { class: 'list-status', role: 'status', 'aria-live': 'polite' }, 'Loading\u2026');
    // The list carries the query it shows, so that scripts driving the page can
    // tell when a search has been applied.
    var search = TV.searchBox(opts.searchPlaceholder, function (q) { opts.onSearch(q); list.node.setAttribute('data-query', q); });
    var list = new VirtualList({
      label: opts.listLabel, render: opts.renderRow,
      onSelect: function (i, item) { opts.onShow(item, i); },
      onOpen: function (i, item, byKey) { main.classList.add('show-detail'); if (byKey) focusDetail(); }
    });
    var back = TV.el('button', { class: 'back', type: 'button', 'aria-label': 'Back to the list', title: 'Back to the list' }, '\u2190');
    var headText = TV.el('div', { style: 'min-width:0;flex:1' });
    var headExtra = TV.el('div', { style: 'display:flex;align-items:center;gap:12px' });
    var head = TV.el('div', { class: 'detail-head' }, back, headExtra, headText);
    var body = TV.el('div', { class: 'detail-body', tabindex: '-1' });
    var detail = TV.el('section', { class: 'pane detail-pane', 'aria-label': opts.detailLabel }, head, body);
    var listPane = TV.el('section', { class: 'pane list-pane', 'aria-label': opts.listLabel },
      TV.el('div', { class: 'pane-head' }, search.node, status), list.node);
    main.appendChild(listPane);
    main.appendChild(detail);
    document.body.appendChild(main);
    function closeDetail() {
      main.classList.remove('show-detail');
      list.node.focus();
    }
    function focusDetail() { body.focus({ preventScroll: true }); }
    back.addEventListener('click', closeDetail);
    detail.addEventListener('keydown', function (e) {
      if (e.key === 'Escape' && main.classList.contains('show-detail')) { e.preventDefault(); closeDetail(); }
    });
    document.addEventListener('keydown', function (e) {
      // "/" jumps to the search box, as in many web apps.
      if (e.key === '/' && document.activeElement !== search.input && !e.ctrlKey && !e.metaKey) {
        e.preventDefault();
        main.classList.remove('show-detail');
        search.input.focus();
      }
      if (e.key === 'ArrowDown' && document.activeElement === search.input) {
        e.preventDefault();
        list.node.focus();
        if (list.selected < 0) list.select(0);
      }
    });
    return {
      main: main, list: list, status: status, search: search, head: headText, headExtra: headExtra, body: body,
      // narrowOnly: the detail shows its own title, the bar is only for the way back.
      setHead: function (extra, title, sub, narrowOnly) {
        head.classList.toggle('narrow-only', !!narrowOnly);
        TV.clear(headExtra); TV.clear(headText);
        if (extra) headExtra.appendChild(extra);
        headText.appendChild(TV.el('h2', { class: 'ellipsis', dir: 'auto' }, title));
        if (sub) headText.appendChild(TV.el('div', { class: 'sub ellipsis', dir: 'auto' }, sub));
        head.style.display = '';
      },
      clearDetail: function (node) {
        TV.clear(headExtra); TV.clear(headText); TV.clear(body);
        head.style.display = 'none';
        if (node) body.appendChild(node);
      }
    };
  };

  // True when both panes are shown side by side.
  TV.wide = function () { return !window.matchMedia || !window.matchMedia('(max-width: 760px)').matches; };

  // Work split into slices so that the page stays responsive.
  TV.chunked = function (count, size, fn, done) {
    var i = 0, token = {};
    function step() {
      if (token.cancelled) return;
      var end = Math.min(count, i + size);
      for (; i < end; i++) fn(i);
      if (i < count) setTimeout(step, 0); else if (done) done();
    }
    step();
    return token;
  };

  window.TarvellViewer = TV;
})();
