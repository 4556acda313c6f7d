// A static web server for build-web/ as any host would serve it (gzip where the browser takes it):
//   node serve-web.js DIR [PORT] [--lan]
// prints the address it listens on (PORT 0 or none: any free port). It listens on 127.0.0.1 only,
// unless --lan: then on every interface, so that a phone on the same network can open it, and it
// prints the addresses to open there.
"use strict";
const http = require("http");
const fs = require("fs");
const os = require("os");
const path = require("path");
const zlib = require("zlib");

const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
                ".wasm": "application/wasm", ".json": "application/json", ".sf2": "application/octet-stream",
                ".ttf": "font/ttf", ".bmp": "image/bmp", ".wav": "audio/wav", ".mid": "audio/midi",
                ".svg": "image/svg+xml", ".png": "image/png", ".webmanifest": "application/manifest+json",
                ".txt": "text/plain; charset=utf-8" };
// Already compressed: sent as they are.
const packed = new Set([".png"]);

function serve(root, port, host = "127.0.0.1") {
  root = path.resolve(root);
  const gzipped = new Map();  // file → [mtime, bytes]
  const server = http.createServer((request, response) => {
    let name;
    try { name = decodeURIComponent(new URL(request.url, "http://x").pathname); } catch (e) { name = "/"; }
    if (name.endsWith("/")) name += "index.html";
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) { response.writeHead(403); response.end(); return; }
    fs.stat(file, (statError, stat) => {
      if (statError || !stat.isFile()) { response.writeHead(404); response.end("not found"); return; }
      fs.readFile(file, (error, data) => {
        if (error) { response.writeHead(404); response.end("not found"); return; }
        const extension = path.extname(file).toLowerCase();
        const headers = { "Content-Type": types[extension] || "application/octet-stream", "Cache-Control": "no-cache",
                          "Vary": "Accept-Encoding" };
        if (/\bgzip\b/.test(request.headers["accept-encoding"] || "") && !packed.has(extension)) {
          let kept = gzipped.get(file);
          if (!kept || kept[0] !== stat.mtimeMs) gzipped.set(file, kept = [stat.mtimeMs, zlib.gzipSync(data)]);
          data = kept[1];
          headers["Content-Encoding"] = "gzip";
        }
        headers["Content-Length"] = data.length;
        response.writeHead(200, headers);
        response.end(data);
      });
    });
  });
  return new Promise((resolve) => server.listen(port || 0, host, () => resolve(server)));
}
module.exports = { serve };

if (require.main === module) {
  const args = process.argv.slice(2);
  const lan = args.includes("--lan");
  const [dir, port] = args.filter((a) => a !== "--lan");
  serve(dir || "build-web", Number(port || 0), lan ? "0.0.0.0" : "127.0.0.1").then((server) => {
    const at = server.address().port;
    if (!lan) { console.log(`Tessaro in the browser: http://127.0.0.1:${at}/`); return; }
    const addresses = Object.values(os.networkInterfaces()).flat()
      .filter((a) => a && a.family === "IPv4" && !a.internal).map((a) => `http://${a.address}:${at}/`);
    console.log(`Tessaro in the browser, open to the local network: ${addresses.join(" ") || "(no network address found)"}`);
    console.log(`(on this machine: http://127.0.0.1:${at}/. Browsers keep music, the offline copy and installing` +
                " to secure addresses, https or the machine's own: from another machine the story plays without them)");
  });
}
