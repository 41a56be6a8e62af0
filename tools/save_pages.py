#!/usr/bin/python3
"""Saves varnex-registrar's page for each of about a hundred keywords, so two
builds can be held against each other byte for byte:

  save_pages.py REGISTRAR OUT [--http2] [--resolver off|stand-in] [--delay SECONDS] [--frozen-clock]
  save_pages.py compare OUT-of-one-build OUT-of-the-other

Plays the stand-in world of tests/support/world_rules.py (registries in the
real bootstrap's shape, and, with --resolver stand-in, a resolver that agrees
with them and answers at once), and asks a new service (empty cache, so no
answer carries an age) one page per keyword, as the window sends it: spaces
taken out, the rest percent-encoded. Each page is written to OUT/NNN.page as
its status line, its Retry-After if any, a blank line and the body. Nothing
leaves 127.0.0.1. Uses Debian's python3 with python3-h2 and python3-dnslib.

Behind a resolver, a page depends on which DNS answers come within the page's
wait for DNS, so two runs of one build can differ. --frozen-clock stops the
service's clocks (Debian's faketime: libfaketime), so no wait of its ever ends:
every page then waits for all its DNS answers and all its lookups, and is the
same from run to run, but for one figure: how many suggestions were not
checked counts the lookups past the page's last shown name that had not yet
answered when it closed, which depends on the order answers arrive in.
`compare` holds two folders page by page with cmp's rule (byte for byte) and
says which pages differ, and which of those differ only in that figure.
"""
import argparse
import http.client
import json
import os
import pathlib
import re
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
SUPPORT = pathlib.Path(__file__).resolve().parent.parent / "tests" / "support"

# The keywords of docs/SUGGESTIONS.md first, then more of every kind: common
# words, phrases, brands, digits and hyphens, accented and other scripts, long
# phrases, typed endings, and names that cannot be registered.
KEYWORDS = [
    "shop", "pizza", "coffee", "garden", "travel", "music", "bakery", "fitness", "wedding", "cloud",
    "my shop", "best pizza", "coffee house", "green energy", "pet care", "dog grooming", "best lawyer",
    "yoga studio", "vortexa", "zentrova", "lumora", "shop24", "e-bike", "24 hour plumber", "café", "bücher",
    "crèmebrûlée", "señortaco", "best pizza place in new york city", "handmade leather bags for men",
    "affordable family dentist near me", "city bikes",
    "tea", "books", "florist", "dentist", "plumber", "photography", "bicycle", "recipes", "hotel", "jewelry",
    "candles", "tattoo", "painting", "skating", "hiking", "poetry", "robots", "games", "sunrise", "ocean",
    "mountain", "river", "forest", "winter", "summer", "rocket", "pixel", "castle", "bread", "cheese",
    "red apple", "blue sky", "fast car", "smart home", "cloud storage", "web design", "home repair",
    "car wash", "dog walker", "cat cafe", "ice cream", "fresh fish", "old town", "night market",
    "quantiva", "brightlyx", "nexora", "velutra", "kindlebay", "zyphor",
    "shop-24", "a1", "x", "123", "7eleven", "web3", "mp3 player",
    "münchen", "straße", "naïve", "façade", "jalapeño", "магазин", "東京ストア",
    "the best coffee shop in the whole wide world", "cheap flights to london and paris this summer",
    "Shop.NET", "example.org", "xn--bcher-kva.com", "MyShop.info",
    "my_shop", "-shop", "ab--cd", "shop.de", "<b>", "a" * 64,
]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start(arguments):
    """A stand-in started from tests/support; its first line is its port(s)."""
    process = subprocess.Popen(["/usr/bin/python3"] + arguments, cwd=SUPPORT, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    return process, process.stdout.readline().split()


def bootstrap(ports):
    services = [[["com", "net"], ports[0]], [["org"], ports[1]], [["biz"], ports[2]], [["info"], ports[3]],
                [["us"], ports[4]]]
    return json.dumps({"services": [[endings, ["http://127.0.0.1:%s/rdap/" % port]] for endings, port in services]})


def wait_for(port):
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    sys.exit("the registrar does not accept connections")


def page(port, keyword):
    target = "/whois.cgi?vhost_name=" + urllib.parse.quote(keyword.replace(" ", ""), safe="")
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    connection.request("GET", target)
    response = connection.getresponse()
    body = response.read()
    connection.close()
    retry = response.getheader("Retry-After")
    head = "%d %s\n" % (response.status, response.reason) + ("Retry-After: %s\n" % retry if retry else "")
    return head.encode() + b"\n" + body


UNCHECKED = re.compile(rb"<p>\d+ more suggestions were not checked: ")


def compare(first, second):
    same = only_count = 0
    for page in sorted(pathlib.Path(first).glob("*.page")):
        mine, theirs = page.read_bytes(), (pathlib.Path(second) / page.name).read_bytes()
        if mine == theirs:
            same += 1
        elif UNCHECKED.sub(b"", mine) == UNCHECKED.sub(b"", theirs):
            only_count += 1
            print("%s: only the count of unchecked suggestions differs" % page.name)
        else:
            print("%s: differs" % page.name)
    print("%d pages identical, %d differ only in that count" % (same, only_count))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "compare":
        return compare(sys.argv[2], sys.argv[3])
    parser = argparse.ArgumentParser()
    parser.add_argument("registrar")
    parser.add_argument("out")
    parser.add_argument("--http2", action="store_true")
    parser.add_argument("--resolver", choices=["off", "stand-in"], default="off")
    parser.add_argument("--delay", type=float, default=0.02, help="each registry answer waits this long")
    parser.add_argument("--frozen-clock", action="store_true")
    options = parser.parse_args()

    registry_arguments = ["stand_in_registry.py", "--world", "studies", "--delay", str(options.delay),
                          "--listeners", "5"] + (["--http2"] if options.http2 else [])
    registries, ports = start(registry_arguments)
    resolver = None
    stand_ins = [registries]
    if options.resolver == "stand-in":
        dns, dns_port = start(["stand_in_dns.py", "--world", "studies"])
        stand_ins.append(dns)
        resolver = "127.0.0.1:" + dns_port[0]
    out = pathlib.Path(options.out)
    out.mkdir(parents=True, exist_ok=True)
    environment = {key: value for key, value in os.environ.items() if "proxy" not in key.lower()}
    if options.frozen_clock:
        environment["LD_PRELOAD"] = FAKETIME
        environment["FAKETIME"] = "2026-12-08 00:00:00"
    try:
        with tempfile.TemporaryDirectory() as folder:
            bootstrap_file = pathlib.Path(folder) / "dns.json"
            bootstrap_file.write_text(bootstrap(ports))
            environment["CACHE_DIRECTORY"] = folder
            for number, keyword in enumerate(KEYWORDS, 1):
                port = free_port()
                arguments = [options.registrar, "--listen", "127.0.0.1:%d" % port, "--bootstrap", str(bootstrap_file),
                             "--resolver", resolver or "off", "--suggestions", "words"]
                if options.http2:
                    arguments.append("--cleartext-http2")
                service = subprocess.Popen(arguments, env=environment, stderr=subprocess.DEVNULL)
                try:
                    wait_for(port)
                    (out / ("%03d.page" % number)).write_bytes(page(port, keyword))
                finally:
                    service.terminate()
                    service.wait()
    finally:
        for process in stand_ins:
            process.terminate()
            process.wait()
    print("%d pages in %s" % (len(KEYWORDS), out))


if __name__ == "__main__":
    main()
