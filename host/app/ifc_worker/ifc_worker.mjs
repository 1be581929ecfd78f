// kyrel's IFC worker: reads one IFC file with web-ifc and writes its
// building elements to file descriptor 3 as the element stream that
// host/app/ifc_stream.h describes. kyrel runs it in a process of its own
// with a time and a memory limit, and checks everything it writes.
//
//   node ifc_worker.mjs FILE
//
// Geometry goes out in the file's world frame, Z up, in metres: web-ifc
// scales lengths to metres and hands out Y-up transforms, which are turned
// back to Z up here, one 4 x 4 per piece.

import fs from 'node:fs';
import * as WebIFC from 'web-ifc';

const OUT = 3;
const MAGIC = Buffer.from('KYIFC\x00\x01\x00', 'latin1');

// Records: a tag byte, a payload length (u32) and the payload.
class Stream {
  constructor() {
    this.chunks = [];
    this.size = 0;
    fs.writeSync(OUT, MAGIC);
  }
  record(tag, payload) {
    const head = Buffer.alloc(5);
    head.writeUInt8(tag.charCodeAt(0), 0);
    head.writeUInt32LE(payload.length, 1);
    this.chunks.push(head, payload);
    this.size += 5 + payload.length;
    if (this.size > (4 << 20)) this.flush();
  }
  flush() {
    if (!this.size) return;
    const all = Buffer.concat(this.chunks, this.size);
    let done = 0;
    while (done < all.length) done += fs.writeSync(OUT, all, done, all.length - done);
    this.chunks = [];
    this.size = 0;
  }
}

// A payload built from strings, integers and number arrays.
class Payload {
  constructor() {
    this.parts = [];
  }
  u8(v) {
    const b = Buffer.alloc(1);
    b.writeUInt8(v);
    this.parts.push(b);
  }
  u32(v) {
    const b = Buffer.alloc(4);
    b.writeUInt32LE(v);
    this.parts.push(b);
  }
  str(s) {
    const b = Buffer.from(String(s ?? ''), 'utf8');
    this.u32(b.length);
    this.parts.push(b);
  }
  f32s(a) {
    this.parts.push(Buffer.from(a.buffer, a.byteOffset, a.byteLength));
  }
  f64s(a) {
    const b = Buffer.alloc(8 * a.length);
    for (let i = 0; i < a.length; ++i) b.writeDoubleLE(a[i], 8 * i);
    this.parts.push(b);
  }
  u32s(a) {
    this.parts.push(Buffer.from(a.buffer, a.byteOffset, a.byteLength));
  }
  bytes() {
    return Buffer.concat(this.parts);
  }
}

function text(value) {
  if (value === null || value === undefined) return '';
  if (typeof value === 'object' && 'value' in value) return text(value.value);
  return String(value);
}

function refOf(value) {
  if (value && typeof value === 'object' && typeof value.value === 'number') return value.value;
  return 0;
}

function refsOf(list) {
  return Array.isArray(list) ? list.map(refOf).filter((r) => r > 0) : [];
}

// Y up (web-ifc) to Z up: x stays, y becomes -z, z becomes y; applied on
// the left of a column-major 4 x 4.
function zUp(m) {
  const out = m.slice();
  for (let c = 0; c < 4; ++c) {
    out[4 * c + 1] = -m[4 * c + 2];
    out[4 * c + 2] = m[4 * c + 1];
  }
  return out;
}

// Representation types that make a solid or surface; an element whose
// representations are all of other kinds (axes, footprints, annotation)
// has no geometry to make, which is not a failure.
const SHAPE_TYPES = new Set([
  'SweptSolid', 'AdvancedSweptSolid', 'Brep', 'AdvancedBrep', 'CSG', 'Clipping', 'SurfaceModel',
  'Tessellation', 'MappedRepresentation', 'SolidModel', 'BoundingBox', 'SectionedSpine', 'Surface3D',
]);

class Model {
  constructor(api, id) {
    this.api = api;
    this.id = id;
    this.parent = new Map(); // element or space -> its spatial container or whole
    this.storeys = new Map(); // storey express id -> name
  }

  line(expressID) {
    try {
      return this.api.GetLine(this.id, expressID, false, false);
    } catch {
      return null;
    }
  }

