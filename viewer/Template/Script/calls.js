/* Call log page: calls grouped by number, newest first. */
(function () {
  'use strict';
  var TV = window.TarvellViewer;

  // The phone's call type in words; anything but incoming and outgoing is "Unknown".
  var KINDS = {
    '1': { word: 'Call In', cls: 'kind-in', sign: '\u2199' },
    '2': { word: 'Call Out', cls: 'kind-out', sign: '\u2197' }
  };
  var UNKNOWN = { word: 'Unknown', cls: 'kind-unknown', sign: '?' };
  function kindOf(status) { return KINDS[TV.str(status).trim()] || UNKNOWN; }

  TV.frame('CallHistory');
  var ui = TV.masterDetail({
    searchPlaceholder: 'Search names and numbers',
    listLabel: 'Numbers called', detailLabel: 'Calls',
    renderRow: renderRow, onShow: showGroup, onSearch: search
  });
  ui.clearDetail(TV.emptyState('phone', 'Choose a number to see its calls.'));

  var all = [], shown = [], matcher = null, total = 0, now = new Date();

  TV.loadData('../Datajs/CallHistory.js', 'Conten3').then(function (data) {
    if (!data) {
      ui.status.textContent = TV.noData('../Datajs/CallHistory.js', 'No call logs in this backup.');
      ui.clearDetail(TV.emptyState('phone', TV.noData('../Datajs/CallHistory.js', 'This backup holds no call logs.')));
      document.body.setAttribute('data-ready', 'true');
      return;
    }
    TV.members(data, true).forEach(function (group, g) {
      var calls = TV.members(group, false).map(function (e, k) {
        return {
          name: TV.str(e.Name), phone: TV.str(e.Phone), date: TV.str(e.CallDate), time: TV.timeOf(e.CallDate),
          kind: kindOf(e.CallStatus), duration: TV.str(e.Duration), seconds: TV.parseDuration(e.Duration), order: k,
          headimg: TV.str(e.Headimg)
        };
      });
      if (!calls.length) return;
      calls.sort(function (a, b) { return (b.time - a.time) || (a.order - b.order); });
      var name = '', phone = '', talk = 0, headimg = '';
      calls.forEach(function (c) {
        if (!name && c.name) name = c.name;
        if (!phone && c.phone) phone = c.phone;
        if (!headimg && c.headimg) headimg = c.headimg;
        if (!isNaN(c.seconds)) talk += c.seconds;
      });
      total += calls.length;
      all.push({ name: name, phone: phone, title: name || phone || 'Unknown number', calls: calls, latest: calls[0], talk: talk, order: g, headimg: headimg });
    });
    all.sort(function (a, b) { return (b.latest.time - a.latest.time) || (a.order - b.order); });
    shown = all;
    ui.list.setItems(shown);
    updateStatus();
    if (!all.length) ui.clearDetail(TV.emptyState('phone', 'This backup holds no call logs.'));
    else if (TV.wide()) ui.list.select(0);
    document.body.setAttribute('data-ready', 'true');
  });

  function search(q) {
    matcher = TV.matcher(q);
    shown = !matcher ? all : all.filter(function (g) { return matcher.text(g.name) || matcher.number(g.phone); });
    ui.list.setItems(shown);
    updateStatus();
  }

  function updateStatus() {
    var text = TV.formatCount(all.length) + (all.length === 1 ? ' number, ' : ' numbers, ') +
      TV.formatCount(total) + (total === 1 ? ' call' : ' calls');
    ui.status.textContent = matcher ? TV.formatCount(shown.length) + ' of ' + text + ' match' : text;
  }

  function imageSrc(g) { return g.headimg ? '../Datajs/images/' + encodeURIComponent(g.headimg) : ''; }

  function renderRow(g, i, row) {
    var q = matcher && matcher.query, last = g.latest;
    row.appendChild(TV.avatar(g.name, g.phone, imageSrc(g)));
    row.appendChild(TV.el('div', { class: 'row-main' },
      TV.el('div', { class: 'row-top' },
        TV.el('span', { class: 'row-title ellipsis', dir: 'auto' }, TV.highlight(g.title, q)),
        TV.el('span', { class: 'row-meta' }, TV.formatStamp(last.date, now))),
      TV.el('span', { class: 'row-sub ellipsis' },
        TV.el('span', { 'aria-hidden': 'true' }, last.kind.sign + ' '), last.kind.word,
        g.name ? ' \u00b7 ' : '', g.name ? TV.el('span', { dir: 'auto' }, TV.highlight(g.phone, q)) : null,
        g.calls.length > 1 ? ' \u00b7 ' + TV.formatCount(g.calls.length) + ' calls' : '')));
  }

  function showGroup(g) {
    var sub = g.name ? g.phone : '';
    ui.setHead(TV.avatar(g.name, g.phone, imageSrc(g)), g.title, sub);
    TV.clear(ui.body);
    var counts = {};
    g.calls.forEach(function (c) { counts[c.kind.word] = (counts[c.kind.word] || 0) + 1; });
    var stats = TV.el('div', { class: 'stats' },
      stat(TV.formatCount(g.calls.length), g.calls.length === 1 ? 'call' : 'calls'),
      stat(TV.formatSeconds(g.talk), 'total duration'),
      ['Call In', 'Call Out', 'Unknown'].filter(function (w) { return counts[w]; }).map(function (w) {
        return stat(TV.formatCount(counts[w]), w);
      }));
    ui.body.appendChild(TV.el('section', { class: 'card', 'aria-label': 'Summary' }, stats));
    var list = TV.el('ol', { class: 'calls' });
    TV.chunked(g.calls.length, 500, function (i) {
      var c = g.calls[i];
      list.appendChild(TV.el('li', null,
        TV.el('span', { class: 'kind-icon ' + c.kind.cls, 'aria-hidden': 'true' }, c.kind.sign),
        TV.el('div', null,
          TV.el('div', { class: 'call-kind' }, c.kind.word),
          TV.el('div', { class: 'call-date' }, TV.formatDateTime(c.date) || 'No date')),
        TV.el('span', { class: 'call-dur', title: 'Duration' }, c.duration ? TV.formatDuration(c.duration) : '\u2013')));
    });
    ui.body.appendChild(TV.el('section', { class: 'card', 'aria-label': 'Calls' }, TV.el('h3', null, 'Calls'), list));
  }

  function stat(value, label) { return TV.el('div', { class: 'stat' }, TV.el('b', null, value), TV.el('span', null, label)); }
})();
