// The programs' host, linked into their browser build: reads, writes and the
// terminal's width, answered by Module.host, which the page (its terminal)
// or node_host.js (the process's own descriptors) provides. A read or write
// that the host answers with a promise suspends the program (Asyncify)
// until the promise settles; one that never settles ends the program there,
// as Ctrl-C does.
//
//   host.read(descriptor, count)  -> Uint8Array (empty at the end of input)
//   host.write(descriptor, bytes) -> bytes taken; bytes is a view into the
//                                    program's memory, valid until it returns
//   host.isTerminal(descriptor)   -> true where control sequences are shown
//   host.columns(descriptor)      -> the terminal's width, 0 if unknown
// Either of the first two may return a promise of its answer, and may throw
// (or reject with) an Error whose code names an errno, such as 'EPIPE'.
mergeInto(LibraryManager.library, {
  $webHostCall__deps: ['$Asyncify', '$setErrNo', '$ERRNO_CODES'],
  $webHostCall: function (call, deliver) {
    return Asyncify.handleSleep(function (wakeUp) {
      function failed(error) {
        setErrNo(ERRNO_CODES[error && error.code] || ERRNO_CODES.EIO);
        wakeUp(-1);
      }
      var answer;
      try {
        answer = call();
      } catch (error) {
        failed(error);
        return;
      }
      if (answer && typeof answer.then === 'function') {
        answer.then(function (value) { wakeUp(deliver(value)); }, failed);
      } else {
        wakeUp(deliver(answer));
      }
    });
  },

  web_host_read__deps: ['$webHostCall'],
  web_host_read: function (descriptor, bytes, count) {
    return webHostCall(function () { return Module.host.read(descriptor, count); }, function (chunk) {
      HEAPU8.set(chunk.subarray(0, count), bytes);
      return Math.min(chunk.length, count);
    });
  },

  web_host_write__deps: ['$webHostCall'],
  web_host_write: function (descriptor, bytes, count) {
    return webHostCall(function () {
      return Module.host.write(descriptor, HEAPU8.subarray(bytes, bytes + count));
    }, function (taken) { return taken; });
  },

  web_host_is_terminal: function (descriptor) {
    return Module.host.isTerminal(descriptor) ? 1 : 0;
  },

  web_host_columns: function (descriptor) {
    return Module.host.columns(descriptor) >>> 0;
  },
});
