// The page's worker: one conversion in a fresh converter module, whose
// main is the command's own front end. It follows the module's loader,
// createQuilnote, in the same script. The page sends
//   { wasm: <WebAssembly.Module>, file: <File>, args: [<options>..., "in.txt", "out.pdf"] }
// and receives { type: "pages", written, total } while pages are written,
// then { type: "done", status, stdout, stderr, pdf } (pdf: a Blob, null
// when none was written) or { type: "failed", message } when the module
// itself broke down.
'use strict';

// Progress is posted at most this often (milliseconds), besides the first
// and the last count.
const PROGRESS_INTERVAL = 100;
// The PDF is gathered in a Blob, and the text read from its File, a piece
// of this size at a time, so no whole second copy of either is made in the
// worker.
const PIECE_BYTES = 4 << 20;

// A device at `path` whose bytes go into a Blob a piece at a time (the
// browser keeps a Blob's bytes outside the worker's memory). The program
// writes a device as it is, front to back, without reading, cutting or
// locking it. Returns a function that gives the Blob, or null when the
// program never opened the device.
function makePdfDevice(FS, path) {
  const piece = new Uint8Array(PIECE_BYTES);
  let filled = 0;
  let pdf = null;
  const keep = () => {
    // Blob copies the bytes it is given: the piece is filled anew.
    pdf = new Blob([pdf, piece.subarray(0, filled)]);
    filled = 0;
  };
  // A device number of its own, past those FS.createDevice gave the
  // standard streams.
  FS.createDevice.major ||= 64;
  const device = FS.makedev(FS.createDevice.major++, 0);
  FS.registerDevice(device, {
    open: () => { pdf ||= new Blob([]); },
    write: (stream, heap, offset, length) => {
      for (let done = 0; done < length;) {
        const take = Math.min(length - done, PIECE_BYTES - filled);
        piece.set(new Uint8Array(heap.buffer, heap.byteOffset + offset + done, take), filled);
        filled += take;
        done += take;
        if (filled === PIECE_BYTES) keep();
      }
      return length;
    },
  });
  FS.mkdev(path, 0o666, device);
  return () => {
    if (pdf && filled > 0) keep();
    return pdf;
  };
}

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
    // The program asks for the whole text in one read: it is taken from the
    // File a piece at a time, so no second whole copy of it is made.
    const fileOps = module.FS.filesystems.WORKERFS.stream_ops;
    const readOnce = fileOps.read;
    fileOps.read = (stream, heap, offset, length, position) => {
      let done = 0;
      while (done < length) {
        const got = readOnce(stream, heap, offset + done, Math.min(length - done, PIECE_BYTES),
          position + done);
        if (got === 0) break;
        done += got;
      }
      return done;
    };
    const finishPdf = makePdfDevice(module.FS, '/out.pdf');
    const status = module.callMain(args);
    const pdf = finishPdf();
    self.postMessage({
      type: 'done',
      status,
      stdout: Uint8Array.from(stdout),
      stderr: Uint8Array.from(stderr),
      pdf: status === 0 ? pdf : null,
    });
  } catch (error) {
    self.postMessage({ type: 'failed', message: String((error && error.message) || error) });
  }
};
