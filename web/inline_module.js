// Linked into each program's module code (--pre-js): the WebAssembly, which
// the script carries inline as base64, is decoded at once and handed to the
// compiler, rather than fetched from its data: address. A fetch comes back
// only after tasks the page has queued (the terminal being set up), and a
// page with a Content-Security-Policy would have to allow it. A caller
// that brings its own instantiateWasm (a test compiling the module once)
// keeps it. wasmBinaryFile, tryParseAsDataURI and readyPromiseReject are
// the module code's own names (Emscripten 3.1, which web/CMakeLists.txt
// asks for): where one is missing, Emscripten's own path is left alone.
// wasmBinaryFile is declared further on and given its value only then:
// reading it now throws only where it is not declared at all. (A read
// whose value is used, which the build's minifier keeps.)
var inlineWasmNamesFound = typeof tryParseAsDataURI === 'function' && typeof readyPromiseReject === 'function';
try {
  inlineWasmNamesFound = inlineWasmNamesFound && (wasmBinaryFile === undefined || typeof wasmBinaryFile === 'string');
} catch (undeclared) {
  inlineWasmNamesFound = false;
}
if (!Module['instantiateWasm'] && inlineWasmNamesFound) {
  Module['instantiateWasm'] = function (imports, receiveInstance) {
    // Decoded now; a failure to decode, compile, instantiate or take the
    // instance rejects the program's promise, as a failed fetch would.
    new Promise(function (resolve) {
      var bytes = typeof wasmBinaryFile === 'string' ? tryParseAsDataURI(wasmBinaryFile) : undefined;
      if (!bytes) throw new Error('the program\'s WebAssembly is not inline in its script');
      resolve(bytes);
    }).then(function (bytes) {
      return WebAssembly.instantiate(bytes, imports);
    }).then(function (result) {
      receiveInstance(result.instance, result.module);
    }).then(null, readyPromiseReject);
    return {};
  };
}
