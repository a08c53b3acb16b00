// The web site the browser visits through the proxy: a page with two links (one of them
// banned) and a picture, served on an address of the loopback network that no white list
// names, so the proxy filters it as it would any site.
import { createServer } from 'node:http';

// A link text that holds a word of the shipped black word list.
export const kBannedLinkText = '黄色电影下载';
export const kPlainLinkText = '今日天气预报';

// A 24-bit bitmap of `width` × `height` pixels of one colour: far above the size under which
// the proxy lets pictures through in no-picture mode.
function bitmap(width, height, [red, green, blue]) {
  const row = Math.ceil((width * 3) / 4) * 4;
  const size = 54 + row * height;
  const data = Buffer.alloc(size);
  data.write('BM', 0, 'latin1');
  data.writeUInt32LE(size, 2);
  data.writeUInt32LE(54, 10);
  data.writeUInt32LE(40, 14);
  data.writeInt32LE(width, 18);
  data.writeInt32LE(height, 22);
  data.writeUInt16LE(1, 26);
  data.writeUInt16LE(24, 28);
  data.writeUInt32LE(row * height, 34);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) data.set([blue, green, red], 54 + y * row + x * 3);
  }
  return data;
}

export const kPictureSize = { width: 160, height: 90 };

function page(title) {
  return `<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>${title}</title>
<style>body { font: 16px sans-serif; margin: 24px; } a { display: block; margin: 8px 0; }</style>
</head>
<body>
<h1>${title}</h1>
<p>这是一个普通的网页。</p>
<a id="plain" href="/weather.html">${kPlainLinkText}</a>
<a id="banned" href="/films.html"><b>${kBannedLinkText}</b></a>
<img id="picture" src="/picture.bmp" width="${kPictureSize.width}" height="${kPictureSize.height}" alt="">
</body>
</html>
`;
}

// A page that tries to trust its own site without the user: an <img> and a fetch of the
// control server's ".white" command, as any web page could write them. Sets
// window.forgeryDone once both have ended.
function forgeryPage(controlPort, site) {
  const command = `http://127.0.0.1:${controlPort}/x.white?xyz=${site}`;
  return `<!DOCTYPE html>
<html lang="zh-CN">
<head><meta charset="utf-8"><title>forgery</title></head>
<body>
<p>这个网页想悄悄地信任自己。</p>
<script>
var left = 2;
var ended = function () { if (--left === 0) window.forgeryDone = true; };
var image = new Image();
image.onload = image.onerror = ended;
image.src = ${JSON.stringify(command)};
fetch(${JSON.stringify(command.replace('?xyz=', '?url='))}, { method: 'POST', mode: 'no-cors', body: 'key=0' })
  .then(ended, ended);
</script>
</body>
</html>
`;
}

export class OriginServer {
  // Listens on `host` (an address of 127.0.0.0/8) at a free port.
  static async start(host) {
    const server = new OriginServer(host);
    await new Promise((resolve, reject) => {
      server.http.once('error', reject);
      server.http.listen(0, host, resolve);
    });
    server.port = server.http.address().port;
    return server;
  }

  constructor(host) {
    this.host = host;
    this.requests = [];
    const picture = bitmap(kPictureSize.width, kPictureSize.height, [200, 40, 40]);
    this.http = createServer((request, response) => {
      this.requests.push(request.url);
      if (request.url === '/picture.bmp') {
        response.writeHead(200, { 'Content-Type': 'image/bmp', 'Content-Length': picture.length });
        response.end(picture);
        return;
      }
      const forgery = /^\/forgery\.html\?control=(\d+)$/.exec(request.url);
      if (forgery) {
        const body = Buffer.from(forgeryPage(Number(forgery[1]), this.host), 'utf8');
        response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8', 'Content-Length': body.length });
        response.end(body);
        return;
      }
      if (request.url.endsWith('.html')) {
        const body = Buffer.from(page(`示例网站 ${request.url.slice(1, -5)}`), 'utf8');
        response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8', 'Content-Length': body.length });
        response.end(body);
        return;
      }
      response.writeHead(404, { 'Content-Type': 'text/plain', 'Content-Length': 9 });
      response.end('not found');
    });
  }

  url(path) { return `http://${this.host}:${this.port}${path}`; }

  close() {
    this.http.closeAllConnections?.();
    return new Promise((resolve) => this.http.close(resolve));
  }
}
