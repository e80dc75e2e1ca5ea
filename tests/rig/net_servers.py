#!/usr/bin/python3
"""Loopback servers for the web export's tests, all on 127.0.0.x and nowhere else.

- HTTPS (Python's ssl) on 127.0.0.1, for the name localhost: "trusted" with a certificate of the
  test CA (trusted in the Wine prefix only), "untrusted" with one of a CA nobody trusts, and
  "hung", which reads the request and never answers. Each serves <dir>/www and appends
  "<server>\t<path>\t<user agent>" to <dir>/requests.log for every request. A PUT to
  /put/<status>/<name> answers <status>, and with a 2xx status stores the body as <dir>/put/<name>.
- FTP (pyftpdlib) on 127.0.0.x port 21, passive mode, with the accounts below under <dir>/ftp.
- Slow FTP servers with the same accounts, each on a 127.0.0.x of its own: "slowgreeting" greets
  GREETING_SECONDS late, "slow5" and "slow7" send every reply (the greeting included) 5 or 7 s
  late. They log "<server>\t<command>" to <dir>/ftp-commands.log for every connection
  ("CONNECT") and command received (a password as "PASS ***").
- HTTPS "slowtls" on 127.0.0.1, which begins the TLS handshake HANDSHAKE_SECONDS after it
  accepts a connection (logged "slowtls\t(accepted)").

When everything listens, <dir>/ready.env holds the addresses as shell assignments.
Runs until it is terminated.
"""
import argparse
import functools
import http.server
import os
import random
import socket
import ssl
import sys
import threading
import time
import urllib.parse

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer, ThreadedFTPServer

# user, password, folder under <dir>/ftp, permissions. Anonymous logins see "readonly".
ACCOUNTS = [
    ("vorbel", "Depot-2014", "prod", "elradfmwMT"),
    ("vorbeltest", "Essai-2014", "test", "elradfmwMT"),
    ("lecteur", "Lecture-2014", "readonly", "elr"),
]
HANG_SECONDS = 120
GREETING_SECONDS = 5
HANDSHAKE_SECONDS = 5
log_lock = threading.Lock()


def log_line(path, line):
    with log_lock, open(path, "a", encoding="utf-8") as log:
        log.write(line + "\n")


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        with log_lock, open(self.server.request_log, "a", encoding="utf-8") as log:
            log.write(f"{self.server.name}\t{self.path}\t{self.headers.get('User-Agent', '')}\n")
        if self.server.name == "hung":
            time.sleep(HANG_SECONDS)
            return
        super().do_GET()

    def do_PUT(self):
        with log_lock, open(self.server.request_log, "a", encoding="utf-8") as log:
            log.write(f"{self.server.name}\t{self.path}\t{self.headers.get('User-Agent', '')}\n")
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if len(body) != length:
            return  # cut off: a server keeps no part of a request
        parts = self.path.split("?", 1)[0].split("/", 3)  # "", "put", status, name
        if len(parts) != 4 or parts[1] != "put" or not parts[2].isdigit():
            self.send_error(404)
            return
        status = int(parts[2])
        if 200 <= status < 300:
            folder = os.path.join(os.path.dirname(self.server.request_log), "put")
            os.makedirs(folder, exist_ok=True)
            name = os.path.basename(urllib.parse.unquote(parts[3]))
            with open(os.path.join(folder, name), "wb") as out:
                out.write(body)
        self.send_response(status)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


class TlsServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, name, context, directory, request_log, handshake_delay=0):
        self.name, self.context, self.request_log = name, context, request_log
        self.handshake_delay = handshake_delay
        super().__init__(("127.0.0.1", 0), functools.partial(Handler, directory=directory))

    def finish_request(self, request, client_address):
        # The handshake runs in the request's own thread: a client that refuses the
        # certificate, or stalls, holds up nobody else.
        if self.handshake_delay:
            log_line(self.request_log, f"{self.name}\t(accepted)")
            time.sleep(self.handshake_delay)
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        pass


