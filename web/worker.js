// The page's worker: one conversion in a fresh converter module, whose
// main is the command's own front end. It follows the module's loader,
// createQuilnote, in the same script. The page sends
//   { wasm: <WebAssembly.Module>, file: <File>, args: [<options>..., "in.txt", "out.pdf"] }
// and receives { type: "pages", written, total } while pages are written,
// then { type: "done", status, stdout, stderr, pdf } (bytes; pdf null when
// none was written) or { type: "failed", message } when the module itself
// broke down.
'use strict';

// Progress is posted at most this often (milliseconds), besides the first
// and the last count.
const PROGRESS_INTERVAL = 100;

self.onmessage = async (event) => {
  const { wasm, file, args } = event.data;
  try {
    const stdout = [];
    const stderr = [];
    let lastTold = 0;
    const module = await createQuilnote({
      thisProgram: 'quilnote',
      // The page compiled the WebAssembly once from its own bytes: the
      // loader neither fetches nor decodes anything.
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm));
        return {};
      },
      // Standard output and standard error as bytes: the command's
      // Shift-JIS and CR LF, decoded by the page.
      preRun: [(m) => m.FS.init(null, (byte) => stdout.push(byte & 255),
                                (byte) => stderr.push(byte & 255))],
      print: () => {},
      printErr: () => {},
      onPagesWritten: (written, total) => {
        const now = performance.now();
        if (written === 0 || written === total || now - lastTold >= PROGRESS_INTERVAL) {
          lastTold = now;
          self.postMessage({ type: 'pages', written, total });
        }
      },
    });
    // The text is read from the File as the program reads it; the names
    // are the ones the command line gives.
    module.FS.mkdir('/text');
    module.FS.mount(module.FS.filesystems.WORKERFS, { blobs: [{ name: 'in.txt', data: file }] },
      '/text');
    module.FS.symlink('/text/in.txt', '/in.txt');
    // The PDF grows in the in-memory file system, by an eighth at a time
    // past 1 MB: each step copies all of it. Doubling copies it about twice
    // in all.
    const memfs = module.FS.filesystems.MEMFS;
    const expand = memfs.expandFileStorage;
    memfs.expandFileStorage = (node, needed) =>
      expand(node, Math.max(needed, 2 * (node.contents ? node.contents.length : 0)));
    const status = module.callMain(args);
    let pdf = null;
    if (status === 0 && module.FS.analyzePath('/out.pdf').exists) {
      // The file's own bytes, without the copy FS.readFile makes: its
      // storage cut to the file's size where the browser can do that in
      // place (ArrayBuffer.prototype.transfer), copied where not.
      const node = module.FS.lookupPath('/out.pdf').node;
      const contents = node.contents || new Uint8Array(0);
      if (contents.byteOffset === 0 && typeof contents.buffer.transfer === 'function') {
        pdf = new Uint8Array(contents.buffer.transfer(node.usedBytes));
        node.contents = null;
      } else {
        pdf = contents.slice(0, node.usedBytes);
      }
    }
    self.postMessage({
      type: 'done',
      status,
      stdout: Uint8Array.from(stdout),
      stderr: Uint8Array.from(stderr),
      pdf,
    }, pdf ? [pdf.buffer] : []);
  } catch (error) {
    self.postMessage({ type: 'failed', message: String((error && error.message) || error) });
  }
};
