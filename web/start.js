// Loaded first and by itself (async, in the head), so that the program's
// script, the largest file of the page, is asked for at once: not behind
// the terminal's scripts or the font. Once it has come, the first run's
// program is compiled and instantiated at once, while the terminal is set
// up. window.programLoaded resolves to nextProgram(), which page.js calls
// for each run: it gives the function that starts a program not yet run
// (launch.js). It rejects when the script cannot be had or holds no
// program; window.loadProgram() asks for it again. A classic script, so
// that the page also runs opened from disk.
(function () {
  'use strict';
  var requested = new URLSearchParams(window.location.search).get('program');
  var program = ['varnel', 'pindle'].indexOf(requested) >= 0 ? requested : 'varnel';
  // What every run sees in its environment.
  var environment = { TERM: 'xterm-256color' };
  window.loadProgram = function () {
    return new Promise(function (resolve, reject) {
      var script = document.createElement('script');
      script.src = program + '.js';
      script.onload = function () {
        try {
          var create = window['create_' + program];
          if (typeof create !== 'function') throw new Error(program + '.js holds no program');
          var prepared = prepareProgram(create, environment);
          resolve(function nextProgram() {
            var next = prepared || prepareProgram(create, environment);
            prepared = null;
            return next;
          });
        } catch (error) {
          reject(error);
        }
      };
      script.onerror = function () { reject(new Error(program + '.js could not be loaded')); };
      document.head.appendChild(script);
    });
  };
  window.programLoaded = window.loadProgram();
  // Until page.js asks, a failure is no rejection left unhandled.
  window.programLoaded.catch(function () {});
})();
