#!/usr/bin/env python3
"""Times `quillpost-cli update` against `newsboat -x reload` on the same feeds, side by side.

200 RSS 2.0 feeds of 50 items each (descriptions of about 700 characters in CDATA) are served
from loopback HTTP/1.1 servers that keep connections alive, one port standing for one host, the
feeds spread over them. Every answer can be made late, as a distant server's is (--latency).
With --http2 every feed comes from one HTTPS server that speaks HTTP/2 (nginx in front of one
such late server, with a certificate made for the run that both programs are told to trust).
Each round runs the two programs alternately (A B A B ...): first a run into a fresh database /
cache (every item new), then a run with every feed unchanged (304 answers). newsboat runs with
`reload-threads 8`, quillpost with its defaults. Prints the medians, the ratios and quillpost's
peak memory. Installs nothing: newsboat is skipped with a note when it is missing; --http2 needs
nginx (apt-get install newsboat nginx-light).

    python3 bench/compare_newsboat.py [--rounds N] [--feeds N] [--latency MS] [--hosts N]
                                      [--http2] [--newsboat-threads N] [--transfers N]
                                      [--cli build/src/quillpost-cli]
"""
import argparse
import contextlib
import functools
import http.server
import os
import shutil
import socket
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ITEMS = 50


def feed_xml(feed):
    items = []
    for item in range(ITEMS):
        text = (f"<p>Item {item} of feed {feed} reports on the <b>latest</b> developments; see "
                f"<a href=\"http://example.org/{feed}/{item}\">the story</a>.</p>")
        while len(text) < 700:
            text += " <p>Officials said the plan would go ahead &amp; more details follow.</p>"
        items.append(f"<item><title>Feed {feed} story {item}</title>"
                     f"<link>http://example.org/{feed}/{item}</link>"
                     f"<guid>http://example.org/{feed}/{item}</guid>"
                     f"<pubDate>Mon, 03 Jan 2005 10:{item % 60:02d}:15 GMT</pubDate>"
                     f"<description><![CDATA[{text}]]></description></item>")
    return ("<?xml version=\"1.0\" encoding=\"utf-8\"?><rss version=\"2.0\"><channel>"
            f"<title>Benchmark feed {feed}</title><link>http://example.org/{feed}</link>"
            f"<description>Feed {feed}</description>" + "".join(items) + "</channel></rss>")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    latency = 0.0  # seconds before every answer, 304s included
    protocol_version = "HTTP/1.1"  # connections stay open between requests, as on the web

    def send_head(self):
        time.sleep(self.latency)
        return super().send_head()

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 128  # read when the server starts listening


