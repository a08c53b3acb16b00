#!/usr/bin/env bash
# The Linux KEZO started by an ordinary user with a default profile: the control server
# cannot have the privileged port 809 and serves on 8809 instead, the start-up line names
# exactly the ports that answer, nothing is reported as an error, a request through the
# proxy is filtered, SIGTERM ends KEZO as from outside (its Launcher starts it again), and
# Ctrl+C ends KEZO and its Launcher.
#   kezo_as_ordinary_user.sh <program folder>
# Run as root, the test drops to the user nobody, in a network namespace of its own where
# the system allows one (its ports then collide with nothing, and ports below 1024 are
# privileged there whatever the machine's setting), beside a root program named KEZO.
set -euo pipefail
program_folder=$(cd "$1" && pwd)

if [ "$(id -u)" -eq 0 ] && [ -z "${KEZO_TEST_NAMESPACE:-}" ] && unshare --net true 2>/dev/null; then
  exec unshare --net env KEZO_TEST_NAMESPACE=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi

work=$(mktemp -d)
kezo_pid=
cleanup() {
  [ -n "$kezo_pid" ] && kill -KILL -- "-$kezo_pid" 2>/dev/null || true
  [ -n "$decoy_pid" ] && kill -KILL "$decoy_pid" 2>/dev/null || true
  pkill -KILL -f "^$work/program/" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- stdout"; cat "$work/stdout"; echo "--- stderr"; cat "$work/stderr"; exit 1; }

# KEZO writes into its own folder (www/param.js), so the user gets a copy of their own.
cp -a "$program_folder" "$work/program"
mkdir "$work/home"
as_user=()
decoy_pid=
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  # Another user's program named KEZO, elsewhere: Launcher must not take it for its own
  # (it could only report that it may not open it).
  mkdir "$work/other" && cp "$(command -v sleep)" "$work/other/KEZO"
  "$work/other/KEZO" 120 &
  decoy_pid=$!
fi
: > "$work/stdout"; : > "$work/stderr"
setsid "${as_user[@]}" env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 KEZO_PROFILE_DIR="$work/home/profile" \
  "$work/program/KEZO" > "$work/stdout" 2> "$work/stderr" &
kezo_pid=$!

for _ in $(seq 300); do grep -q '^KEZO: .* on port ' "$work/stdout" && break; sleep 0.1; done
line=$(grep '^KEZO: .* on port ' "$work/stdout" || true)
expected='KEZO: filtering proxy on port 9090, control server on port 8809 (809 is reserved for root) (Ctrl+C ends it)'
[ "$line" = "$expected" ] || fail "start-up line: '$line'"

answers() { timeout 5 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" 2>/dev/null; }
answers 9090 || fail "the proxy's port 9090 does not answer"
answers 8809 || fail "the control server's port 8809 does not answer"

reply=$(timeout 10 bash -c 'exec 3<>/dev/tcp/127.0.0.1/9090
  printf "GET http://www.pornhub.com/ HTTP/1.1\r\nHost: www.pornhub.com\r\nConnection: close\r\n\r\n" >&3
  cat <&3') || fail "no reply from the proxy"
case "$reply" in
  *"<title>&#x6B64;&#x7F51;&#x9875;&#x5DF2;&#x88AB;&#x62E6;&#x622A; - Veltra</title>"*) ;;
  *) fail "the request was not refused with the block page: ${reply:0:300}" ;;
esac

# SIGTERM is an end from outside: KEZO ends cleanly and its Launcher starts it again.
ends() { for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
kill -TERM "$kezo_pid"
ends "$kezo_pid" || fail "KEZO did not end on SIGTERM"
wait "$kezo_pid" || fail "KEZO ended with code $? on SIGTERM"
kezo_pid=
for _ in $(seq 150); do [ "$(grep -c '^KEZO: .* on port ' "$work/stdout")" -eq 2 ] && break; sleep 0.1; done
restarted=$(pgrep -f "^$work/program/KEZO" || true)
[ -n "$restarted" ] && [ "$(grep -c '^KEZO: .* on port ' "$work/stdout")" -eq 2 ] ||
  fail "Launcher did not start KEZO again after SIGTERM"

# Ctrl+C is the user's quit: it ends KEZO and its Launcher with it.
kill -INT "$restarted"
ends "$restarted" || fail "KEZO did not end on Ctrl+C"
sleep 0.5
pgrep -f "^$work/program/Launcher" >/dev/null && fail "Launcher still runs after the user's quit"
[ -s "$work/stderr" ] && fail "something was reported as an error"
echo "PASS: $line"
