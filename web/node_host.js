// Under Node.js, `node varnel.js [ARGUMENTS]` runs the program on the
// process's own standard input, output and error, with its exit status, as
// the native program runs: the transcripts are checked this way. Appended
// after the module's factory, which is module.exports; a test that loads
// the script finds launchProgram there too, to run instances of its own.
if (typeof module === 'object' && module.exports) module.exports.launchProgram = launchProgram;
if (typeof process === 'object' && typeof require === 'function' && require.main === module) {
  (function runUnderNode(createProgram) {
    var fs = require('fs');
    var tty = require('tty');
    // Node.js opens /dev/null, for reading and writing, on any of
    // descriptors 0 to 2 that it was started without, just as a caller's
    // `<>/dev/null` or Python's DEVNULL opens it: the two cannot be told
    // apart, and such a descriptor is /dev/null to the program. A false
    // error on a real /dev/null would be worse than none on a closed one.
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
      // Node.js has no way to watch a pipe's reader without writing: a
      // reader gone while the program waits is met at its next write.
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
    var environment = process.env.TERM !== undefined ? { TERM: process.env.TERM } : {};
    // The C library's standard error comes a line at a time.
    var printLine = function (line) { fs.writeSync(2, line + '\n'); };
    launchProgram(createProgram, host, [process.argv[1]].concat(process.argv.slice(2)), environment, printLine)
      .then(function (status) {
        process.exitCode = status;
      }, function (error) {
        fs.writeSync(2, String(error && error.stack || error) + '\n');
        process.exitCode = 70;
      });
  })(module.exports);
}
