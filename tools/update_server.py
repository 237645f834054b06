#!/usr/bin/env python3
"""Update site for tests: serves a directory over HTTP (and HTTPS) on 127.0.0.1 with injectable faults.

Start:
  update_server.py --root DIR [--port N] [--https-port N --cert CRT --key KEY]
                   [--port-file FILE] [--log-file FILE] [--max-seconds S]

Ports are printed on stdout ("HTTP_PORT=1234", then "HTTPS_PORT=1235" when HTTPS is on) and, with
--port-file, written atomically as JSON {"http": 1234, "https": 1235}. Port 0 (the default) picks a free port.

Control API, shared by both ports, under /__control/. Every endpoint accepts GET with a query string or
POST with a JSON object or a form body; body values win over query values. Answers are JSON.
  /__control/ping                    -> {"ok": true, "http": port, "https": port or null}
  /__control/rule  path=P mode=M ... -> sets the rule for request target P, matched exactly (query string
                                        included, no decoding); "*" covers paths without a rule of their own
      mode=status      status=CODE [body=TEXT]        answer CODE with a small body
      mode=empty                                      200 with Content-Length: 0
      mode=truncate    [bytes=N] [abort=1]            announce the full length, send N bytes (default half),
                                                      then close (abort=1: reset instead of a clean close)
      mode=stall       seconds=S                      wait S seconds before answering, then serve normally
      mode=stall_body  seconds=S [bytes=N] [then=rest|close]
                                                      headers and N bytes (default half), wait S seconds,
                                                      then the rest (default) or close
      mode=no_length                                  200 without Content-Length, ended by closing
      mode=endless     [length=N]                     200 and zero bytes (announcing Content-Length N, or none)
                                                      until the client leaves; closed after 256 MiB, so that a
                                                      client without a bound still ends
      mode=trickle     seconds=S [bytes=N]            headers, then N bytes (default 1) every S seconds
      mode=normal                                     removes the rule for P
    Common: times=N applies the rule to the next N matching requests only, then P is served normally
    (times=2 with mode=status status=500 fails the first two requests). body=TEXT replaces the file's
    content for any mode, so a rule can serve a path that has no file.
  /__control/rules                   -> {"rules": {path: rule}}
  /__control/log                     -> {"requests": [{seq, time, method, path, user_agent, scheme, status,
                                         rule}], "counts": {path: n}}   (control requests are not recorded;
                                         status is null while the answer is under way, -1 if the client left)
  /__control/clear_log               -> forgets the request log and counts
  /__control/reset                   -> removes all rules and forgets the log
"""

import argparse
import json
import os
import posixpath
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CONTROL_PREFIX = "/__control/"
CHUNK = 64 * 1024
ENDLESS_BYTES = 256 * 1024 * 1024
MODES = ("status", "empty", "truncate", "stall", "stall_body", "no_length", "endless", "trickle", "normal")


class RuleError(ValueError):
    pass


class SiteState:
    """Rules and request log shared by the HTTP and HTTPS listeners."""

    def __init__(self, root):
        self.root = os.path.realpath(root)
        self.lock = threading.Lock()
        self.rules = {}
        self.requests = []
        self.counts = {}
        self.seq = 0
        self.ports = {"http": None, "https": None}
        # Set on shutdown so that stalled handlers wake up instead of holding the process.
        self.stopping = threading.Event()

    def set_rule(self, params):
        path = params.get("path")
        if not isinstance(path, str) or not path:
            raise RuleError("path is required")
        mode = params.get("mode")
        if mode not in MODES:
            raise RuleError("mode must be one of " + ", ".join(MODES))
        if mode == "normal":
            with self.lock:
                self.rules.pop(path, None)
            return None

        rule = {"mode": mode}
        if mode == "status":
            rule["status"] = _int_param(params, "status", 500, 100, 999)
        if mode in ("stall", "stall_body", "trickle"):
            rule["seconds"] = _float_param(params, "seconds", 0.0, 3600.0)
        if mode in ("truncate", "stall_body"):
            rule["bytes"] = _int_param(params, "bytes", None, 0, 1 << 62)
        if mode == "trickle":
            rule["bytes"] = _int_param(params, "bytes", 1, 1, 1 << 20)
        if mode == "endless":
            rule["length"] = _int_param(params, "length", None, 0, 1 << 62)
        if mode == "truncate":
            rule["abort"] = _bool_param(params, "abort")
        if mode == "stall_body":
            then = params.get("then", "rest")
            if then not in ("rest", "close"):
                raise RuleError("then must be rest or close")
            rule["then"] = then
        rule["times"] = _int_param(params, "times", None, 1, 1 << 62)
        if "body" in params:
            body = params["body"]
            if not isinstance(body, str):
                raise RuleError("body must be text")
            rule["body"] = body
        with self.lock:
            self.rules[path] = rule
        return rule

    def take_rule(self, path):
        """The rule for this request, counting one use of a limited rule."""
        with self.lock:
            key = path if path in self.rules else ("*" if "*" in self.rules else None)
            if key is None:
                return None
            rule = self.rules[key]
            if rule["times"] is not None:
                rule["times"] -= 1
                if rule["times"] <= 0:
                    del self.rules[key]
            return dict(rule)

    def record(self, method, path, user_agent, scheme):
        with self.lock:
            self.seq += 1
            entry = {"seq": self.seq, "time": time.time(), "method": method, "path": path,
                     "user_agent": user_agent, "scheme": scheme, "status": None, "rule": None}
            self.requests.append(entry)
            self.counts[path] = self.counts.get(path, 0) + 1
            return entry

    def set_outcome(self, entry, status, rule):
        with self.lock:
            entry["status"] = status
            entry["rule"] = rule

    def snapshot(self):
        with self.lock:
            return {"requests": [dict(e) for e in self.requests], "counts": dict(self.counts)}

    def clear_log(self):
        with self.lock:
            self.requests = []
            self.counts = {}

    def reset(self):
        with self.lock:
            self.rules = {}
            self.requests = []
            self.counts = {}


