// The page's ZIP worker: the PDFs into one ZIP in a fresh zipper module
// (zlib's minizip, web/zip_main.cc), following its loader, createZipper, in
// the same script. The page sends
//   { wasm: <WebAssembly.Module>, files: [{ name, bytes }...] }
// and receives { zip } (bytes) or { message } when packing failed.
'use strict';

self.onmessage = async (event) => {
  const { wasm, files } = event.data;
  try {
    const module = await createZipper({
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm));
        return {};
      },
      print: () => {},
      printErr: () => {},
    });
    for (const file of files) module.FS.writeFile(file.name, file.bytes);
    if (module.callMain(['all.zip', ...files.map((file) => file.name)]) !== 0) {
      throw new Error('the ZIP could not be made');
    }
    const zip = module.FS.readFile('all.zip');
    self.postMessage({ zip }, [zip.buffer]);
  } catch (error) {
    self.postMessage({ message: String((error && error.message) || error) });
  }
};
