// Paces one run's output into a terminal that parses what it is given
// later, and says so by a callback: bytes are gathered into chunks (the
// terminal parses large ones faster), and once more than `highWater` bytes
// wait unparsed the program is held until they are down to `lowWater`.
// Memory stays within a chunk and `highWater` of the output, however much
// the program writes and however it is paced by its input.
//
//   var pacer = new OutputPacer(function (chunk, parsed) {}, options);
//   pacer.take(bytes)    copies bytes (a view the caller may reuse) and
//                        answers their count, or a promise of it while the
//                        program must wait
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
  }

  OutputPacer.prototype.take = function (bytes) {
    if (this.stopped) return new Promise(function () {});
    for (var taken = 0; taken < bytes.length;) {
      if (this.gatheredLength === 0) {
        // Handed over at the latest once the program waits or ends.
        queueMicrotask(this.flush.bind(this));
      }
      var count = Math.min(bytes.length - taken, this.gathered.length - this.gatheredLength);
      this.gathered.set(bytes.subarray(taken, taken + count), this.gatheredLength);
      this.gatheredLength += count;
      taken += count;
      if (this.gatheredLength === this.gathered.length) this.flush();
    }
    if (this.unparsed + this.gatheredLength <= this.highWater) return bytes.length;
    this.flush();
    var pacer = this;
    return new Promise(function (resolve) {
      pacer.whenDrained = function () { resolve(bytes.length); };
    });
  };

  // The gathered bytes go to the terminal; they count as unparsed from now
  // until the terminal says it has parsed them.
  OutputPacer.prototype.flush = function () {
    if (this.stopped || this.gatheredLength === 0) return;
    var chunk = this.gathered.slice(0, this.gatheredLength);
    this.gatheredLength = 0;
    this.unparsed += chunk.length;
    var pacer = this;
    this.write(chunk, function () {
      pacer.unparsed -= chunk.length;
      if (pacer.whenDrained !== null && pacer.unparsed <= pacer.lowWater && !pacer.stopped) {
        var resume = pacer.whenDrained;
        pacer.whenDrained = null;
        resume();
      }
    });
  };

  OutputPacer.prototype.stop = function () {
    this.stopped = true;
    this.whenDrained = null;
    this.gatheredLength = 0;
  };

  if (typeof module === 'object' && module.exports) module.exports = OutputPacer;
  else global.OutputPacer = OutputPacer;
})(this);