def _int_param(params, name, default, low, high):
    """An integer parameter; a default of None makes it optional (None when absent)."""
    value = params.get(name)
    if value is None or value == "":
        return default
    if isinstance(value, bool) or (isinstance(value, float) and not value.is_integer()):
        raise RuleError(name + " must be an integer")
    try:
        number = int(value)
    except (TypeError, ValueError):
        raise RuleError(name + " must be an integer") from None
    if not low <= number <= high:
        raise RuleError("%s must be between %d and %d" % (name, low, high))
    return number


def _float_param(params, name, low, high):
    """A required number."""
    value = params.get(name)
    if value is None or value == "" or isinstance(value, bool):
        raise RuleError(name + " is required")
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise RuleError(name + " must be a number") from None
    if not low <= number <= high:
        raise RuleError("%s must be between %g and %g" % (name, low, high))
    return number


def _bool_param(params, name):
    value = params.get(name, False)
    if isinstance(value, bool):
        return value
    return str(value).lower() in ("1", "true", "yes", "on")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes; without this, Nagle's algorithm and the client's delayed
    # acknowledgement hold every answer on a kept-alive connection back by tens of milliseconds.
    disable_nagle_algorithm = True
    server_version = "VandrelTestSite/1.0"
    # Idle keep-alive connections must not keep handler threads alive for long.
    timeout = 30

    def version_string(self):
        return self.server_version

    def log_message(self, fmt, *args):
        log = self.server.log_file
        if log is not None:
            line = "%s %s %s\n" % (time.strftime("%H:%M:%S"), self.server.scheme, fmt % args)
            with self.server.log_lock:
                log.write(line)
                log.flush()

    def do_GET(self):
        self._dispatch(send_body=True)

    def do_HEAD(self):
        self._dispatch(send_body=False)

    def do_POST(self):
        if self.path.startswith(CONTROL_PREFIX):
            self._control()
            return
        state = self.server.state
        entry = state.record(self.command, self.path, self.headers.get("User-Agent"), self.server.scheme)
        self.close_connection = True  # the request body, if any, is not read
        state.set_outcome(entry, self._simple(405, "method not allowed\n", True, {"Allow": "GET, HEAD"}), None)

    def _dispatch(self, send_body):
        if self.path.startswith(CONTROL_PREFIX):
            self._control()
            return
        state = self.server.state
        entry = state.record(self.command, self.path, self.headers.get("User-Agent"), self.server.scheme)
        rule = state.take_rule(self.path)
        try:
            status = self._serve(rule, send_body)
        except OSError:  # the client hung up (includes TLS errors and time-outs)
            self.close_connection = True
            status = -1
        state.set_outcome(entry, status, rule["mode"] if rule else None)

    # --- serving -------------------------------------------------------------------------------

    def _serve(self, rule, send_body):
        """Answers one request; returns the status sent."""
        mode = rule["mode"] if rule else None
        if mode == "stall":
            self._wait(rule["seconds"])
        if mode == "status":
            status = rule["status"]
            body = rule.get("body")
            if body is None:
                body = "%d %s\n" % (status, self.responses.get(status, ("",))[0])
            return self._simple(status, body, send_body)
        if mode == "endless":
            return self._endless(rule["length"], send_body)

        if rule is not None and "body" in rule:
            data = rule["body"].encode("utf-8")
        else:
            status, data = self._read_file()
            if data is None:
                return self._simple(status, "%d %s\n" % (status, self.responses[status][0]), send_body)

        if mode == "empty":
            data = b""
        total = len(data)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode == "no_length":
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(total))
        self.end_headers()
        if not send_body:
            return 200

        if mode == "trickle":
            for start in range(0, total, rule["bytes"]):
                if start:
                    self._wait(rule["seconds"])
                self.wfile.write(data[start:start + rule["bytes"]])
                self.wfile.flush()
        elif mode in ("truncate", "stall_body"):
            cut = rule["bytes"] if rule["bytes"] is not None else total // 2
            cut = min(cut, total)
            self._write(data[:cut])
            self.wfile.flush()
            if mode == "truncate":
                self._drop(rule["abort"])
                return 200
            self._wait(rule["seconds"])
            if rule["then"] == "close":
                self._drop(False)
                return 200
            self._write(data[cut:])
        else:
            self._write(data)
        self.wfile.flush()
        return 200

    def _endless(self, length, send_body):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if length is None:
            self.send_header("Connection", "close")
        else:
            self.send_header("Content-Length", str(length))
        self.close_connection = True
        self.end_headers()
        block = bytes(CHUNK)
        for _ in range(ENDLESS_BYTES // CHUNK if send_body else 0):
            if self.server.state.stopping.is_set():
                break
            self.wfile.write(block)  # ends with OSError once the client hangs up
        return 200

    def _read_file(self):
        """(200, bytes) for a servable file, else (status, None)."""
        raw = urllib.parse.urlsplit(self.path).path
        rel = urllib.parse.unquote(raw)
        if "\0" in rel or not rel.startswith("/"):
            return 400, None
        parts = rel.split("/")
        if ".." in parts:
            return 403, None
        root = self.server.state.root
        full = os.path.realpath(os.path.join(root, posixpath.normpath(rel).lstrip("/")))
        if full != root and not full.startswith(root + os.sep):
            # A symbolic link inside the tree that points outside it.
            return 403, None
        if not os.path.isfile(full):
            return 404, None
        try:
            with open(full, "rb") as f:
                return 200, f.read()
        except OSError:
            return 403, None

    def _simple(self, status, body, send_body, extra=None):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if send_body:
            self._write(data)
        return status

    def _write(self, data):
        for start in range(0, len(data), CHUNK):
            self.wfile.write(data[start:start + CHUNK])

    def _wait(self, seconds):
        self.wfile.flush()
        self.server.state.stopping.wait(seconds)

    def _drop(self, abort):
        """Ends the connection in the middle of a response."""
        self.close_connection = True
        if abort:
            # Linger 0: close sends a reset instead of a clean end of stream.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.server.abort_connection(self.connection)

    # --- control -------------------------------------------------------------------------------

    def _control(self):
        split = urllib.parse.urlsplit(self.path)
        params = dict(urllib.parse.parse_qsl(split.query, keep_blank_values=True))
        if self.command == "POST":
            try:
                length = int(self.headers.get("Content-Length") or 0)
            except ValueError:
                self.close_connection = True
                return self._json(400, {"ok": False, "error": "bad Content-Length"})
            raw = self.rfile.read(length) if length > 0 else b""
            text = raw.decode("utf-8", "replace").strip()
            if text:
                # JSON when it looks like JSON, whatever the Content-Type says; otherwise a form.
                if text.startswith("{"):
                    try:
                        body = json.loads(text)
                    except ValueError:
                        return self._json(400, {"ok": False, "error": "body is not valid JSON"})
                else:
                    body = dict(urllib.parse.parse_qsl(text, keep_blank_values=True))
                params.update(body)

        state = self.server.state
        action = split.path[len(CONTROL_PREFIX):].strip("/")
        if action == "ping":
            return self._json(200, {"ok": True, "http": state.ports["http"], "https": state.ports["https"]})
        if action == "rule":
            try:
                rule = state.set_rule(params)
            except RuleError as e:
                return self._json(400, {"ok": False, "error": str(e)})
            return self._json(200, {"ok": True, "rule": rule})
        if action == "rules":
            with state.lock:
                rules = {k: dict(v) for k, v in state.rules.items()}
            return self._json(200, {"ok": True, "rules": rules})
        if action == "log":
            result = state.snapshot()
            result["ok"] = True
            return self._json(200, result)
        if action == "clear_log":
            state.clear_log()
            return self._json(200, {"ok": True})
        if action == "reset":
            state.reset()
            return self._json(200, {"ok": True})
        return self._json(404, {"ok": False, "error": "unknown control action: " + action})

    def _json(self, status, obj):
        data = json.dumps(obj).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)


class SiteServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, state, scheme, log_file, log_lock, tls_context=None):
        self.state = state
        self.scheme = scheme
        self.log_file = log_file
        self.log_lock = log_lock
        self.tls_context = tls_context
        super().__init__(address, Handler)

    def finish_request(self, request, client_address):
        if self.tls_context is None:
            super().finish_request(request, client_address)
            return
        # The handshake runs here, in the connection's own thread, so a client that never completes
        # it cannot block the accept loop.
        request.settimeout(Handler.timeout)
        try:
            tls = self.tls_context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as e:
            if self.log_file is not None:
                with self.log_lock:
                    self.log_file.write("%s https handshake from %s failed: %s\n"
                                        % (time.strftime("%H:%M:%S"), client_address[0], e))
                    self.log_file.flush()
            return
        try:
            super().finish_request(tls, client_address)
        finally:
            try:
                if tls.fileno() != -1:
                    # Send close_notify so a close-delimited body ends cleanly, but do not wait for the
                    # client's: WinHTTP sends none and would be kept waiting for the end of the stream.
                    tls.setblocking(False)
                    tls.unwrap()
            except (ssl.SSLError, OSError, ValueError):
                pass
            try:
                tls.close()
            except OSError:
                pass

    def abort_connection(self, conn):
        try:
            conn.close()
        except OSError:
            pass

    def handle_error(self, request, client_address):
        # Clients that hang up early are part of the tests; no tracebacks on stderr.
        if self.log_file is not None:
            with self.log_lock:
                self.log_file.write("%s %s error with %s: %s\n" % (
                    time.strftime("%H:%M:%S"), self.scheme, client_address[0], sys.exc_info()[1]))
                self.log_file.flush()


