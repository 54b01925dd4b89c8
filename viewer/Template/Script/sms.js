/* Messages page: conversations newest first, one thread at a time. */
(function () {
  'use strict';
  var TV = window.TarvellViewer;
  var CHUNK = 400; // messages added to a thread view at a time

  TV.frame('SMS');
  var ui = TV.masterDetail({
    searchPlaceholder: 'Search names, numbers, messages',
    listLabel: 'Conversations', detailLabel: 'Conversation',
    renderRow: renderRow, onShow: showThread, onSearch: search
  });
  ui.clearDetail(TV.emptyState('chat', 'Choose a conversation to read it.'));

  var all = [], shown = [], query = '', matcher = null, total = 0;
  var now = new Date();

  TV.loadData('../Datajs/SMS.js', 'Conten1').then(function (data) {
    if (!data) {
      ui.status.textContent = TV.noData('../Datajs/SMS.js', 'No messages in this backup.');
      ui.clearDetail(TV.emptyState('chat', TV.noData('../Datajs/SMS.js', 'This backup holds no text messages.')));
      document.body.setAttribute('data-ready', 'true');
      return;
    }
    all = build(data);
    shown = all;
    ui.list.setItems(shown);
    updateStatus();
    if (window.performance && performance.mark) performance.mark('conversations-shown');
    if (!all.length) ui.clearDetail(TV.emptyState('chat', 'This backup holds no text messages.'));
    else if (TV.wide()) ui.list.select(0);
    document.body.setAttribute('data-ready', 'true');
  });

  // Conversations from the groups of the file, each with its messages sorted
  // oldest first, the list sorted by newest message first.
  function build(data) {
    var groups = TV.members(data, true), out = [];
    for (var g = 0; g < groups.length; g++) {
      var items = TV.members(groups[g], false), msgs = [], name = '', phone = '', unread = 0;
      for (var k = 0; k < items.length; k++) {
        var e = items[k];
        var m = {
          text: TV.str(e.Text), date: TV.str(e.Date), time: TV.timeOf(e.Date),
          sent: TV.str(e.flags) === '1', unread: TV.str(e.flags) !== '1' && TV.str(e.read) === '2',
          name: TV.str(e.Name), phone: TV.str(e.Phone), order: k
        };
        if (!name && m.name) name = m.name;
        if (!phone && m.phone) phone = m.phone;
        if (m.unread) unread++;
        msgs.push(m);
      }
      if (!msgs.length) continue;
      msgs.sort(function (a, b) { return a.time - b.time || a.order - b.order; });
      total += msgs.length;
      var last = msgs[msgs.length - 1];
      out.push({
        name: name, phone: phone, title: name || phone || 'Unknown sender', msgs: msgs, last: last,
        newest: last.time, unread: unread, order: g, hay: null, headimg: TV.str(items[0].Headimg)
      });
    }
    out.sort(function (a, b) { return (b.newest - a.newest) || (a.order - b.order); });
    return out;
  }

  function haystack(c) {
    if (c.hay === null) c.hay = c.msgs.map(function (m) { return m.text; }).join('\n').toLowerCase();
    return c.hay;
  }

  function search(q) {
    query = q.trim();
    matcher = TV.matcher(query);
    if (!matcher) shown = all;
    else {
      shown = [];
      for (var i = 0; i < all.length; i++) {
        var c = all[i];
        var byName = matcher.text(c.name) || matcher.number(c.phone);
        var byText = haystack(c).indexOf(matcher.query) !== -1;
        if (byName || byText) shown.push(c);
      }
    }
    ui.list.setItems(shown);
    updateStatus();
  }

  function updateStatus() {
    var text = TV.formatCount(all.length) + (all.length === 1 ? ' conversation, ' : ' conversations, ') +
      TV.formatCount(total) + (total === 1 ? ' message' : ' messages');
    if (matcher) text = TV.formatCount(shown.length) + ' of ' + text + ' match';
    ui.status.textContent = text;
  }

  // The message a row shows: with a search, the newest one containing the text.
  function snippetOf(c) {
    if (matcher) {
      for (var i = c.msgs.length - 1; i >= 0; i--) if (TV.fold(c.msgs[i].text).indexOf(matcher.query) !== -1) return c.msgs[i];
    }
    return c.last;
  }

  function imageSrc(c) { return c.headimg ? '../Datajs/images/' + encodeURIComponent(c.headimg) : ''; }

  function renderRow(c, i, row) {
    var m = snippetOf(c);
    row.appendChild(TV.avatar(c.name, c.phone, imageSrc(c)));
    var sub = TV.el('span', { class: 'row-sub ellipsis', dir: 'auto' });
    if (m.sent) sub.appendChild(TV.el('span', null, 'You: '));
    sub.appendChild(TV.highlight(m.text.replace(/\s+/g, ' '), matcher && matcher.query));
    row.appendChild(TV.el('div', { class: 'row-main' },
      TV.el('div', { class: 'row-top' },
        TV.el('span', { class: 'row-title ellipsis', dir: 'auto' }, TV.highlight(c.title, matcher && matcher.query)),
        TV.el('span', { class: 'row-meta' }, TV.formatStamp(c.last.date, now))),
      TV.el('div', { class: 'row-top' }, sub,
        c.unread ? TV.el('span', { class: 'badge', title: c.unread + ' unread' }, String(c.unread)) : null)));
  }

  var current = null;
  function showThread(c) {
    current = c;
    var sub = [c.name ? c.phone : '', TV.formatCount(c.msgs.length) + (c.msgs.length === 1 ? ' message' : ' messages')]
      .filter(Boolean).join(' \u00b7 ');
    ui.setHead(TV.avatar(c.name, c.phone, imageSrc(c)), c.title, sub);
    TV.clear(ui.body);
    var thread = TV.el('ol', { class: 'thread', 'aria-label': 'Messages with ' + c.title, style: 'list-style:none;padding:0' });
    ui.body.appendChild(thread);

    // The newest messages first; older ones when asked for or scrolled to.
    var start = Math.max(0, c.msgs.length - CHUNK), hit = -1;
    if (matcher) {
      for (var i = c.msgs.length - 1; i >= 0; i--) if (TV.fold(c.msgs[i].text).indexOf(matcher.query) !== -1) { hit = i; break; }
      if (hit >= 0) start = Math.min(start, Math.max(0, hit - 20));
    }
    var more = TV.el('button', { class: 'more', type: 'button' });
    var moreItem = TV.el('li', { style: 'display:flex;justify-content:center' }, more);
    function updateMore() {
      moreItem.style.display = start > 0 ? '' : 'none';
      more.textContent = 'Show earlier messages (' + TV.formatCount(start) + ')';
    }
    function prepend() {
      if (start <= 0 || current !== c) return;
      var from = Math.max(0, start - CHUNK);
      var before = ui.body.scrollHeight, top = ui.body.scrollTop;
      thread.insertBefore(renderRange(c, from, start), moreItem.nextSibling);
      start = from;
      updateMore();
      ui.body.scrollTop = top + (ui.body.scrollHeight - before);
    }
    more.addEventListener('click', prepend);
    thread.appendChild(moreItem);
    thread.appendChild(renderRange(c, start, c.msgs.length));
    updateMore();
    if (window.IntersectionObserver) {
      var io = new IntersectionObserver(function (entries) {
        if (current !== c) { io.disconnect(); return; }
        if (entries.some(function (e) { return e.isIntersecting; })) prepend();
      }, { root: ui.body, rootMargin: '600px 0px 0px 0px' });
      io.observe(moreItem);
    }
    hold(c, thread, hit >= 0 ? thread.querySelector('[data-i="' + hit + '"]') : null);
  }

  // Shows the found message in the middle of the view, else the newest one at
  // the bottom, and keeps it there while the thread settles. Messages take a
  // placeholder height until they are first drawn, and older ones are added
  // above, so the layout keeps changing for a few frames after the thread
  // opens (or is first shown, on a narrow window); each change moves the view
  // back to the message. The hold ends when the reader scrolls, or once the
  // shown thread has not changed size for QUIET frames, so that nothing else
  // that scrolls the view later (find in page, a screen reader) is undone.
  var QUIET = 30;
  function hold(c, thread, target) {
    var body = ui.body, held = true, seen = null, quiet = 0;
    var inputs = ['wheel', 'touchstart', 'pointerdown', 'keydown'];
    function place() {
      quiet = 0;
      if (!held) return;
      if (current !== c || !thread.isConnected) { release(); return; }
      if (!target) { body.scrollTop = body.scrollHeight; return; }
      var b = body.getBoundingClientRect(), r = target.getBoundingClientRect();
      body.scrollTop += (r.top + r.height / 2) - (b.top + b.height / 2);
    }
    function tick() {
      if (!held) return;
      if (current !== c || !thread.isConnected) { release(); return; }
      if (!body.clientHeight) quiet = 0; // not shown yet
      if (++quiet > QUIET) { release(); return; }
      requestAnimationFrame(tick);
    }
    function release() {
      held = false;
      if (seen) seen.disconnect();
      inputs.forEach(function (t) { body.removeEventListener(t, release, true); });
    }
    inputs.forEach(function (t) { body.addEventListener(t, release, true); });
    if (window.ResizeObserver) {
      seen = new ResizeObserver(place);
      seen.observe(thread);
    }
    place();
    requestAnimationFrame(tick);
  }

  // Messages from..to-1, with a day heading before the first message of each day.
  function renderRange(c, from, to) {
    var frag = document.createDocumentFragment(), prevDay = from > 0 ? dayKey(c.msgs[from - 1]) : null;
    var q = matcher && matcher.query;
    for (var i = from; i < to; i++) {
      var m = c.msgs[i], d = TV.parseDate(m.date), key = d ? d.toDateString() : '';
      if (key !== prevDay) {
        frag.appendChild(TV.el('li', { class: 'day', role: 'presentation' }, d ? TV.formatDay(d) : 'Undated'));
        prevDay = key;
      }
      var body = TV.el('div', { class: 'body', dir: 'auto' }, TV.highlight(m.text, q));
      var hit = q && TV.fold(m.text).indexOf(q) !== -1;
      frag.appendChild(TV.el('li', { class: 'msg ' + (m.sent ? 'out' : 'in') + (hit ? ' hit' : ''), 'data-i': i },
        TV.el('span', { class: 'sr-only' }, m.sent ? 'Sent: ' : 'Received: '),
        body,
        TV.el('div', { class: 'meta' },
          d ? TV.el('time', { datetime: isoLocal(d) }, TV.formatTime(d)) : m.date,
          m.unread ? ' \u00b7 unread' : '')));
    }
    return frag;
  }
  function dayKey(m) { var d = TV.parseDate(m.date); return d ? d.toDateString() : ''; }
  function isoLocal(d) {
    var p = function (n) { return (n < 10 ? '0' : '') + n; };
    return d.getFullYear() + '-' + p(d.getMonth() + 1) + '-' + p(d.getDate()) + 'T' + p(d.getHours()) + ':' + p(d.getMinutes()) + ':' + p(d.getSeconds());
  }
})();
