// A .zip of finished files, stored as they are: the results are workbooks, already compressed,
// so compressing them again would only cost time. Names are UTF-8 (flag bit 11), which Windows'
// own zip folders, 7-Zip and WinRAR read as such.
"use strict";

const CRC_TABLE = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (let i = 0; i < bytes.length; ++i) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// DOS date and time of `when`, as the local clock shows it.
function dosTime(when) {
  return {
    time: (when.getHours() << 11) | (when.getMinutes() << 5) | (when.getSeconds() >> 1),
    date: ((when.getFullYear() - 1980) << 9) | ((when.getMonth() + 1) << 5) | when.getDate(),
  };
}

// `files`: [{ name, bytes }] with distinct names. Returns the archive's bytes. Each file and the
// whole archive stay below 4 GB, so no Zip64 records are needed.
function zipStored(files, when = new Date()) {
  const encoder = new TextEncoder();
  const { time, date } = dosTime(when);
  const parts = [];
  const central = [];
  let offset = 0;
  for (const file of files) {
    const name = encoder.encode(file.name);
    const crc = crc32(file.bytes);
    const size = file.bytes.length;
    // The fields a local header (from byte 6) and a central entry (from byte 8) share.
    const shared = (view, at) => {
      view.setUint16(at, 0x0800, true);  // names in UTF-8
      view.setUint16(at + 2, 0, true);  // stored
      view.setUint16(at + 4, time, true);
      view.setUint16(at + 6, date, true);
      view.setUint32(at + 8, crc, true);
      view.setUint32(at + 12, size, true);
      view.setUint32(at + 16, size, true);
      view.setUint16(at + 20, name.length, true);
    };
    const local = new DataView(new ArrayBuffer(30));
    local.setUint32(0, 0x04034b50, true);
    local.setUint16(4, 20, true);  // version needed: 2.0
    shared(local, 6);
    local.setUint16(28, 0, true);
    parts.push(new Uint8Array(local.buffer), name, file.bytes);

    const entry = new DataView(new ArrayBuffer(46));
    entry.setUint32(0, 0x02014b50, true);
    entry.setUint16(4, 20, true);
    entry.setUint16(6, 20, true);
    shared(entry, 8);
    entry.setUint32(42, offset, true);  // the rest (comment, disk, attributes) stays 0
    central.push(new Uint8Array(entry.buffer), name);
    offset += 30 + name.length + size;
  }
  const centralSize = central.reduce((n, part) => n + part.length, 0);
  const end = new DataView(new ArrayBuffer(22));
  end.setUint32(0, 0x06054b50, true);
  end.setUint16(8, files.length, true);
  end.setUint16(10, files.length, true);
  end.setUint32(12, centralSize, true);
  end.setUint32(16, offset, true);
  const all = [...parts, ...central, new Uint8Array(end.buffer)];
  const out = new Uint8Array(offset + centralSize + 22);
  let at = 0;
  for (const part of all) {
    out.set(part, at);
    at += part.length;
  }
  return out;
}

// Names made distinct for one archive: a second "期末-统计结果.xlsx" becomes "期末-统计结果(2).xlsx".
function distinctNames(names) {
  const seen = new Set();
  return names.map((name) => {
    let candidate = name;
    const dot = name.lastIndexOf(".");
    const [stem, ext] = dot > 0 ? [name.slice(0, dot), name.slice(dot)] : [name, ""];
    for (let n = 2; seen.has(candidate); ++n) candidate = stem + "(" + n + ")" + ext;
    seen.add(candidate);
    return candidate;
  });
}

if (typeof module !== "undefined") module.exports = { zipStored, crc32, distinctNames };
