// Paces one run's output into a terminal that parses what it is given
// later, and says so by a callback: bytes are gathered into chunks (the
// terminal parses large ones faster), and once more than `highWater` bytes
// wait unparsed the program is held until they are down to `lowWater`.
// Memory stays within `highWater` of the output, however much the program
// writes at once and however it is paced by its input.
//
//   var pacer = new OutputPacer(function (chunk, parsed) {}, options);
//   pacer.take(bytes)    copies what fits of bytes (a view the caller may
//                        reuse) and answers its count, or a promise of it
//                        while the program must wait
//   pacer.pause(paused)  stops the output (true) or restarts it (false)
//   pacer.stop()         drops what is gathered; a held program is never
//                        answered
//   pacer.unparsed       bytes handed to the terminal and not yet parsed
(function (global) {
  'use strict';

  function OutputPacer(write, options) {
    options = options || {};
    this.write = write;
    this.highWater = options.highWater || 4 << 20;
    this.lowWater = options.lowWater || 1 << 20;
    // One chunk, filled and handed over as an exact copy, then filled again.
    this.gathered = new Uint8Array(options.chunkSize || 1 << 20);
    this.gatheredLength = 0;
    this.unparsed = 0;
    this.whenDrained = null;
    this.stopped = false;
    this.paused = false;
  }

  OutputPacer.prototype.take = function (bytes) {
    if (this.stopped) return new Promise(function () {});
    if (this.paused) return this.hold(bytes);
    // At most what fits under the high water mark is taken: the program
    // writes the rest again, as after a pipe's partial write.
    var room = this.highWater - this.unparsed - this.gatheredLength;
    if (room <= 0) return this.hold(bytes);
    var count = Math.min(bytes.length, room);
    for (var taken = 0; taken < count;) {
      if (this.gatheredLength === 0) {
        // Handed over at the latest once the program waits or ends.
        queueMicrotask(this.flush.bind(this));
      }
      var piece = Math.min(count - taken, this.gathered.length - this.gatheredLength);
      this.gathered.set(bytes.subarray(taken, taken + piece), this.gatheredLength);
      this.gatheredLength += piece;
      taken += piece;
      if (this.gatheredLength === this.gathered.length) this.flush();
    }
    return count;
  };

  // The program waits until the terminal is down to the low water mark,
  // then its write is taken. `bytes` stays valid: the program's memory does
  // not change while it waits. Set before the flush, so that a terminal that
  // says at once that it parsed the chunk resumes the program too.
  OutputPacer.prototype.hold = function (bytes) {
    var pacer = this;
    return new Promise(function (resolve) {
      pacer.whenDrained = function () { resolve(pacer.take(bytes)); };
      pacer.flush();
      pacer.resumeIfDrained();
    });
  };

  OutputPacer.prototype.resumeIfDrained = function () {
    if (this.whenDrained !== null && this.unparsed <= this.lowWater && !this.stopped && !this.paused) {
      var resume = this.whenDrained;
      this.whenDrained = null;
      resume();
    }
  };

  // The gathered bytes go to the terminal; they count as unparsed from now
  // until the terminal says it has parsed them.
  OutputPacer.prototype.flush = function () {
    if (this.stopped || this.paused || this.gatheredLength === 0) return;
    var chunk = this.gathered.slice(0, this.gatheredLength);
    this.gatheredLength = 0;
    this.unparsed += chunk.length;
    var pacer = this;
    this.write(chunk, function () {
      pacer.unparsed -= chunk.length;
      pacer.resumeIfDrained();
    });
  };

  // Output stopped (Ctrl-S) hands the terminal nothing and holds the
  // program at its next write; restarted (Ctrl-Q), both go on.
  OutputPacer.prototype.pause = function (paused) {
    this.paused = paused;
    if (paused) return;
    this.flush();
    this.resumeIfDrained();
  };

  OutputPacer.prototype.stop = function () {
    this.stopped = true;
    this.whenDrained = null;
    this.gatheredLength = 0;
  };

  if (typeof module === 'object' && module.exports) module.exports = OutputPacer;
  else global.OutputPacer = OutputPacer;
})(this);
