#!/usr/bin/env python3
"""Times `quillpost-cli update` against `newsboat -x reload` on the same feeds, side by side.

200 RSS 2.0 feeds of 50 items each (descriptions of about 700 characters in CDATA) are served
from loopback HTTP servers, one port standing for one host, the feeds spread over them. Every
answer can be made late, as a distant server's is (--latency). Each round runs the two programs
alternately (A B A B ...): first a run into a fresh database / cache (every item new), then a
run with every feed unchanged (304 answers). newsboat runs with `reload-threads 8`, quillpost
with its defaults. Prints the medians, the ratios and quillpost's peak memory. Installs
nothing: newsboat is skipped with a note when it is missing.

    python3 bench/compare_newsboat.py [--rounds N] [--feeds N] [--latency MS] [--hosts N]
                                      [--newsboat-threads N] [--transfers N]
                                      [--cli build/src/quillpost-cli]
"""
import argparse
import functools
import http.server
import os
import shutil
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
    servers = [serve(www, options.latency) for _ in range(options.hosts)]
    urls = [f"http://127.0.0.1:{servers[feed % len(servers)].server_port}/feed{feed}.xml"
            for feed in range(feeds)]
    print(f"{feeds} feeds x {ITEMS} items, {size / 1e6:.1f} MB, served by {len(servers)} "
          f"loopback servers, every answer {options.latency} ms late")

    # quillpost: a private configuration; the first use imports a listing of the feeds.
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
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
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
