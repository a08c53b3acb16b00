// Headless Chromium driven over the DevTools protocol through a pipe (--remote-debugging-pipe:
// Chromium reads commands from its descriptor 3 and writes answers and events to its
// descriptor 4, each message a JSON text ended by a NUL byte). No package beyond Node itself.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// Flags that keep the browser to the pages it is sent to: no component updates, safe
// browsing, metrics, sync or field trials. (Some of its own requests go out all the same;
// the test's network namespace keeps them on the machine.)
const kQuietFlags = [
  '--headless=new', '--no-first-run', '--no-default-browser-check', '--disable-background-networking',
  '--disable-component-update', '--disable-default-apps', '--disable-sync', '--disable-domain-reliability',
  '--disable-client-side-phishing-detection', '--disable-breakpad', '--disable-crash-reporter',
  '--metrics-recording-only', '--no-pings', '--disable-field-trial-config', '--disable-extensions',
  '--disable-gpu', '--disable-dev-shm-usage', '--mute-audio', '--password-store=basic', '--use-mock-keychain',
  '--disable-features=Translate,OptimizationHints,MediaRouter,AutofillServerCommunication,CertificateTransparencyComponentUpdater,InterestFeedContentSuggestions,PrivacySandboxSettings4',
];

export class Chromium {
  // Starts the browser with `proxy` (host:port) for every address: "<-loopback>" takes
  // loopback addresses off the list that bypasses the proxy by default.
  static async launch({ executable, proxy, width = 1024, height = 700 }) {
    const profile = mkdtempSync(join(tmpdir(), 'kezo-chromium-'));
    const args = [...kQuietFlags, `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
      '--remote-debugging-pipe', `--proxy-server=http://${proxy}`, '--proxy-bypass-list=<-loopback>',
      'about:blank'];
    // Chromium refuses its sandbox to root.
    if (process.getuid && process.getuid() === 0) args.unshift('--no-sandbox');
    // A process group of its own, so that its renderers go with it when it must be killed.
    const child = spawn(executable, args, { detached: true, stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
    const browser = new Chromium(child, profile);
    await new Promise((resolve, reject) => {
      child.once('spawn', resolve);
      child.once('error', (error) => reject(new Error(`cannot start ${executable}: ${error.message}`)));
    });
    await browser.send('Target.setDiscoverTargets', { discover: true });
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.waiting = new Map();
    this.listeners = new Set();
    this.exited = new Promise((resolve) => child.once('exit', resolve));
    // No browser outlives the test, even one that ends on an uncaught error.
    this.onExit = () => {
      if (child.exitCode === null && child.signalCode === null) {
        try { process.kill(-child.pid, 'SIGKILL'); } catch {}
      }
      rmSync(profile, { recursive: true, force: true });
    };
    process.on('exit', this.onExit);
    let pending = Buffer.alloc(0);
    child.stdio[4].on('data', (data) => {
      pending = Buffer.concat([pending, data]);
      for (let end = pending.indexOf(0); end >= 0; end = pending.indexOf(0)) {
        const message = JSON.parse(pending.subarray(0, end).toString('utf8'));
        pending = pending.subarray(end + 1);
        this.dispatch(message);
      }
    });
    this.exited.then(() => {
      for (const { reject } of this.waiting.values()) reject(new Error('Chromium ended'));
      this.waiting.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const call = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (!call) return;
      if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      else call.resolve(message.result);
      return;
    }
    for (const listener of [...this.listeners]) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.waiting.set(id, { resolve, reject, method });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  // The first event `method` (of `sessionId`, when given) for which `accept` holds.
  event(method, { sessionId, accept = () => true, seconds = 20 } = {}) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.listeners.delete(listener);
        reject(new Error(`no ${method} within ${seconds} s`));
      }, seconds * 1000);
      const listener = (message) => {
        if (message.method !== method || (sessionId && message.sessionId !== sessionId)) return;
        if (!accept(message.params)) return;
        clearTimeout(timer);
        this.listeners.delete(listener);
        resolve(message.params);
      };
      this.listeners.add(listener);
    });
  }

  // A new tab, attached, with the page and runtime domains on.
  async newPage() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, targetId, sessionId);
    await page.enable();
    return page;
  }

  // Ends the browser: politely, then by force; its profile folder goes too.
  async close() {
    if (this.child.exitCode === null && this.child.signalCode === null) {
      this.send('Browser.close').catch(() => {});
      const ended = await Promise.race([this.exited.then(() => true), delay(5000).then(() => false)]);
      if (!ended) {
        this.onExit();
        await this.exited;
      }
    }
    this.onExit();
    process.off('exit', this.onExit);
  }
}

export class Page {
  constructor(browser, targetId, sessionId) {
    this.browser = browser;
    this.targetId = targetId;
    this.sessionId = sessionId;
    this.errors = [];
    browser.listeners.add((message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.exceptionThrown') {
        const details = message.params.exceptionDetails;
        this.errors.push(`${details.exception?.description ?? details.text} (${details.url ?? ''}:${details.lineNumber})`);
      }
    });
  }

  send(method, params = {}) { return this.browser.send(method, params, this.sessionId); }
  event(method, options = {}) { return this.browser.event(method, { ...options, sessionId: this.sessionId }); }

  async enable() {
    await this.send('Page.enable');
    await this.send('Runtime.enable');
  }

  // Loads `url` and waits for its load event.
  async goto(url) {
    const loaded = this.event('Page.loadEventFired');
    const { errorText } = await this.send('Page.navigate', { url });
    if (errorText) throw new Error(`loading ${url}: ${errorText}`);
    await loaded;
  }

  // The value of a JavaScript expression in the page (awaited when it is a promise).
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate',
      { expression, returnByValue: true, awaitPromise: true });
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    return result.value;
  }

  // Polls `expression` until it is true.
  async waitFor(expression, what, seconds = 20) {
    const until = Date.now() + seconds * 1000;
    for (;;) {
      try {
        if (await this.evaluate(expression)) return;
      } catch (error) {
        // The page may be between two documents; try again.
      }
      if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
      await delay(100);
    }
  }

  // Moves the mouse to the centre of the element that `selector` names, as a person would.
  async hover(selector) {
    const box = await this.evaluate(`(() => {
      const node = document.querySelector(${JSON.stringify(selector)});
      if (!node) return null;
      const box = node.getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2, width: box.width, height: box.height };
    })()`);
    if (!box || box.width === 0 || box.height === 0) throw new Error(`${selector} is not shown`);
    await this.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: box.x, y: box.y });
    return box;
  }

  async click(selector) {
    const { x, y } = await this.hover(selector);
    for (const type of ['mousePressed', 'mouseReleased']) {
      await this.send('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 });
    }
  }

  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }
}

export function delay(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}
