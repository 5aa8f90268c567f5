// Starts a program of this build, for the page and for Node.js alike:
// `createProgram` is the script's factory (create_varnel or create_pindle),
// `host` answers the program's reads and writes (host_library.js), `args`
// is its argument list, its name first, `environment` the variables it sees
// besides Emscripten's own, and `printLine` takes the C library's lines of
// standard error. Resolves to the exit status.
// eslint-disable-next-line no-unused-vars
function launchProgram(createProgram, host, args, environment, printLine) {
  return createProgram({
    host: host,
    print: printLine,
    printErr: printLine,
    preRun: [function (program) {
      Object.keys(environment).forEach(function (name) { program.ENV[name] = environment[name]; });
    }],
  }).then(function (program) {
    var argv = program._malloc(4 * (args.length + 1));
    args.forEach(function (argument, index) {
      program.HEAPU32[(argv >> 2) + index] = program.allocateUTF8(argument);
    });
    program.HEAPU32[(argv >> 2) + args.length] = 0;
    return program.ccall('main', 'number', ['number', 'number'], [args.length, argv], { async: true });
  });
}
