#!/usr/bin/env node
// Copies the chosen open-licence SVGs into resources/artwork/ from npm packages installed at the
// pinned versions (run `npm install` of the three packages in a scratch folder first, then
// `node tools/vendor-artwork.js <scratch>/node_modules`). Only needed to refresh the vendored files;
// the build itself never needs npm or the network.
const fs = require('fs');
const path = require('path');

const mods = process.argv[2];
if (!mods) { console.error('usage: vendor-artwork.js NODE_MODULES'); process.exit(2); }
const out = path.join(__dirname, '..', 'resources', 'artwork');

const flat = ['camera', 'chat-circle-dots', 'music-notes', 'heart', 'star', 'cloud', 'map-pin',
  'shopping-cart-simple', 'game-controller', 'book-open', 'envelope', 'phone', 'house', 'calendar-dots',
  'alarm', 'bell', 'gear-six', 'lock-key', 'user', 'pencil-simple', 'palette', 'image', 'video-camera',
  'microphone', 'headphones', 'globe', 'lightning', 'sun', 'moon', 'leaf', 'flame', 'rocket-launch',
  'trophy', 'gift', 'shopping-bag', 'wallet', 'chart-bar', 'folder', 'file-text', 'shield-check',
  'lightbulb', 'compass', 'paw-print'];
const colored = ['rocket', 'red-heart', 'glowing-star', 'sun-behind-cloud', 'rainbow', 'camera-with-flash',
  'artist-palette', 'guitar', 'clapper-board', 'books', 'telephone-receiver', 'house', 'alarm-clock', 'bell',
  'locked', 'key', 'pencil', 'framed-picture', 'globe-showing-americas', 'high-voltage', 'crescent-moon',
  'four-leaf-clover', 'fire', 'trophy', 'wrapped-gift', 'shopping-bags', 'money-bag', 'light-bulb',
  'compass', 'world-map', 'airplane', 'gem-stone', 'crown', 'robot', 'party-popper'];
const pictograms = {
  add: ['add', 'add_circle', 'add_circle_outline', 'add_box', 'playlist_add', 'person_add', 'group_add',
    'library_add', 'post_add', 'note_add', 'add_photo_alternate', 'add_shopping_cart', 'add_location',
    'add_alarm', 'add_task'],
  remove: ['remove', 'remove_circle', 'remove_circle_outline', 'indeterminate_check_box', 'close', 'cancel',
    'highlight_off', 'disabled_by_default', 'delete', 'delete_outline', 'delete_forever', 'delete_sweep',
    'auto_delete', 'backspace', 'clear_all', 'remove_shopping_cart', 'person_remove', 'group_remove',
    'playlist_remove', 'bookmark_remove', 'folder_delete', 'remove_done', 'remove_from_queue', 'layers_clear',
    'link_off', 'block', 'format_clear', 'hide_image'],
  player: ['play_arrow', 'pause', 'stop', 'skip_previous', 'skip_next', 'fast_rewind', 'fast_forward',
    'shuffle', 'repeat', 'repeat_one', 'volume_up', 'volume_down', 'volume_mute', 'volume_off', 'play_circle',
    'pause_circle', 'stop_circle', 'replay', 'replay_10', 'forward_10', 'fiber_manual_record', 'eject',
    'queue_music', 'equalizer'],
  media: ['photo_camera', 'image', 'videocam', 'movie', 'music_note', 'mic', 'headphones', 'photo_library',
    'video_library', 'library_music', 'album', 'camera_roll', 'radio', 'podcasts'],
  navigation: ['arrow_back', 'arrow_forward', 'arrow_upward', 'arrow_downward', 'chevron_left',
    'chevron_right', 'expand_less', 'expand_more', 'first_page', 'last_page', 'arrow_drop_down',
    'arrow_drop_up', 'home', 'menu', 'menu_open', 'more_vert', 'more_horiz', 'apps', 'unfold_more',
    'unfold_less', 'fullscreen', 'fullscreen_exit'],
  share: ['share', 'ios_share', 'reply', 'reply_all', 'forward', 'send', 'mail', 'alternate_email', 'drafts',
    'link', 'attach_file', 'chat', 'chat_bubble', 'forum', 'sms', 'rss_feed', 'cast', 'screen_share', 'upload',
    'download', 'cloud_upload', 'cloud_download', 'open_in_new', 'qr_code', 'call', 'video_call', 'contacts',
    'public', 'bluetooth', 'wifi_tethering', 'campaign'],
  misc: ['settings', 'search', 'favorite', 'star', 'bookmark', 'info', 'help', 'warning', 'error',
    'check_circle', 'done', 'lock', 'lock_open', 'visibility', 'edit', 'calendar_today', 'schedule', 'alarm',
    'notifications', 'person', 'account_circle', 'shopping_cart', 'location_on', 'language', 'lightbulb',
    'bolt', 'flag', 'label', 'build', 'extension', 'attach_money', 'credit_card', 'filter_list', 'sort', 'tune',
    'dark_mode', 'light_mode', 'wifi', 'battery_full', 'save'],
};