  ids(type) {
    const v = this.api.GetLineIDsWithType(this.id, type, true);
    const out = [];
    for (let i = 0; i < v.size(); ++i) out.push(v.get(i));
    return out;
  }

  readSpatialStructure() {
    for (const s of this.ids(WebIFC.IFCBUILDINGSTOREY)) {
      const line = this.line(s);
      this.storeys.set(s, line ? text(line.Name) || text(line.LongName) : '');
    }
    for (const r of this.ids(WebIFC.IFCRELCONTAINEDINSPATIALSTRUCTURE)) {
      const rel = this.line(r);
      if (!rel) continue;
      const container = refOf(rel.RelatingStructure);
      for (const e of refsOf(rel.RelatedElements)) if (!this.parent.has(e)) this.parent.set(e, container);
    }
    for (const r of this.ids(WebIFC.IFCRELAGGREGATES)) {
      const rel = this.line(r);
      if (!rel) continue;
      const whole = refOf(rel.RelatingObject);
      for (const e of refsOf(rel.RelatedObjects)) if (!this.parent.has(e)) this.parent.set(e, whole);
    }
  }

  // The storey an element stands on: its own container, or that of the
  // whole it is part of; a cycle or a chain too long ends with none.
  storeyOf(expressID) {
    let at = expressID;
    for (let step = 0; step < 64 && at; ++step) {
      if (this.storeys.has(at)) return this.storeys.get(at);
      at = this.parent.get(at) ?? 0;
    }
    return '';
  }

  // Whether the element has a representation that should give geometry.
  expectsGeometry(line) {
    const shape = this.line(refOf(line.Representation));
    if (!shape) return false;
    for (const r of refsOf(shape.Representations)) {
      const rep = this.line(r);
      if (rep && SHAPE_TYPES.has(text(rep.RepresentationType))) return true;
    }
    return false;
  }
}

function describe(model, expressID) {
  const api = model.api;
  const type = api.GetLineType(model.id, expressID);
  const line = model.line(expressID);
  return {
    type,
    cls: api.GetNameFromTypeCode(type) || 'IfcProduct',
    line,
    guid: line ? text(line.GlobalId) : '',
    name: line ? text(line.Name) : '',
    storey: model.storeyOf(expressID),
  };
}

const OPENINGS = new Set([WebIFC.IFCOPENINGELEMENT, WebIFC.IFCOPENINGSTANDARDCASE]);

function isWanted(api, type) {
  if (OPENINGS.has(type)) return false;
  return type === WebIFC.IFCSPACE || api.IsIfcElement(type);
}

// One element record: what the element is, then each piece (a placed
// geometry) with its colour, transform, vertices and triangles.
function elementPayload(model, info, mesh) {
  const api = model.api;
  const p = new Payload();
  p.str(info.guid);
  p.str(info.cls);
  p.str(info.name);
  p.str(info.storey);
  p.u8(info.type === WebIFC.IFCSPACE ? 1 : 0);
  const count = mesh.geometries.size();
  p.u32(count);
  for (let i = 0; i < count; ++i) {
    const placed = mesh.geometries.get(i);
    const geometry = api.GetGeometry(model.id, placed.geometryExpressID);
    const data = api.GetVertexArray(geometry.GetVertexData(), geometry.GetVertexDataSize());
    const indices = api.GetIndexArray(geometry.GetIndexData(), geometry.GetIndexDataSize());
    const vertexCount = Math.floor(data.length / 6);
    const positions = new Float32Array(3 * vertexCount);
    for (let v = 0; v < vertexCount; ++v) {
      positions[3 * v] = data[6 * v];
      positions[3 * v + 1] = data[6 * v + 1];
      positions[3 * v + 2] = data[6 * v + 2];
    }
    const c = placed.color;
    p.f32s(new Float32Array([c.x, c.y, c.z, c.w]));
    p.f64s(zUp(Array.from(placed.flatTransformation)));
    p.u32(vertexCount);
    p.f32s(positions);
    p.u32(Math.floor(indices.length / 3));
    p.u32s(new Uint32Array(indices.subarray(0, 3 * Math.floor(indices.length / 3))));
    geometry.delete();
  }
  return p.bytes();
}

