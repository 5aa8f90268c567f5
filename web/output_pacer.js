// Paces one run's output into a terminal that parses what it is given
// later, and says so by a callback: bytes are gathered into chunks, and
// once more than `highWater` bytes wait unparsed the program is held until
// they are down to `lowWater`. Memory stays within `highWater` of the
// output, however much the program writes at once and however it is paced
// by its input. A program that has run for `sliceTime` milliseconds in one
// task goes on in a task of its own, and each chunk is what the terminal
// parses in a short task, so that the page draws its frames and sees its
// keys while a long output comes.
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
    // Held until the terminal has parsed all it was given, the program then
    // goes on in a task of its own: the terminal's parsing, a chain of
    // timers, starts afresh each time and never waits for the clamp a long
    // chain of timers gets.
    this.highWater = options.highWater || 2 << 20;
    this.lowWater = options.lowWater || 0;
    this.sliceTime = options.sliceTime || 12;
    this.sliceStarted = null;
    // One chunk, filled and handed over whole, then a new one filled. Unless
    // the caller sets its size, a chunk is what the terminal parses in about
    // `chunkTime` milliseconds, by the pace of the last: its parsing is
    // slow while it warms up, then fast.
    this.adaptive = !options.chunkSize;
    this.chunkSize = options.chunkSize || smallestChunk;
    this.chunkTime = 25;
    this.lastParsedAt = 0;
    this.rate = 0;
    this.gathered = new Uint8Array(this.chunkSize);
    this.gatheredLength = 0;
    this.unparsed = 0;
    this.whenDrained = null;
    this.stopped = false;
    this.paused = false;
  }

  var smallestChunk = 16 << 10;
  var largestChunk = 1 << 20;

  // A task that is not a timer's: a chain of them waits for no clamp.
  var nextTask = typeof setImmediate === 'function' ? setImmediate : (function () {
    var channel = new MessageChannel();
    var queue = [];
    channel.port1.onmessage = function () { queue.shift()(); };
    return function (callback) {
      queue.push(callback);
      channel.port2.postMessage(null);
    };
  })();

  OutputPacer.prototype.take = function (bytes) {
    if (this.stopped) return new Promise(function () {});
    if (this.paused) return this.hold(bytes);
    var now = performance.now();
    if (this.sliceStarted === null) {
      this.sliceStarted = now;
      nextTask(this.endSlice.bind(this));
    } else if (now - this.sliceStarted > this.sliceTime) {
      return this.yieldThenTake(bytes);
    }
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

  OutputPacer.prototype.endSlice = function () {
    this.sliceStarted = null;
  };

  OutputPacer.prototype.yieldThenTake = function (bytes) {
    var pacer = this;
    this.flush();
    return new Promise(function (resolve) {
      nextTask(function () { resolve(pacer.take(bytes)); });
    });
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
      nextTask(resume);
    }
  };

  // The gathered bytes go to the terminal; they count as unparsed from now
  // until the terminal says it has parsed them.
  OutputPacer.prototype.flush = function () {
    if (this.stopped || this.paused || this.gatheredLength === 0) return;
    // A full chunk goes whole, the rest as a copy of its own bytes.
    var chunk = this.gatheredLength === this.gathered.length ? this.gathered
      : this.gathered.slice(0, this.gatheredLength);
    if (chunk === this.gathered) this.gathered = new Uint8Array(this.chunkSize);
    this.gatheredLength = 0;
    this.unparsed += chunk.length;
    var pacer = this;
    var handedAt = performance.now();
    this.write(chunk, function () {
      pacer.unparsed -= chunk.length;
      pacer.parsed(chunk.length, handedAt);
      pacer.resumeIfDrained();
    });
  };

  // The pace of a chunk: from when the terminal could start on it (it was
  // handed over, or the one before was parsed) to when it is parsed. Other
  // tasks in between (frames, the program) only make a pace look slower,
  // so the fastest of late counts, fading as it ages.
  OutputPacer.prototype.parsed = function (length, handedAt) {
    if (!this.adaptive) return;
    var now = performance.now();
    var took = Math.max(now - Math.max(handedAt, this.lastParsedAt), 0.1);
    this.lastParsedAt = now;
    if (length < this.chunkSize / 2) return;
    this.rate = Math.max(length / took, this.rate * 0.8);
    this.chunkSize = Math.round(Math.min(Math.max(this.rate * this.chunkTime, smallestChunk), largestChunk));
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
