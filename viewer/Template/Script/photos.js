/* Photos page: a grid of thumbnails; a photo opens in a viewer over the page. */
(function () {
  'use strict';
  var TV = window.TarvellViewer;
  var DEFAULT_IMAGE = '../Script/noimage.svg';

  TV.frame('Photos');
  var main = TV.el('main', { class: 'photos-page', id: 'main' });
  var status = TV.el('p', { class: 'list-status', role: 'status', 'aria-live': 'polite' }, 'Loading\u2026');
  var search = TV.searchBox('Search photo names', filter);
  var grid = TV.el('ul', { class: 'grid', 'aria-label': 'Photos' });
  main.appendChild(TV.el('div', { class: 'toolbar' }, search.node, status));
  main.appendChild(grid);
  document.body.appendChild(main);

  var all = [], shown = [], job = null, matcher = null;

  TV.loadData('../Datajs/Photos.js', 'Content').then(function (data) {
    all = TV.members(data, true).map(function (e, i) {
      var file = TV.str(e.Filename);
      return {
        title: TV.str(e.Title) || file.replace(/^[^-]*-/, '') || 'Photo ' + (i + 1), file: file,
        size: TV.str(e.Filesize), time: TV.str(e.Createtime) || TV.str(e.Modiftime)
      };
    });
    if (!all.length) {
      status.textContent = '';
      main.appendChild(TV.emptyState('photo', data ? 'This backup holds no photos.' : TV.noData('../Datajs/Photos.js', 'No photos in this backup.')));
    }
    filter('');
    document.body.setAttribute('data-ready', 'true');
  });

  function fileUrl(folder, name) { return folder + encodeURIComponent(name); }

  function filter(q) {
    matcher = TV.matcher(q);
    shown = !matcher ? all : all.filter(function (p) { return matcher.text(p.title) || matcher.text(p.file); });
    if (all.length) {
      var text = TV.formatCount(all.length) + (all.length === 1 ? ' photo' : ' photos');
      status.textContent = matcher ? TV.formatCount(shown.length) + ' of ' + text + ' match' : text;
    }
    if (job) job.cancelled = true;
    TV.clear(grid);
    job = TV.chunked(shown.length, 300, function (i) { grid.appendChild(tile(shown[i], i)); });
    grid.setAttribute('data-query', q);
  }

  function tile(p, i) {
    // The first screenful loads at once, the rest as it scrolls into view.
    var img = TV.el('img', { alt: '', loading: i < 48 ? null : 'lazy', decoding: 'async', src: p.file ? fileUrl('../Datajs/thumb/', p.file) : DEFAULT_IMAGE });
    img.addEventListener('error', function () { useDefault(img); });
    var a = TV.el('a', { class: 'tile', href: fileUrl('Gallery/', p.file), 'aria-label': p.title + (p.time ? ', ' + TV.formatDateTime(p.time) : '') },
      TV.el('div', { class: 'img' }, img),
      TV.el('div', { class: 'cap' },
        TV.el('span', { class: 't ellipsis', dir: 'auto' }, TV.highlight(p.title, matcher && matcher.query)),
        TV.el('span', { class: 'd ellipsis' }, TV.formatDate(p.time))));
    a.addEventListener('click', function (e) {
      if (e.ctrlKey || e.metaKey || e.shiftKey || e.button !== 0) return;
      e.preventDefault();
      open(i);
    });
    return TV.el('li', null, a);
  }

  function useDefault(img) {
    if (img.dataset.fallback) return;
    img.dataset.fallback = '1';
    img.className = 'fallback';
    img.src = DEFAULT_IMAGE;
  }

  /* The photo viewer: Escape closes, arrow keys go to the previous and next photo. */
  var dialog = TV.el('dialog', { class: 'viewer', 'aria-label': 'Photo' });
  var stage = TV.el('div', { class: 'stage' });
  var info = TV.el('div', { class: 'info' });
  var prev = TV.el('button', { type: 'button', 'aria-label': 'Previous photo' }, '\u2190');
  var next = TV.el('button', { type: 'button', 'aria-label': 'Next photo' }, '\u2192');
  var close = TV.el('button', { type: 'button', 'aria-label': 'Close' }, '\u2715');
  dialog.appendChild(TV.el('div', { class: 'frame' }, stage, TV.el('div', { class: 'bar' }, prev, next, info, close)));
  document.body.appendChild(dialog);
  var at = -1;
  prev.addEventListener('click', function () { open(at - 1); });
  next.addEventListener('click', function () { open(at + 1); });
  close.addEventListener('click', function () { dialog.close(); });
  dialog.addEventListener('click', function (e) { if (e.target === dialog) dialog.close(); });
  dialog.addEventListener('keydown', function (e) {
    if (e.key === 'ArrowLeft') { e.preventDefault(); open(at - 1); }
    if (e.key === 'ArrowRight') { e.preventDefault(); open(at + 1); }
  });
  dialog.addEventListener('close', function () {
    var link = grid.querySelectorAll('a.tile')[at];
    if (link) link.focus();
  });

  function open(i) {
    if (i < 0 || i >= shown.length) return;
    at = i;
    var p = shown[i];
    TV.clear(stage);
    TV.clear(info);
    var img = TV.el('img', { alt: p.title, src: p.file ? fileUrl('Gallery/', p.file) : DEFAULT_IMAGE });
    img.addEventListener('error', function () {
      useDefault(img);
      info.appendChild(TV.el('div', null, 'The photo file is missing from this backup.'));
    });
    stage.appendChild(img);
    info.appendChild(TV.el('div', { class: 'ellipsis', dir: 'auto', style: 'font-weight:600' }, p.title));
    info.appendChild(TV.el('div', null,
      [TV.formatDateTime(p.time), TV.formatSize(p.size), TV.formatCount(i + 1) + ' of ' + TV.formatCount(shown.length)].filter(Boolean).join(' \u00b7 '),
      ' \u00b7 ', TV.el('a', { href: fileUrl('Gallery/', p.file), target: '_blank', rel: 'noopener' }, 'Open the file')));
    prev.disabled = i === 0;
    next.disabled = i === shown.length - 1;
    if (!dialog.open) dialog.showModal();
  }
})();
