// Serves a folder on localhost for a look at the web page: node serve.mjs FOLDER [PORT].
// Only files directly in the folder are served; the module goes out as application/wasm, so
// that the browser compiles it while it arrives.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { basename, extname, join, resolve } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// Starts serving; resolves to the server once it listens (port 0: any free port).
export function serveFolder(folder, port = 8080, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    const name = path === '/' ? 'index.html' : basename(decodeURIComponent(path));
    try {
      const body = await readFile(join(root, name));
      response.writeHead(200, { 'Content-Type': TYPES[extname(name)] || 'application/octet-stream', 'Cache-Control': 'no-store' });
      response.end(body);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found\n');
    }
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => done(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === resolve(new URL(import.meta.url).pathname)) {
  const [folder = 'build-web/site', port = '8080'] = process.argv.slice(2);
  const server = await serveFolder(folder, Number(port));
  console.log(`Serving ${folder} at http://localhost:${server.address().port}/ (Ctrl+C ends)`);
}