function failurePayload(guid, cls, reason) {
  const p = new Payload();
  p.str(guid);
  p.str(cls);
  p.str(reason);
  return p.bytes();
}

async function main() {
  const path = process.argv[2];
  const out = new Stream();
  const fail = (message) => {
    const p = new Payload();
    p.str(message);
    out.record('X', p.bytes());
    out.flush();
  };
  let data;
  try {
    data = fs.readFileSync(path);
  } catch (e) {
    fail(`it cannot be read (${e.code ?? e.message})`);
    return;
  }
  if (data.length === 0) return fail('it is empty');
  const head = data.subarray(0, Math.min(data.length, 4096)).toString('latin1');
  if (!/^\s*ISO-10303-21\s*;/.test(head)) {
    return fail('it is not an IFC file (no ISO-10303-21 header)');
  }

  const api = new WebIFC.IfcAPI();
  await api.Init(undefined, true);
  api.SetLogLevel(WebIFC.LogLevel.LOG_LEVEL_OFF);
  let id;
  try {
    id = api.OpenModel(new Uint8Array(data.buffer, data.byteOffset, data.length), {
      COORDINATE_TO_ORIGIN: false,
    });
  } catch (e) {
    return fail(`web-ifc cannot open it (${e.message ?? e})`);
  }
  if (id < 0) return fail('web-ifc cannot open it');
  const model = new Model(api, id);
  const header = new Payload();
  header.str(api.GetModelSchema(id) ?? '');
  out.record('H', header.bytes());
  model.readSpatialStructure();

  // Every element that should have geometry; those that end up with none
  // are reported as failed, never left out silently.
  const expected = new Map();
  for (const type of [WebIFC.IFCELEMENT, WebIFC.IFCSPACE]) {
    for (const e of model.ids(type)) {
      const t = api.GetLineType(id, e);
      if (!isWanted(api, t)) continue;
      const line = model.line(e);
      if (!line) {
        expected.set(e, 'its record cannot be read');
      } else if (model.expectsGeometry(line)) {
        expected.set(e, '');
      }
    }
  }

  let elements = 0;
  let failures = 0;
  const done = new Set();
  const take = (mesh) => {
    const e = mesh.expressID;
    if (done.has(e)) return;
    const info = describe(model, e);
    if (!isWanted(api, info.type)) return;
    done.add(e);
    try {
      const payload = elementPayload(model, info, mesh);
      if (mesh.geometries.size() === 0) throw new Error('it has no geometry');
      out.record('E', payload);
      ++elements;
    } catch (err) {
      out.record('F', failurePayload(info.guid, info.cls, String(err.message ?? err)));
      ++failures;
    }
  };
  try {
    api.StreamAllMeshes(id, take);
    api.StreamAllMeshesWithTypes(id, [WebIFC.IFCSPACE], take);
  } catch (err) {
    // One bad element can throw out of the whole stream: go on element by
    // element, each on its own.
    for (const e of expected.keys()) {
      if (done.has(e)) continue;
      try {
        api.StreamMeshes(id, [e], take);
      } catch (inner) {
        const info = describe(model, e);
        done.add(e);
        out.record('F', failurePayload(info.guid, info.cls, String(inner.message ?? inner)));
        ++failures;
      }
    }
  }
  for (const [e, why] of expected) {
    if (done.has(e)) continue;
    const info = describe(model, e);
    out.record('F', failurePayload(info.guid, info.cls, why || 'no geometry could be made from it'));
    ++failures;
  }
  const end = new Payload();
  end.u32(elements);
  end.u32(failures);
  out.record('Z', end.bytes());
  out.flush();
  api.CloseModel(id);
}

main().catch((e) => {
  try {
    const p = new Payload();
    p.str(`the IFC reader failed (${e?.message ?? e})`);
    const b = p.bytes();
    const head = Buffer.alloc(5);
    head.writeUInt8('X'.charCodeAt(0), 0);
    head.writeUInt32LE(b.length, 1);
    fs.writeSync(OUT, Buffer.concat([head, b]));
  } catch {
    // kyrel reports a stream without an end as a failed read
  }
  process.exitCode = 2;
});
