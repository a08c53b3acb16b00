// The Linux KEZO in a program folder and a profile of its own, so that a test changes
// nothing of the build's program folder, the user's settings, desktop proxy setting or
// autostart entry, and never meets another running KEZO.
import { spawn } from 'node:child_process';
import { copyFileSync, linkSync, mkdirSync, mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { delay } from './chromium.mjs';

function copyFolder(from, to) {
  mkdirSync(to);
  for (const entry of readdirSync(from, { withFileTypes: true })) {
    if (entry.isDirectory()) copyFolder(join(from, entry.name), join(to, entry.name));
    else copyFileSync(join(from, entry.name), join(to, entry.name));
  }
}

export class KezoProcess {
  // Lays out a program folder under `workRoot` (the program beside Data, www and Images
  // of `programFolder`), writes `settings` ([Setup] values) into a fresh profile and starts
  // the program; resolves once it has told its ports.
  static async start({ kezo, programFolder, workRoot, settings }) {
    mkdirSync(workRoot, { recursive: true });
    const root = mkdtempSync(join(workRoot, 'kezo-'));
    const folder = join(root, 'program');
    mkdirSync(folder);
    // The program makes its own folder the working directory, so it runs from a copy.
    try {
      linkSync(kezo, join(folder, 'KEZO'));
    } catch {
      copyFileSync(kezo, join(folder, 'KEZO'));
    }
    for (const name of ['Data', 'www', 'Images']) copyFolder(join(programFolder, name), join(folder, name));
    const home = join(root, 'home');
    const runtime = join(root, 'runtime');
    const profile = join(root, 'profile');
    for (const dir of [home, runtime, profile]) mkdirSync(dir, { mode: 0o700 });
    const values = { ProxyPort: 0, HttpPort: 0, FirstRun: 1, ...settings };
    writeFileSync(join(profile, 'Veltra.ini'),
      '[Setup]\n' + Object.entries(values).map(([name, value]) => `${name}=dword:${value}\n`).join(''));

    const env = {
      PATH: process.env.PATH, LANG: 'C.UTF-8', HOME: home, XDG_CONFIG_HOME: join(home, '.config'),
      XDG_RUNTIME_DIR: runtime, KEZO_PROFILE_DIR: profile,
      // Whatever gsettings is asked stays in its memory and never reaches a desktop.
      GSETTINGS_BACKEND: 'memory',
    };
    const child = spawn(join(folder, 'KEZO'), [], { cwd: folder, env, detached: true, stdio: ['ignore', 'pipe', 'pipe'] });
    const process_ = new KezoProcess(child, root, folder);
    await process_.ports();
    return process_;
  }

  constructor(child, root, folder) {
    this.child = child;
    this.root = root;
    this.folder = folder;
    this.output = '';
    child.stdout.on('data', (data) => { this.output += data; });
    child.stderr.on('data', (data) => { this.output += data; });
    this.exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
    // No KEZO outlives the test, even one that ends on an uncaught error. The program runs
    // as the leader of a process group of its own, which this ends whole.
    this.onExit = () => {
      if (child.exitCode !== null || child.signalCode !== null) return;
      try { process.kill(-child.pid, 'SIGKILL'); } catch {}
    };
    process.on('exit', this.onExit);
  }

  async ports(seconds = 30) {
    const until = Date.now() + seconds * 1000;
    let ended = false;
    this.exited.then(() => { ended = true; });
    for (;;) {
      const found = /filtering proxy on port (\d+), control server on port (\d+)/.exec(this.output);
      if (found) {
        this.proxyPort = Number(found[1]);
        this.controlPort = Number(found[2]);
        return;
      }
      if (ended) throw new Error(`KEZO ended before it served:\n${this.output}`);
      if (Date.now() > until) throw new Error(`KEZO did not tell its ports within ${seconds} s:\n${this.output}`);
      await delay(50);
    }
  }

  // Quits as Ctrl+C would; forces the end (of anything it started too) when that takes long.
  async stop({ keep = false } = {}) {
    if (this.child.exitCode === null && this.child.signalCode === null) {
      this.child.kill('SIGTERM');
      const ended = await Promise.race([this.exited.then(() => true), delay(15000).then(() => false)]);
      if (!ended) {
        this.output += '\n(KEZO did not end within 15 s of SIGTERM and was killed)';
        this.onExit();
      }
    }
    process.off('exit', this.onExit);
    await this.exited;
    if (!keep) rmSync(this.root, { recursive: true, force: true });
    return this.exited;
  }
}