def serve(folder, latency_ms):
    late = type("LateHandler", (QuietHandler,), {"latency": latency_ms / 1000})
    server = Server(("127.0.0.1", 0), functools.partial(late, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


NGINX_CONFIG = """daemon off;
worker_processes 1;
pid {work}/nginx.pid;
events {{ worker_connections 1024; }}
http {{
    access_log off;
    upstream feeds {{ server 127.0.0.1:{backend}; keepalive 64; }}
    server {{
        listen 127.0.0.1:{port} ssl http2;
        ssl_certificate {cert};
        ssl_certificate_key {key};
        location / {{
            proxy_pass http://feeds;
            proxy_http_version 1.1;
            proxy_set_header Connection "";
            proxy_buffers 16 16k;
            proxy_max_temp_file_size 0;
        }}
    }}
}}
"""


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def serve_http2(work, backend):
    """nginx speaking HTTP/2 over TLS on loopback in front of `backend`; returns the process,
    its port and the certificate to trust."""
    nginx = shutil.which("nginx") or "/usr/sbin/nginx"
    if not os.path.exists(nginx):
        sys.exit("--http2 needs nginx: apt-get install nginx-light")
    cert, key = os.path.join(work, "h2.pem"), os.path.join(work, "h2.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "1", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port = free_port()
    config = os.path.join(work, "nginx.conf")
    with open(config, "w") as out:
        out.write(NGINX_CONFIG.format(work=work, backend=backend.server_port, port=port,
                                      cert=cert, key=key))
    process = subprocess.Popen([nginx, "-p", work, "-e", os.path.join(work, "nginx.log"), "-c",
                                config], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, port, cert
        except OSError:
            time.sleep(0.05)
    sys.exit("nginx did not start: see " + os.path.join(work, "nginx.log"))


def count_rows(database, table):
    with contextlib.closing(sqlite3.connect(database)) as db:
        return db.execute(f"SELECT COUNT(*) FROM {table}").fetchone()[0]


def timed(command, env):
    start = time.perf_counter()
    subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def peak_kb(command, env):
    # Measured in a process of its own, whose only child is the command.
    probe = ("import resource, subprocess, sys; "
             "subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL, "
             "stderr=subprocess.DEVNULL); "
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    output = subprocess.run([sys.executable, "-c", probe] + command, env=env, check=True,
                            capture_output=True, text=True).stdout
    return int(output.strip())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--feeds", type=int, default=200)
    parser.add_argument("--latency", type=int, default=0, help="milliseconds before each answer")
    parser.add_argument("--hosts", type=int, default=25, help="servers the feeds are spread over")
    parser.add_argument("--http2", action="store_true",
                        help="every feed on one HTTPS server that speaks HTTP/2")
    parser.add_argument("--newsboat-threads", type=int, default=8)
    parser.add_argument("--transfers", type=int,
                        help="quillpost's Special\\MaxTransfers (default: its own default)")
    parser.add_argument("--cli", default=os.path.join(os.path.dirname(__file__), "..", "build",
                                                      "src", "quillpost-cli"))
    options = parser.parse_args()
    cli = os.path.abspath(options.cli)
    if not os.path.exists(cli):
        sys.exit(f"{cli} is missing: build the project first (bash scripts/test)")
    newsboat = shutil.which("newsboat")

    work = tempfile.mkdtemp(prefix="quillpost-vs-newsboat-")
    www = os.path.join(work, "www")
    os.makedirs(www)
    feeds = options.feeds
    for feed in range(feeds):
        with open(os.path.join(www, f"feed{feed}.xml"), "w") as out:
            out.write(feed_xml(feed))
    size = sum(os.path.getsize(os.path.join(www, name)) for name in os.listdir(www))
    env = dict(os.environ)
    nginx = None
    if options.http2:
        servers = [serve(www, options.latency)]
        nginx, port, cert = serve_http2(work, servers[0])
        # Each program is told to trust the run's certificate in its own way.
        env.update(SSL_CERT_FILE=cert, CURL_CA_BUNDLE=cert)
        urls = [f"https://127.0.0.1:{port}/feed{feed}.xml" for feed in range(feeds)]
        print(f"{feeds} feeds x {ITEMS} items, {size / 1e6:.1f} MB, served by one HTTP/2 "
              f"loopback server (nginx), every answer {options.latency} ms late")
    else:
        servers = [serve(www, options.latency) for _ in range(options.hosts)]
        urls = [f"http://127.0.0.1:{servers[feed % len(servers)].server_port}/feed{feed}.xml"
                for feed in range(feeds)]
        print(f"{feeds} feeds x {ITEMS} items, {size / 1e6:.1f} MB, served by {len(servers)} "
              f"loopback servers, every answer {options.latency} ms late")

    # quillpost: a private configuration; the first use imports a listing of the feeds.
    env.update(XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_RUNTIME_DIR=os.path.join(work, "run"))
    os.makedirs(env["XDG_RUNTIME_DIR"])
    install = os.path.join(work, "install")
    os.makedirs(os.path.join(install, "scripts"))
    with open(os.path.join(install, "scripts", "sourceList.txt"), "w") as listing:
        listing.write("<quillpost version=\"1.0\">" + "".join(
            f"<source label=\"Feed {n}\" url=\"{url}\" isActive=\"1\"/>"
            for n, url in enumerate(urls)) + "</quillpost>")
    subprocess.run([cli, "config", "set", "Settings\\InstallPath", install], env=env, check=True)
    subprocess.run([cli, "config", "set", "Settings\\UseCM", "0"], env=env, check=True)
    if options.transfers:
        subprocess.run([cli, "config", "set", "Special\\MaxTransfers", str(options.transfers)],
                       env=env, check=True)
    subprocess.run([cli, "--yes", "init"], env=env, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    database = os.path.join(install, "rss.qpdb")
    pristine = database + ".pristine"
    shutil.copy(database, pristine)

    # newsboat: its own url list, configuration and cache.
    nb_dir = os.path.join(work, "newsboat")
    os.makedirs(nb_dir)
    with open(os.path.join(nb_dir, "urls"), "w") as out:
        out.write("\n".join(urls) + "\n")
    with open(os.path.join(nb_dir, "config"), "w") as out:
        out.write(f"reload-threads {options.newsboat_threads}\n")
    nb_cache = os.path.join(nb_dir, "cache.db")
    nb_command = [newsboat or "newsboat", "-u", os.path.join(nb_dir, "urls"), "-C",
                  os.path.join(nb_dir, "config"), "-c", nb_cache, "-x", "reload"]
    if not newsboat:
        print("newsboat is not installed: only quillpost is measured (apt-get install newsboat "
              "to compare)")

    results = {("quillpost", "first"): [], ("quillpost", "unchanged"): [],
               ("newsboat", "first"): [], ("newsboat", "unchanged"): []}
    peak = 0
    for _ in range(options.rounds):
        for phase in ("first", "unchanged"):
            if phase == "first":
                for suffix in ("", "-wal", "-shm"):
                    if os.path.exists(database + suffix):
                        os.remove(database + suffix)
                shutil.copy(pristine, database)
                for suffix in ("", "-journal"):
                    if os.path.exists(nb_cache + suffix):
                        os.remove(nb_cache + suffix)
            results[("quillpost", phase)].append(timed([cli, "update"], env))
            if newsboat:
                results[("newsboat", phase)].append(timed(nb_command, env))
    # A program that failed fast would look fast: both must hold every item.
    stored = {"quillpost": count_rows(database, "FeedItems")}
    if newsboat:
        stored["newsboat"] = count_rows(nb_cache, "rss_item")
    for program, count in stored.items():
        if count != feeds * ITEMS:
            print(f"warning: {program} holds {count} of the {feeds * ITEMS} items")
    peak = peak_kb([cli, "update"], env)
    shutil.copy(pristine, database)
    for suffix in ("-wal", "-shm"):
        if os.path.exists(database + suffix):
            os.remove(database + suffix)
    peak = max(peak, peak_kb([cli, "update"], env))

    for phase in ("first", "unchanged"):
        ours = statistics.median(results[("quillpost", phase)])
        line = f"{phase:9} run: quillpost {ours:.3f} s"
        if newsboat:
            theirs = statistics.median(results[("newsboat", phase)])
            line += f", newsboat {theirs:.3f} s, ratio quillpost/newsboat {ours / theirs:.2f}"
        print(line + f"  (medians of {options.rounds})")
    print(f"quillpost peak memory: {peak / 1024:.1f} MB")
    for server in servers:
        server.shutdown()
    if nginx:
        nginx.terminate()
        nginx.wait()
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
