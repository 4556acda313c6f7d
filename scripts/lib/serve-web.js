// A static web server for build-web/ on 127.0.0.1, as any would serve it: `node serve-web.js DIR
// [PORT]` prints the address it listens on (PORT 0 or none: any free port).
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");

const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
                ".wasm": "application/wasm", ".json": "application/json", ".sf2": "application/octet-stream",
                ".ttf": "font/ttf", ".bmp": "image/bmp", ".wav": "audio/wav", ".mid": "audio/midi" };

function serve(root, port) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    let name;
    try { name = decodeURIComponent(new URL(request.url, "http://x").pathname); } catch (e) { name = "/"; }
    if (name.endsWith("/")) name += "index.html";
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) { response.writeHead(403); response.end(); return; }
    fs.readFile(file, (error, data) => {
      if (error) { response.writeHead(404); response.end("not found"); return; }
      response.writeHead(200, { "Content-Type": types[path.extname(file).toLowerCase()] || "application/octet-stream",
                                "Cache-Control": "no-cache" });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(port || 0, "127.0.0.1", () => resolve(server)));
}
module.exports = { serve };

if (require.main === module) {
  serve(process.argv[2] || "build-web", Number(process.argv[3] || 0)).then((server) => {
    console.log(`Tessaro in the browser: http://127.0.0.1:${server.address().port}/`);
  });
}