def tls_context(pki, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(os.path.join(pki, f"{name}-chain.pem"), os.path.join(pki, f"{name}.key"))
    return context


def free_loopback_for_ftp(avoid):
    """A 127.0.0.x whose port 21 is free, tried from a random start so parallel runs differ."""
    start = random.randrange(2, 250)
    for i in range(250):
        host = f"127.0.0.{2 + (start + i) % 250}"
        if host in avoid:
            continue
        probe = socket.socket()
        try:
            probe.bind((host, 21))
            return host, probe
        except OSError:
            probe.close()
    sys.exit("no 127.0.0.x with a free port 21")


def slow_ftp_handler(base, name, greeting_delay, reply_delay, command_log):
    """A handler of `base` that greets greeting_delay + reply_delay seconds late, sends every
    other reply reply_delay seconds late, and logs what it receives."""

    class SlowHandler(base):
        def handle(self):
            log_line(command_log, f"{name}\tCONNECT")
            time.sleep(greeting_delay)
            super().handle()

        def respond(self, resp, *args, **kwargs):
            time.sleep(reply_delay)
            super().respond(resp, *args, **kwargs)

        def pre_process_command(self, line, cmd, arg):
            log_line(command_log, f"{name}\t{'PASS ***' if cmd == 'PASS' else line}")
            super().pre_process_command(line, cmd, arg)

    return SlowHandler


def closed_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--pki", required=True)
    args = parser.parse_args()

    www = os.path.join(args.dir, "www")
    os.makedirs(os.path.join(www, "info"), exist_ok=True)
    request_log = os.path.join(args.dir, "requests.log")
    open(request_log, "w").close()

    servers = {}
    for name, cert, delay in (("trusted", "localhost", 0), ("untrusted", "untrusted-localhost", 0),
                              ("hung", "localhost", 0), ("slowtls", "localhost", HANDSHAKE_SECONDS)):
        servers[name] = TlsServer(name, tls_context(args.pki, cert), www, request_log, delay)
        threading.Thread(target=servers[name].serve_forever, daemon=True).start()

    authorizer = DummyAuthorizer()
    for user, password, folder, perm in ACCOUNTS:
        home = os.path.join(args.dir, "ftp", folder)
        os.makedirs(home, exist_ok=True)
        authorizer.add_user(user, password, home, perm=perm)
    authorizer.add_anonymous(os.path.join(args.dir, "ftp", "readonly"))
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0  # a wrong password answers at once
    handler.permit_foreign_addresses = False

    ftp_host, probe = free_loopback_for_ftp(set())
    probe.close()
    ftp = FTPServer((ftp_host, 21), handler)
    # Nothing listens on port 21 of this one: the unreachable upload server.
    down_host, probe = free_loopback_for_ftp({ftp_host})
    probe.close()
    command_log = os.path.join(args.dir, "ftp-commands.log")
    open(command_log, "w").close()
    slow_hosts = {}
    for name, greeting_delay, reply_delay in (("slowgreeting", GREETING_SECONDS, 0), ("slow5", 0, 5), ("slow7", 0, 7)):
        host, sock = free_loopback_for_ftp({ftp_host, down_host, *slow_hosts.values()})
        # Each connection in a thread of its own, so that a delay holds up that one only.
        slow = ThreadedFTPServer(sock, slow_ftp_handler(handler, name, greeting_delay, reply_delay, command_log),
                                 ioloop=IOLoop())
        threading.Thread(target=slow.serve_forever, daemon=True).start()
        slow_hosts[name] = host

    ready = {
        "VORBEL_TEST_HTTPS_PORT": servers["trusted"].server_address[1],
        "VORBEL_TEST_UNTRUSTED_PORT": servers["untrusted"].server_address[1],
        "VORBEL_TEST_HUNG_PORT": servers["hung"].server_address[1],
        "VORBEL_TEST_CLOSED_PORT": closed_port(),
        "VORBEL_TEST_SLOW_TLS_PORT": servers["slowtls"].server_address[1],
        "VORBEL_TEST_FTP_HOST": ftp_host,
        "VORBEL_TEST_FTP_DOWN_HOST": down_host,
        "VORBEL_TEST_FTP_SLOW_GREETING_HOST": slow_hosts["slowgreeting"],
        "VORBEL_TEST_FTP_SLOW5_HOST": slow_hosts["slow5"],
        "VORBEL_TEST_FTP_SLOW7_HOST": slow_hosts["slow7"],
    }
    temp = os.path.join(args.dir, "ready.env.tmp")
    with open(temp, "w") as out:
        out.writelines(f"{k}={v}\n" for k, v in ready.items())
    os.rename(temp, os.path.join(args.dir, "ready.env"))
    ftp.serve_forever()


if __name__ == "__main__":
    main()
