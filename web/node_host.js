// Under Node.js, `node varnel.js [ARGUMENTS]` runs the program on the
// process's own standard input, output and error, with its exit status, as
// the native program runs: the transcripts are checked this way. Appended
// after the module's factory, which is module.exports.
if (typeof process === 'object' && typeof require === 'function' && require.main === module) {
  (function runUnderNode(createProgram) {
    var fs = require('fs');
    var tty = require('tty');
    function retryLater(attempt) {
      return new Promise(function (resolve) { setTimeout(resolve, 10); }).then(attempt);
    }
    var host = {
      read: function read(descriptor, count) {
        var chunk = new Uint8Array(count);
        try {
          return chunk.subarray(0, fs.readSync(descriptor, chunk, 0, count, null));
        } catch (error) {
          // A descriptor left non-blocking: wait for input, then read again.
          if (error.code === 'EAGAIN') return retryLater(function () { return read(descriptor, count); });
          if (error.code === 'EOF') return new Uint8Array(0);
          throw error;
        }
      },
      write: function write(descriptor, bytes) {
        try {
          return fs.writeSync(descriptor, bytes);
        } catch (error) {
          if (error.code === 'EAGAIN') {
            var copy = bytes.slice();
            return retryLater(function () { return write(descriptor, copy); });
          }
          throw error;
        }
      },
      isTerminal: function (descriptor) { return tty.isatty(descriptor); },
      columns: function (descriptor) {
        return descriptor === 1 && process.stdout.isTTY ? process.stdout.columns || 0 : 0;
      },
    };
    createProgram({
      host: host,
      // The C library's standard error comes a line at a time.
      printErr: function (line) { fs.writeSync(2, line + '\n'); },
      print: function (line) { fs.writeSync(2, line + '\n'); },
      preRun: [function (program) {
        if (process.env.TERM !== undefined) program.ENV.TERM = process.env.TERM;
      }],
    }).then(function (program) {
      var names = [process.argv[1]].concat(process.argv.slice(2));
      var argv = program._malloc(4 * (names.length + 1));
      names.forEach(function (name, index) {
        program.HEAPU32[(argv >> 2) + index] = program.allocateUTF8(name);
      });
      program.HEAPU32[(argv >> 2) + names.length] = 0;
      return program.ccall('main', 'number', ['number', 'number'], [names.length, argv], { async: true });
    }).then(function (status) {
      process.exitCode = status;
    }, function (error) {
      process.stderr.write(String(error && error.stack || error) + '\n');
      process.exitCode = 70;
    });
  })(module.exports);
}
