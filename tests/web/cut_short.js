// Input that ends early, for the browser build: for every transcript, the
// input cut after each of its lines must end the program with status 0,
// having printed a prefix of what the whole input prints (and of its
// standard error). The checks of cut_short.py, in one Node.js process: the
// program's WebAssembly is compiled once and each cut runs in a fresh
// instance of it, where a process per cut would spend its time starting.
//
//   node cut_short.js PROGRAM.js TRANSCRIPT_DIRECTORY
'use strict';
const fs = require('node:fs');
const path = require('node:path');

const [script, directory] = process.argv.slice(2);
const createProgram = require(path.resolve(script));
const name = path.basename(script, '.js');

// The script carries its module inline, as a data address.
const inline = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(fs.readFileSync(script, 'latin1'));
if (inline === null) throw new Error(`${script} carries no WebAssembly inline`);
const compiled = new WebAssembly.Module(Buffer.from(inline[1], 'base64'));
function createInstance(options) {
  return createProgram(Object.assign(options, {
    instantiateWasm(imports, receive) {
      receive(new WebAssembly.Instance(compiled, imports), compiled);
      return {};
    },
  }));
}

// One run on `input` as a file: every read takes what is left, at most
// what was asked for; every write is taken whole.
async function run(input) {
  let offset = 0;
  const written = { 1: [], 2: [] };
  const host = {
    read(descriptor, count) {
      const chunk = input.subarray(offset, offset + count);
      offset += chunk.length;
      return chunk;
    },
    write(descriptor, bytes) {
      written[descriptor].push(Buffer.from(bytes));
      return bytes.length;
    },
    isTerminal: () => false,
    columns: () => 0,
  };
  const printLine = (line) => written[2].push(Buffer.from(line + '\n'));
  // Each instance hooks the process's uncaught errors: unhooked after its
  // run, so that hundreds of runs hold no dead instances.
  const hooked = ['uncaughtException', 'unhandledRejection'].map((event) => [event, process.listeners(event)]);
  const status = await createProgram.launchProgram(createInstance, host, [name], {}, printLine);
  for (const [event, before] of hooked) {
    process.listeners(event).filter((listener) => !before.includes(listener))
      .forEach((listener) => process.removeListener(event, listener));
  }
  return { status, output: Buffer.concat(written[1]), errors: Buffer.concat(written[2]) };
}

function isPrefix(part, whole) {
  return part.length <= whole.length && whole.subarray(0, part.length).equals(part);
}

function readIfThere(file) {
  return fs.existsSync(file) ? fs.readFileSync(file) : Buffer.alloc(0);
}

async function main() {
  let runs = 0;
  const failures = [];
  for (const file of fs.readdirSync(directory).filter((entry) => entry.endsWith('.in')).sort()) {
    const base = path.join(directory, file.slice(0, -3));
    if (fs.existsSync(`${base}.status`) || fs.existsSync(`${base}.args`)) continue;
    const input = fs.readFileSync(`${base}.in`);
    const expected = fs.readFileSync(`${base}.out`);
    const expectedErrors = readIfThere(`${base}.err`);
    // The ends of the first `kept` lines, as `head -n` cuts them, and the
    // end of the last byte: a last line without a line end is cut too.
    const cuts = [0];
    for (let at = input.indexOf(10); at >= 0; at = input.indexOf(10, at + 1)) cuts.push(at + 1);
    if (cuts[cuts.length - 1] !== input.length) cuts.push(input.length);
    for (const [kept, end] of cuts.entries()) {
      const { status, output, errors } = await run(input.subarray(0, end));
      runs += 1;
      const where = `${file} cut after ${kept} lines`;
      if (status !== 0) failures.push(`${where}: status ${status}`);
      else if (!isPrefix(output, expected)) failures.push(`${where}: output is not a prefix of ${path.basename(base)}.out`);
      else if (!isPrefix(errors, expectedErrors)) failures.push(`${where}: standard error is not a prefix of what is expected`);
    }
  }
  failures.forEach((failure) => console.log(failure));
  console.log(`${runs} cut-short runs`);
  process.exitCode = failures.length === 0 && runs > 0 ? 0 : 1;
}

main().catch((error) => {
  console.log(String(error && error.stack || error));
  process.exitCode = 1;
});
