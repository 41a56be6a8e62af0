#!/usr/bin/env python3
"""A DNS resolver for the registrar's tests and benchmarks, on 127.0.0.1.

  stand_in_dns.py [--delay SECONDS] [--world free|studies] [--drop-every N]

Prints its UDP port on the first line. Answers NS questions by the same rule
as stand_in_registry.py --world: a name with "free" in it does not exist
(NXDOMAIN), any other has two name servers; with studies, as world_rules.py
says. Each answer waits --delay seconds. --drop-every N leaves every Nth
question it receives unanswered, as a busy home router drops part of a burst;
1 answers nothing at all. A TXT question for questions.stats.invalid is
answered at once with "count=N", the questions asked so far, dropped ones
too (itself not counted), for the benchmarks.
Uses Debian's python3-dnslib.
"""
import argparse
import itertools
import sys
import threading
import time

from dnslib import QTYPE, RCODE, RR, NS, TXT
from dnslib.dns import DNSError
from dnslib.server import BaseResolver, DNSServer

import world_rules


class WorldResolver(BaseResolver):
    def __init__(self, delay, studies, drop_every):
        self.delay = delay
        self.studies = studies
        self.drop_every = drop_every
        self.received = itertools.count(1)
        self.lock = threading.Lock()  # each question is answered on its own thread
        self.questions = 0

    def resolve(self, request, handler):
        if str(request.q.qname) == "questions.stats.invalid." and request.q.qtype == QTYPE.TXT:
            reply = request.reply()
            reply.add_answer(RR(request.q.qname, QTYPE.TXT, ttl=0, rdata=TXT("count=%d" % self.questions)))
            return reply
        with self.lock:
            self.questions += 1
            number = next(self.received)
        if self.drop_every and number % self.drop_every == 0:
            raise DNSError("dropped")  # the server sends nothing for it
        time.sleep(self.delay)
        reply = request.reply()
        name = str(request.q.qname).rstrip(".")
        delegated = world_rules.has_name_servers(name) if self.studies else "free" not in name
        if not delegated:
            reply.header.rcode = RCODE.NXDOMAIN
        elif request.q.qtype == QTYPE.NS:
            for server in ("ns1.stand-in.example.", "ns2.stand-in.example."):
                reply.add_answer(RR(request.q.qname, QTYPE.NS, ttl=300, rdata=NS(server)))
        return reply


class QuietLogger:
    def __getattr__(self, name):
        return lambda *args, **kwargs: None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--world", choices=["free", "studies"], default="free")
    parser.add_argument("--drop-every", type=int, default=0)
    options = parser.parse_args()
    if options.world == "studies":
        world_rules.words()  # read the word lists now, not while the first questions wait
    resolver = WorldResolver(options.delay, options.world == "studies", options.drop_every)
    server = DNSServer(resolver, port=0, address="127.0.0.1", logger=QuietLogger())
    server.start_thread()
    print(server.server.server_address[1], flush=True)
    try:
        while server.isAlive():
            time.sleep(1)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
