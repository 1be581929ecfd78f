// Writes a large IFC model made of copies of the architectural Duplex
// sample model, for timing the import:
//   node make_big_ifc.mjs SHARED_IFC_FOLDER COPIES OUT.ifc
// Each copy is renumbered, gets new GlobalIds and stands 25 m further
// along x (and 30 m along y every 8 copies), so the copies neither share
// records nor overlap. (One file has one set of units: the electrical
// model, in feet, cannot join the architectural one, in metres.)
import fs from 'node:fs';

const [folder, copiesText, out] = process.argv.slice(2);
const copies = Number(copiesText);
if (!folder || !(copies > 0) || !out) {
  console.error('usage: node make_big_ifc.mjs SHARED_IFC_FOLDER COPIES OUT.ifc');
  process.exit(2);
}
const sources = [{ file: 'Duplex_A_20110907.ifc', metres: 1 }];
const DIGITS = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$';

function dataLines(text) {
  const start = text.indexOf('DATA;') + 5;
  const end = text.lastIndexOf('ENDSEC;');
  return text.slice(start, end).split(/;\s*\n/).map((l) => l.trim()).filter((l) => l.length);
}

const parts = [];
let header = null;
let next = 1;
for (const source of sources) {
  const text = fs.readFileSync(`${folder}/${source.file}`, 'latin1');
  if (!header) header = text.slice(0, text.indexOf('DATA;') + 5);
  source.lines = dataLines(text);
  source.maxId = Math.max(...source.lines.map((l) => Number(/^#(\d+)/.exec(l)?.[1] ?? 0)));
}
for (let copy = 0; copy < copies; ++copy) {
  const dx = 25 * (copy % 8);
  const dy = 30 * Math.floor(copy / 8);
  for (const source of sources) {
    const base = next;
    next += source.maxId + 10;
    const shift = next - 3;
    const shiftPoint = next - 2;
    const shiftAxes = next - 1;
    const u = source.metres;
    parts.push(`#${shiftPoint}=IFCCARTESIANPOINT((${(dx / u).toFixed(4)},${(dy / u).toFixed(4)},0.))`);
    parts.push(`#${shiftAxes}=IFCAXIS2PLACEMENT3D(#${shiftPoint},$,$)`);
    parts.push(`#${shift}=IFCLOCALPLACEMENT($,#${shiftAxes})`);
    const tag = DIGITS[copy % 64] + DIGITS[Math.floor(copy / 64) % 64];
    for (const line of source.lines) {
      let l = line.replace(/#(\d+)/g, (_, n) => `#${Number(n) + base}`);
      // New GlobalIds: the first quoted 22-character string of a rooted record.
      l = l.replace(/^(#\d+=\s*IFC[A-Z0-9]+\(')([0-9A-Za-z_$]{22})'/, (_, head, id) =>
        `${head}${id.slice(0, 20)}${tag}'`);
      // Placements that hang from nothing now hang from the copy's offset.
      l = l.replace(/IFCLOCALPLACEMENT\(\$,/, `IFCLOCALPLACEMENT(#${shift},`);
      parts.push(l);
    }
  }
}
fs.writeFileSync(out, `${header}\n${parts.join(';\n')};\nENDSEC;\nEND-ISO-10303-21;\n`, 'latin1');
console.log(`${out}: ${copies} copies of the architectural model, ${(fs.statSync(out).size / 1e6).toFixed(1)} MB`);