function write(p, text) { fs.mkdirSync(path.dirname(p), { recursive: true }); fs.writeFileSync(p, text); }
const pad = (n) => String(n).padStart(2, '0');

// Flat pictures: Phosphor fill weight.
{
  const pkg = path.join(mods, '@phosphor-icons/core');
  const ver = require(path.join(pkg, 'package.json')).version;
  const lines = [];
  flat.forEach((name, i) => {
    const file = `${pad(i + 1)}-${name}.svg`;
    write(path.join(out, 'flat', file), fs.readFileSync(path.join(pkg, 'assets/fill', `${name}-fill.svg`)));
    lines.push(`${i + 1} ${file} assets/fill/${name}-fill.svg`);
  });
  write(path.join(out, 'flat', 'magic-wand.svg'), fs.readFileSync(path.join(pkg, 'assets/fill/magic-wand-fill.svg')));
  lines.push(`about magic-wand.svg assets/fill/magic-wand-fill.svg`);
  fs.copyFileSync(path.join(pkg, 'LICENSE'), path.join(out, 'flat', 'LICENSE'));
  write(path.join(out, 'flat', 'SOURCES'), `# package @phosphor-icons/core ${ver} (MIT, Copyright (c) 2023 Phosphor Icons)\n# number, vendored file, file in the package\n${lines.join('\n')}\n`);
}

// Coloured pictures: Fluent Emoji flat, turned from iconify entries into standalone SVGs.
{
  const pkg = path.join(mods, '@iconify-json/fluent-emoji-flat');
  const ver = require(path.join(pkg, 'package.json')).version;
  const set = JSON.parse(fs.readFileSync(path.join(pkg, 'icons.json'), 'utf8'));
  const resolve = (name) => {
    let flips = { h: false, v: false, r: 0 };
    while (!set.icons[name]) {
      const a = set.aliases[name];
      if (!a) throw new Error(`no icon ${name}`);
      flips = { h: flips.h !== !!a.hFlip, v: flips.v !== !!a.vFlip, r: flips.r + (a.rotate || 0) };
      name = a.parent;
    }
    const icon = set.icons[name];
    return { icon, h: flips.h !== !!icon.hFlip, v: flips.v !== !!icon.vFlip, r: flips.r + (icon.rotate || 0) };
  };
  const lines = [];
  colored.forEach((name, i) => {
    const { icon, h: hf, v: vf, r } = resolve(name);
    const w = icon.width ?? set.width ?? 16, ht = icon.height ?? set.height ?? 16;
    const x = icon.left ?? set.left ?? 0, y = icon.top ?? set.top ?? 0;
    let body = icon.body.replace(/ href="/g, ' xlink:href="');
    if (hf) body = `<g transform="translate(${2 * x + w} 0) scale(-1 1)">${body}</g>`;
    if (vf) body = `<g transform="translate(0 ${2 * y + ht}) scale(1 -1)">${body}</g>`;
    if (r) body = `<g transform="rotate(${90 * r} ${x + w / 2} ${y + ht / 2})">${body}</g>`;
    const xl = body.includes('xlink:') ? ' xmlns:xlink="http://www.w3.org/1999/xlink"' : '';
    const file = `${pad(i + 1)}-${name}.svg`;
    write(path.join(out, 'colored', file),
      `<svg xmlns="http://www.w3.org/2000/svg"${xl} width="${w}" height="${ht}" viewBox="${x} ${y} ${w} ${ht}">${body}</svg>\n`);
    lines.push(`${i + 1} ${file} icons.json#${name}`);
  });
  write(path.join(out, 'colored', 'LICENSE'), `MIT License

Copyright (c) Microsoft Corporation

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.
`);
  write(path.join(out, 'colored', 'SOURCES'), `# package @iconify-json/fluent-emoji-flat ${ver} (Fluent Emoji by Microsoft, MIT, Copyright (c) Microsoft Corporation)\n# number, vendored file, entry of icons.json\n${lines.join('\n')}\n`);
}

// Pictograms: Material Icons, filled style, one folder a category.
{
  const pkg = path.join(mods, '@material-design-icons/svg');
  const ver = require(path.join(pkg, 'package.json')).version;
  const lines = [];
  for (const [word, names] of Object.entries(pictograms)) {
    names.forEach((name, i) => {
      const file = `${word}/${pad(i + 1)}-${name}.svg`;
      write(path.join(out, 'pictograms', file), fs.readFileSync(path.join(pkg, 'filled', `${name}.svg`)));
      lines.push(`${word} ${i + 1} ${file} filled/${name}.svg`);
    });
  }
  fs.copyFileSync(path.join(pkg, 'LICENSE'), path.join(out, 'pictograms', 'LICENSE'));
  write(path.join(out, 'pictograms', 'SOURCES'), `# package @material-design-icons/svg ${ver} (Material Icons by Google, Apache-2.0)\n# category, number, vendored file, file in the package\n${lines.join('\n')}\n`);
}