def write_port_file(path, ports):
    tmp = path + ".tmp%d" % os.getpid()
    with open(tmp, "w", encoding="utf-8") as f:
        json.dump(ports, f)
        f.write("\n")
    os.replace(tmp, path)


def parse_args(argv):
    p = argparse.ArgumentParser(description="Test update site with fault injection.")
    p.add_argument("--root", required=True, help="directory to serve")
    p.add_argument("--host", default="127.0.0.1", help="address to bind (default 127.0.0.1)")
    p.add_argument("--port", type=int, default=0, help="HTTP port (default: a free one)")
    p.add_argument("--https-port", type=int, default=0, help="HTTPS port (default: a free one)")
    p.add_argument("--cert", help="PEM certificate (chain) for HTTPS; HTTPS is off without it")
    p.add_argument("--key", help="PEM private key for HTTPS")
    p.add_argument("--port-file", help="write {\"http\": N, \"https\": M} here once listening")
    p.add_argument("--log-file", help="append the access log here (default: no log)")
    p.add_argument("--max-seconds", type=float, default=0, help="exit by itself after this long (0: never)")
    args = p.parse_args(argv)
    if bool(args.cert) != bool(args.key):
        p.error("--cert and --key go together")
    if not os.path.isdir(args.root):
        p.error("--root is not a directory: " + args.root)
    return args


def main(argv=None):
    args = parse_args(argv)
    state = SiteState(args.root)
    log_file = open(args.log_file, "a", encoding="utf-8") if args.log_file else None
    log_lock = threading.Lock()

    servers = [SiteServer((args.host, args.port), state, "http", log_file, log_lock)]
    state.ports["http"] = servers[0].server_address[1]
    if args.cert:
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(args.cert, args.key)
        servers.append(SiteServer((args.host, args.https_port), state, "https", log_file, log_lock, ctx))
        state.ports["https"] = servers[1].server_address[1]

    def stop(signum, frame):
        state.stopping.set()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    threads = [threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
               for s in servers]
    for t in threads:
        t.start()

    ports = {"http": state.ports["http"], "https": state.ports["https"]}
    print("HTTP_PORT=%d" % ports["http"])
    if ports["https"] is not None:
        print("HTTPS_PORT=%d" % ports["https"])
    sys.stdout.flush()
    if args.port_file:
        write_port_file(args.port_file, ports)

    deadline = time.monotonic() + args.max_seconds if args.max_seconds > 0 else None
    while not state.stopping.is_set():
        remaining = 1.0 if deadline is None else min(1.0, deadline - time.monotonic())
        if remaining <= 0:
            break
        state.stopping.wait(remaining)
    state.stopping.set()

    for s in servers:
        s.shutdown()
        s.server_close()
    if args.port_file:
        try:
            os.remove(args.port_file)
        except OSError:
            pass
    if log_file is not None:
        log_file.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
