// Starts a program of this build, for the page and for Node.js alike:
// `createProgram` is the script's factory (create_varnel or create_pindle),
// `host` answers the program's reads and writes (host_library.js), `args`
// is its argument list, its name first, `environment` the variables it sees
// besides Emscripten's own, and `printLine` takes the C library's lines of
// standard error. Resolves to the exit status.
// eslint-disable-next-line no-unused-vars
function launchProgram(createProgram, host, args, environment, printLine) {
  return prepareProgram(createProgram, environment)(host, args, printLine);
}

// Compiles and instantiates a program without starting it, so that a page
// has it ready while its terminal is still being set up. Returns the
// function that starts it, once: start(host, args, printLine), which
// resolves to the exit status.
function prepareProgram(createProgram, environment) {
  var printLine = null;
  var toPrintLine = function (line) { printLine(line); };
  var created = createProgram({
    print: toPrintLine,
    printErr: toPrintLine,
    // A program that reads no variable has no ENV.
    preRun: [function (program) {
      if (program.ENV) Object.keys(environment).forEach(function (name) { program.ENV[name] = environment[name]; });
    }],
  });
  // A failure is reported when the program is started; until then it is
  // not a rejection left unhandled.
  created.catch(function () {});
  return function start(host, args, printLineOfRun) {
    printLine = printLineOfRun;
    return created.then(function (program) {
      program.host = host;
      var argv = program._malloc(4 * (args.length + 1));
      args.forEach(function (argument, index) {
        program.HEAPU32[(argv >> 2) + index] = program.allocateUTF8(argument);
      });
      program.HEAPU32[(argv >> 2) + args.length] = 0;
      return program.ccall('main', 'number', ['number', 'number'], [args.length, argv], { async: true });
    });
  };
}
