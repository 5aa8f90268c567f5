// Linked into each program's module code (--pre-js): the WebAssembly, which
// the script carries inline as base64, is decoded at once and handed to the
// compiler, rather than fetched from its data: address. A fetch comes back
// only after tasks the page has queued (the terminal being set up), and a
// page with a Content-Security-Policy would have to allow it. A caller
// that brings its own instantiateWasm (a test compiling the module once)
// keeps it. wasmBinaryFile, tryParseAsDataURI and readyPromiseReject are
// the module code's own names (Emscripten 3.1).
if (!Module['instantiateWasm']) {
  Module['instantiateWasm'] = function (imports, receiveInstance) {
    // Decoded now; a failure rejects the program's promise, as a failed
    // fetch would.
    new Promise(function (resolve) { resolve(tryParseAsDataURI(wasmBinaryFile)); }).then(function (bytes) {
      return WebAssembly.instantiate(bytes, imports);
    }).then(function (result) {
      receiveInstance(result.instance, result.module);
    }, readyPromiseReject);
    return {};
  };
}
