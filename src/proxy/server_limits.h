#pragma once

#include <cstddef>

// Bounds that keep the servers of this machine's browser working while a client or a web
// server misbehaves. Each lies far beyond what a real browser or web server meets, so
// that ordinary browsing never reaches one; they exist for broken and hostile peers.
struct ServerLimits {
  // Time from accepting a connection until its request head is complete. A browser writes
  // its head at once (it has it whole before it connects); a client still sending after a
  // minute is not a browser. It is closed without a reply.
  int head_timeout_ms = 60 * 1000;

  // Connections open at once. A browser keeps a few hundred at most, all of its tabs
  // together. A connection accepted beyond the cap is closed at once, without a byte read
  // or written: the accepting thread never waits, and the connections already open keep
  // their threads and memory. The browser sees a refused connection and may retry.
  size_t max_connections = 4096;

  // Time a filtered response may go without a byte from the web server before the proxy
  // ends it as if the server had closed it: the browser gets what has arrived and the
  // connection is closed. Long-polling pages wait a minute or two between bytes; five
  // minutes of silence is a server that has stalled. Tunnels (CONNECT and white sites)
  // have no time limit.
  int response_idle_ms = 5 * 60 * 1000;

  // Bytes that the pages being filtered may hold together: what is collected and what it
  // inflates to (the rewrite works in that memory; only a small head comes on top).
  // Real pages are well below a megabyte each; this lets a few dozen large ones be
  // filtered at once. A page that finds no room is not sent: its connection is closed,
  // and the browser may try again.
  size_t page_memory_bytes = 64 * 1024 * 1024;
};
