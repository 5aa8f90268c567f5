// Loaded first and by itself (async, in the head), so that the program's
// script, the largest file of the page, is asked for at once: not behind
// the terminal's scripts or the font. Its promise is window.programLoaded,
// which page.js waits for. A classic script, so that the page also runs
// opened from disk.
(function () {
  'use strict';
  var requested = new URLSearchParams(window.location.search).get('program');
  var program = ['varnel', 'pindle'].indexOf(requested) >= 0 ? requested : 'varnel';
  window.programLoaded = new Promise(function (resolve, reject) {
    var script = document.createElement('script');
    script.src = program + '.js';
    script.onload = resolve;
    script.onerror = function () { reject(new Error(program + '.js could not be loaded')); };
    document.head.appendChild(script);
  });
})();
