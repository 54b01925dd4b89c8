#!/usr/bin/env node
// Draws the viewer's favicon (a phone with a check mark on the program's blue)
// and writes viewer/Template/favicon.ico with 16, 32 and 48 pixel images, each
// stored as PNG inside the icon file.
//   node viewer/tools/make-favicon.mjs [output path]
import fs from 'node:fs';
import path from 'node:path';
import { encodePng } from './png.mjs';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));

function png(size, rgba) {
  const raw = Buffer.alloc((size * 4 + 1) * size);
  for (let y = 0; y < size; y++) rgba.copy(raw, y * (size * 4 + 1) + 1, y * size * 4, (y + 1) * size * 4);
  return encodePng(size, size, 6, raw, 9);
}

// Shapes on a 0..1 square, as colour functions of a point (null = not covered).
const roundRect = (x0, y0, x1, y1, r) => (x, y) => {
  const dx = Math.max(x0 + r - x, 0, x - (x1 - r)), dy = Math.max(y0 + r - y, 0, y - (y1 - r));
  return x >= x0 && x <= x1 && y >= y0 && y <= y1 && dx * dx + dy * dy <= r * r;
};
const segment = (ax, ay, bx, by, w) => (x, y) => {
  const vx = bx - ax, vy = by - ay, t = Math.max(0, Math.min(1, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)));
  const dx = x - (ax + t * vx), dy = y - (ay + t * vy);
  return dx * dx + dy * dy <= (w / 2) ** 2;
};
const BLUE = [2, 91, 150], WHITE = [255, 255, 255], GREEN = [97, 188, 15];
const layers = [
  [roundRect(0, 0, 1, 1, 0.2), BLUE],
  [roundRect(0.28, 0.1, 0.72, 0.9, 0.08), WHITE],
  [roundRect(0.34, 0.2, 0.66, 0.74, 0.02), BLUE],
  [segment(0.38, 0.48, 0.47, 0.57, 0.09), GREEN],
  [segment(0.47, 0.57, 0.63, 0.38, 0.09), GREEN],
];

function draw(size) {
  const ss = 8, out = Buffer.alloc(size * size * 4);
  for (let py = 0; py < size; py++) {
    for (let px = 0; px < size; px++) {
      let r = 0, g = 0, b = 0, a = 0;
      for (let sy = 0; sy < ss; sy++) {
        for (let sx = 0; sx < ss; sx++) {
          const x = (px + (sx + 0.5) / ss) / size, y = (py + (sy + 0.5) / ss) / size;
          let col = null;
          for (const [hit, c] of layers) if (hit(x, y)) col = c;
          if (col) { r += col[0]; g += col[1]; b += col[2]; a++; }
        }
      }
      const o = (py * size + px) * 4;
      if (a) { out[o] = r / a; out[o + 1] = g / a; out[o + 2] = b / a; out[o + 3] = Math.round((a * 255) / (ss * ss)); }
    }
  }
  return png(size, out);
}

export function makeIco(sizes = [16, 32, 48]) {
  const images = sizes.map(draw);
  const header = Buffer.alloc(6 + 16 * sizes.length);
  header.writeUInt16LE(0, 0); header.writeUInt16LE(1, 2); header.writeUInt16LE(sizes.length, 4);
  let offset = header.length;
  sizes.forEach((s, i) => {
    const e = 6 + 16 * i;
    header[e] = s % 256; header[e + 1] = s % 256; header[e + 2] = 0; header[e + 3] = 0;
    header.writeUInt16LE(1, e + 4); header.writeUInt16LE(32, e + 6);
    header.writeUInt32LE(images[i].length, e + 8); header.writeUInt32LE(offset, e + 12);
    offset += images[i].length;
  });
  return Buffer.concat([header, ...images]);
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const out = process.argv[2] || path.resolve(here, '../Template/favicon.ico');
  fs.writeFileSync(out, makeIco());
  console.log(`wrote ${out}`);
}
