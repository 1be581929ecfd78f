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

  typeName(expressID) {
    try {
      return this.api.GetNameFromTypeCode(this.api.GetLineType(this.id, expressID)) || '';
    } catch {
      return '';
    }
  }

  // Whether the element should have geometry: null when it has none to
  // make, '' when it has, or why it cannot be made (a reference to nothing
  // or to the wrong kind of record, a cyclic placement, a boolean chain
  // that is cyclic or too deep).
  geometryExpected(line) {
    const placement = this.placementFault(refOf(line.ObjectPlacement));
    const shapeRef = refOf(line.Representation);
    if (!shapeRef) return null;
    const shape = this.line(shapeRef);
    if (!shape) return `its representation #${shapeRef} does not exist`;
    if (this.typeName(shapeRef) !== 'IfcProductDefinitionShape') {
      return `its representation #${shapeRef} is a ${this.typeName(shapeRef) || 'record of unknown kind'}, not a shape`;
    }
    let expected = false;
    for (const r of refsOf(shape.Representations)) {
      const rep = this.line(r);
      if (!rep) return `its shape names #${r}, which does not exist`;
      if (!SHAPE_TYPES.has(text(rep.RepresentationType))) continue;
      expected = true;
      const fault = this.itemsFault(refsOf(rep.Items), 0);
      if (fault) return fault;
    }
    if (!expected) return null;
    return placement;
  }

  placementFault(ref) {
    const seen = new Set();
    for (let at = ref; at; ) {
      if (seen.has(at)) return 'its placement is placed relative to itself (a cycle)';
      seen.add(at);
      const p = this.line(at);
      if (!p) return `its placement #${at} does not exist`;
      at = refOf(p.PlacementRelTo);
    }
    return '';
  }

  // Mapped items and boolean operands, walked for cycles and depth.
  itemsFault(items, depth) {
    if (depth > 8) return 'its shape maps shapes more than 8 deep';
    for (const item of items) {
      const type = this.typeName(item);
      if (type === 'IfcMappedItem') {
        const mapped = this.line(item);
        const map = mapped && this.line(refOf(mapped.MappingSource));
        const rep = map && this.line(refOf(map.MappedRepresentation));
        if (!rep) return `its mapped item #${item} maps nothing`;
        const fault = this.itemsFault(refsOf(rep.Items), depth + 1);
        if (fault) return fault;
      } else if (type === 'IfcBooleanResult' || type === 'IfcBooleanClippingResult') {
        const fault = this.booleanFault(item);
        if (fault) return fault;
      }
    }
    return '';
  }

  booleanFault(root) {
    // Depth-first with an explicit stack: the chain itself may be deep.
    const onPath = new Set();
    const done = new Set();
    const stack = [[root, 0]];
    while (stack.length) {
      const top = stack[stack.length - 1];
      const [id, state] = top;
      if (state === 0) {
        if (onPath.has(id)) return `its boolean #${id} contains itself (a cycle)`;
        if (done.has(id)) {
          stack.pop();
          continue;
        }
        if (onPath.size >= MAX_BOOLEAN_DEPTH) {
          return `its booleans nest more than ${MAX_BOOLEAN_DEPTH} deep`;
        }
        onPath.add(id);
        top[1] = 1;
        const b = this.line(id);
        if (!b) return `its boolean #${id} cannot be read`;
        for (const operand of [refOf(b.FirstOperand), refOf(b.SecondOperand)]) {
          const t = this.typeName(operand);
          if (!operand || !t) return `its boolean #${id} has an operand that does not exist`;
          if (t === 'IfcBooleanResult' || t === 'IfcBooleanClippingResult') stack.push([operand, 0]);
        }
      } else {
        onPath.delete(id);
        done.add(id);
        stack.pop();
      }
    }
    return '';
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

// What would make web-ifc refuse the whole file, or read part of it as if
// it were all: an unterminated string or comment, a missing end. Found
// by one pass over the bytes, so the user hears which line is at fault.
// Also notes the first line with a byte that has no place outside a
// string (binary garbage), to say where a file web-ifc refuses is damaged.
let firstStrayLine = 0;
function scanText(data) {
  let line = 1;
  let stringLine = 0;
  let commentLine = 0;
  for (let i = 0; i < data.length; ++i) {
    const c = data[i];
    if (c === 10) ++line;
    if (!stringLine && !commentLine && !firstStrayLine && (c > 126 || (c < 32 && c !== 10 && c !== 13 && c !== 9))) {
      firstStrayLine = line;
    }
    if (commentLine) {
      if (c === 42 && data[i + 1] === 47) {
        commentLine = 0;
        ++i;
      }
    } else if (stringLine) {
      if (c === 39) {
        if (data[i + 1] === 39) ++i;
        else stringLine = 0;
      }
    } else if (c === 39) {
      stringLine = line;
    } else if (c === 47 && data[i + 1] === 42) {
      commentLine = line;
      ++i;
    }
  }
  if (stringLine) return `the text that starts on line ${stringLine} is never closed`;
  if (commentLine) return `the comment that starts on line ${commentLine} is never closed`;
  const tail = data.subarray(Math.max(0, data.length - 4096)).toString('latin1');
  if (!/END-ISO-10303-21\s*;\s*$/.test(tail)) {
    return 'it is cut short: it does not end with END-ISO-10303-21;';
  }
  return '';
}

// Boolean results nest: each operand may be another result. A chain
// deeper than this, or one that comes back to itself, is refused before
// web-ifc walks it (it would recurse without end or for minutes).
const MAX_BOOLEAN_DEPTH = 256;

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
  const fault = scanText(data);
  if (fault) return fail(fault);

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
  if (id < 0) {
    return fail(firstStrayLine
      ? `web-ifc cannot read it: it is damaged (line ${firstStrayLine} holds bytes that are not IFC text)`
      : 'web-ifc cannot read it (its records are damaged or its schema is not IFC2X3, IFC4 or IFC4X3)');
  }
  const model = new Model(api, id);
  const header = new Payload();
  header.str(api.GetModelSchema(id) ?? '');
  out.record('H', header.bytes());
  model.readSpatialStructure();

  // Every element that should have geometry; those that end up with none
  // are reported as failed, never left out silently.
  // Elements refused before web-ifc sees them (`refused`) are reported
  // and left out of the geometry run.
  const expected = new Map();
  const refused = new Map();
  const wanted = [];
  for (const type of [WebIFC.IFCELEMENT, WebIFC.IFCSPACE]) {
    for (const e of model.ids(type)) {
      const t = api.GetLineType(id, e);
      if (!isWanted(api, t)) continue;
      wanted.push(e);
      const line = model.line(e);
      const why = line ? model.geometryExpected(line) : 'its record cannot be read';
      if (why === null) continue;
      if (why) refused.set(e, why);
      else expected.set(e, '');
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
  for (const [e, why] of refused) {
    const info = describe(model, e);
    done.add(e);
    out.record('F', failurePayload(info.guid, info.cls, why));
    ++failures;
  }
  try {
    if (refused.size === 0) {
      api.StreamAllMeshes(id, take);
      api.StreamAllMeshesWithTypes(id, [WebIFC.IFCSPACE], take);
    } else {
      api.StreamMeshes(id, wanted.filter((e) => !refused.has(e)), take);
    }
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
