// The code of a browser build's program, by group of functions: reads the
// WebAssembly inlined in PROGRAM.js and the names of its functions from its
// name section (a link with --profiling-funcs, which keeps them), and
// prints a table of each group's functions, bytes of code and share, and
// the script's size, plain and gzipped.
//
//   node bench/module_functions.mjs FOLDER/varnel.js [FOLDER/pindle.js ...]
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';

// The first group whose pattern a function's (mangled) name matches.
const groups = [
  ['the program itself', /varnel|pindle|^main$|^__main_argc_argv$/],
  ['libc++ locale and its facets', /locale|facet|ctype|codecvt|num_get|num_put|numpunct|moneypunct|money_get|money_put|time_get|time_put|messages|collate/],
  ['streams', /streambuf|basic_ios|ostream|istream|ios_base/],
  ['printf, scanf, strtod', /printf|scanf|fmt_|pop_arg|out$|pad$|getint|strto|floatscan|intscan|__shgetc|__shlim|decfloat|hexfloat|scanexp/],
  ['other libc++', /^_ZN?S|^_ZNKS|^_ZNSt|std|__2/],
  ['other C library and runtime', /./],
];

function leb(bytes, at) {
  let value = 0; let shift = 0; let byte;
  do {
    byte = bytes[at.offset++];
    value += (byte & 0x7f) * 2 ** shift;
    shift += 7;
  } while (byte & 0x80);
  return value;
}

function name(bytes, at) {
  const length = leb(bytes, at);
  at.offset += length;
  return bytes.subarray(at.offset - length, at.offset).toString('utf8');
}

// The size of each function body, in order, after the imported functions,
// and the names of the functions by index.
function functionSizes(wasm) {
  const at = { offset: 8 };
  let imported = 0;
  const sizes = [];
  const names = new Map();
  let data = 0;
  while (at.offset < wasm.length) {
    const id = wasm[at.offset++];
    const size = leb(wasm, at);
    const end = at.offset + size;
    if (id === 2) {
      for (let count = leb(wasm, at); count > 0; count--) {
        name(wasm, at); // module
        name(wasm, at); // field
        const kind = wasm[at.offset++];
        if (kind === 0) { leb(wasm, at); imported++; }
        else if (kind === 1) { at.offset++; if (wasm[at.offset++] & 1) leb(wasm, at); leb(wasm, at); }
        else if (kind === 2) { if (wasm[at.offset++] & 1) leb(wasm, at); leb(wasm, at); }
        else { at.offset += 2; }
      }
    } else if (id === 10) {
      for (let count = leb(wasm, at); count > 0; count--) {
        const body = leb(wasm, at);
        sizes.push(body);
        at.offset += body;
      }
    } else if (id === 11) {
      data = size;
    } else if (id === 0 && name(wasm, at) === 'name') {
      while (at.offset < end) {
        const kind = wasm[at.offset++];
        const length = leb(wasm, at);
        const next = at.offset + length;
        if (kind === 1) {
          for (let count = leb(wasm, at); count > 0; count--) {
            const index = leb(wasm, at);
            names.set(index, name(wasm, at));
          }
        }
        at.offset = next;
      }
    }
    at.offset = end;
  }
  return { imported, sizes, names, data };
}

for (const script of process.argv.slice(2)) {
  const text = readFileSync(script, 'latin1');
  const base64 = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(text);
  if (!base64) throw new Error(`${script} holds no inline WebAssembly`);
  const wasm = Buffer.from(base64[1], 'base64');
  const { imported, sizes, names, data } = functionSizes(wasm);
  if (names.size === 0) throw new Error(`${script} names no function: link it with --profiling-funcs`);
  const totals = new Map(groups.map(([group]) => [group, { functions: 0, bytes: 0 }]));
  sizes.forEach((size, index) => {
    const name = names.get(imported + index) ?? '';
    const [group] = groups.find(([, pattern]) => pattern.test(name));
    totals.get(group).functions++;
    totals.get(group).bytes += size;
  });
  const code = sizes.reduce((sum, size) => sum + size, 0);
  const raw = readFileSync(script);
  console.log(`\n${script}: ${raw.length} bytes, ${gzipSync(raw, { level: 9 }).length} gzipped; ` +
    `module ${wasm.length} bytes: ${sizes.length} functions, ${code} bytes of code, ${data} of data\n`);
  console.log('| group | functions | bytes of code | share |\n| --- | --- | --- | --- |');
  for (const [group, { functions, bytes }] of totals) {
    if (functions > 0) console.log(`| ${group} | ${functions} | ${bytes} | ${(100 * bytes / code).toFixed(0)} % |`);
  }
}
