/* Contacts page: every contact with every field the phone gave. */
(function () {
  'use strict';
  var TV = window.TarvellViewer;

  // Fields in the order they are shown, with their labels.
  var FIELDS = [
    ['NickName', 'Nickname'], ['MobileNumber', 'Mobile'], ['HomeNumber', 'Home phone'], ['WorkNumber', 'Work phone'],
    ['HomeFax', 'Home fax'], ['WorkFax', 'Work fax'], ['Email', 'Email'], ['WorkEmail', 'Work email'],
    ['HomePage', 'Home page'], ['Birthday', 'Birthday'], ['Organzation', 'Organization'], ['Department', 'Department'],
    ['Group', 'Group'], ['HomeAddress', 'Home address'], ['WorkAddress', 'Work address'], ['CreateDate', 'Created'],
    ['Note', 'Note']
  ];
  var NUMBERS = ['MobileNumber', 'HomeNumber', 'WorkNumber', 'HomeFax', 'WorkFax'];

  TV.frame('Contacts');
  var ui = TV.masterDetail({
    searchPlaceholder: 'Search names, numbers, email',
    listLabel: 'Contacts', detailLabel: 'Contact details',
    renderRow: renderRow, onShow: showContact, onSearch: search
  });
  ui.clearDetail(TV.emptyState('person', 'Choose a contact to see the details.'));

  var all = [], shown = [], matcher = null;
  var collator = new Intl.Collator(undefined, { sensitivity: 'base', numeric: true });

  TV.loadData('../Datajs/Contacts.js', 'Conten2').then(function (data) {
    if (!data) {
      ui.status.textContent = TV.noData('../Datajs/Contacts.js', 'No contacts in this backup.');
      ui.clearDetail(TV.emptyState('person', TV.noData('../Datajs/Contacts.js', 'This backup holds no contacts.')));
      document.body.setAttribute('data-ready', 'true');
      return;
    }
    all = TV.members(data, true).map(function (e, i) {
      var c = { raw: e, order: i };
      c.name = [TV.str(e.FirstName), TV.str(e.LastName)].filter(function (s) { return s.trim(); }).join(' ');
      c.number = '';
      for (var k = 0; k < NUMBERS.length && !c.number; k++) c.number = TV.str(e[NUMBERS[k]]);
      c.title = c.name || TV.str(e.NickName) || c.number || TV.str(e.Email) || TV.str(e.WorkEmail) || TV.str(e.Organzation) || 'No name';
      c.sortKey = c.name || TV.str(e.NickName) || '\uffff' + c.title;
      c.hay = FIELDS.map(function (f) { return TV.str(e[f[0]]); }).concat([c.name]).join('\n').toLowerCase();
      c.nums = NUMBERS.map(function (f) { return TV.str(e[f]); });
      return c;
    });
    all.sort(function (a, b) { return collator.compare(a.sortKey, b.sortKey) || a.order - b.order; });
    shown = all;
    ui.list.setItems(shown);
    updateStatus();
    if (!all.length) ui.clearDetail(TV.emptyState('person', 'This backup holds no contacts.'));
    else if (TV.wide()) ui.list.select(0);
    document.body.setAttribute('data-ready', 'true');
  });

  function search(q) {
    matcher = TV.matcher(q);
    shown = !matcher ? all : all.filter(function (c) {
      return c.hay.indexOf(matcher.query) !== -1 || c.nums.some(matcher.number);
    });
    ui.list.setItems(shown);
    updateStatus();
  }

  function updateStatus() {
    var text = TV.formatCount(all.length) + (all.length === 1 ? ' contact' : ' contacts');
    ui.status.textContent = matcher ? TV.formatCount(shown.length) + ' of ' + text + ' match' : text;
  }

  function imageSrc(c) {
    var h = TV.str(c.raw.Headimg);
    return h ? '../Datajs/images/' + encodeURIComponent(h) : '';
  }

  function renderRow(c, i, row) {
    var q = matcher && matcher.query;
    var second = c.name ? (c.number || TV.str(c.raw.Email) || TV.str(c.raw.Organzation)) : (c.title === c.number ? '' : c.number);
    row.appendChild(TV.avatar(c.name || TV.str(c.raw.NickName), TV.str(c.raw.SessionID) + c.title, imageSrc(c)));
    row.appendChild(TV.el('div', { class: 'row-main' },
      TV.el('span', { class: 'row-title ellipsis', dir: 'auto' }, TV.highlight(c.title, q)),
      TV.el('span', { class: 'row-sub ellipsis', dir: 'auto' }, TV.highlight(second, q))));
  }

  function showContact(c) {
    var e = c.raw, q = matcher && matcher.query;
    ui.setHead(null, c.title, null, true);
    TV.clear(ui.body);
    var hero = TV.el('div', { class: 'card contact-hero' },
      TV.avatar(c.name || TV.str(e.NickName), TV.str(e.SessionID) + c.title, imageSrc(c), true),
      TV.el('div', { style: 'min-width:0' },
        TV.el('h2', { dir: 'auto' }, TV.highlight(c.title, q)),
        TV.str(e.Organzation) ? TV.el('div', { class: 'sub', dir: 'auto' }, [TV.str(e.Organzation), TV.str(e.Department)].filter(Boolean).join(' \u00b7 ')) : null));
    var list = TV.el('dl', { class: 'fields' });
    var any = false;
    if (c.name) {
      if (TV.str(e.FirstName)) { list.appendChild(TV.el('dt', null, 'First name')); list.appendChild(TV.el('dd', { dir: 'auto' }, TV.highlight(e.FirstName, q))); }
      if (TV.str(e.LastName)) { list.appendChild(TV.el('dt', null, 'Last name')); list.appendChild(TV.el('dd', { dir: 'auto' }, TV.highlight(e.LastName, q))); }
      any = true;
    }
    FIELDS.forEach(function (f) {
      var v = TV.str(e[f[0]]);
      if (!v.trim()) return;
      any = true;
      var value = TV.highlight(v, q);
      // Only plain web addresses become links; anything else stays text.
      if (f[0] === 'HomePage' && /^https?:\/\/[^\s]+$/i.test(v.trim())) {
        value = TV.el('a', { href: v.trim(), rel: 'noopener noreferrer', target: '_blank' }, value);
      }
      list.appendChild(TV.el('dt', null, f[1]));
      list.appendChild(TV.el('dd', { dir: 'auto', 'data-field': f[0] }, value));
    });
    ui.body.appendChild(hero);
    ui.body.appendChild(TV.el('section', { class: 'card', 'aria-label': 'Details' },
      TV.el('h3', null, 'Details'),
      any ? list : TV.el('p', { class: 'sub' }, 'The phone gave no details for this contact.')));
  }
})();
