#!/usr/bin/env python3
"""A registry that misbehaves on purpose, byte for byte, for the registrar's tests.

  stand_in_registry.py [--world] [--delay SECONDS] [--http2 [--max-streams N]] [--listeners N]
  stand_in_registry.py [--h2] [--tls CERT KEY]...

Listens on 127.0.0.1 (free ports), prints the ports on its first line, and
answers GET /rdap/domain/NAME by the first label of NAME:
  free...   not registered: a complete 404
  taken...  registered: a 200 domain object for NAME
  any other first label names a misbehaviour (see BEHAVIOURS below); its
  "truth" is registered unless the label starts with "free".
Standard library only (asyncio), so it can send exactly the bytes it wants.
Paths that ask for no domain get a web server's HTML 404, as a moved RDAP
service would give.

--h2 answers the same way over HTTP/2 (python3-h2, with its checks of what it
sends turned off), over TLS with ALPN "h2" when --tls gives a certificate and
key, in clear text with prior knowledge otherwise; misbehaviours of its own
are in H2_BEHAVIOURS. Without --h2, --tls serves the HTTP/1.1 behaviours over
TLS with ALPN "http/1.1" only, as a registry without HTTP/2 does. Each
--tls is a listener of its own with that certificate, its port printed in
turn. A TLS close sends close_notify and keeps TCP open until the client
closes it, as a peer that never waits for the client's close_notify does.

--world plays well-behaved registries for the benchmarks instead: a name with
"free" in it is not registered, any other is (--world studies: as world_rules.py
says); GET /stats tells how many names were looked up; each answer waits --delay
seconds; connections are kept alive. --http2 speaks cleartext HTTP/2 (prior
knowledge) with python3-h2, every lookup a stream on one connection; with
--max-streams, at most N streams at once (SETTINGS_MAX_CONCURRENT_STREAMS), and
a client that opens more loses the connection.
"""
import asyncio
import json
import sys

import world_rules

STUDIES = False  # --world studies: names registered as in world_rules, not by "free"


def head(status, reason, headers, version=b"HTTP/1.1"):
    lines = [version + b" %d " % status + reason]
    lines += [name + b": " + value for name, value in headers]
    return b"\r\n".join(lines) + b"\r\n\r\n"


def framed(status, reason, body, extra=()):
    return head(status, reason, [(b"Content-Type", b"application/rdap+json"),
                                 (b"Content-Length", str(len(body)).encode())] + list(extra)) + body


def domain_object(name):
    return json.dumps({"objectClassName": "domain", "ldhName": name}).encode()


NOT_FOUND = json.dumps({"errorCode": 404, "title": "Not Found"}).encode()


def chunked(body, pieces=3):
    out = b""
    step = max(1, len(body) // pieces)
    for i in range(0, len(body), step):
        part = body[i:i + step]
        out += b"%x\r\n" % len(part) + part + b"\r\n"
    return out + b"0\r\n\r\n"


HTML_404 = b"<html>\r\n<head><title>404 Not Found</title></head>\r\n<body>\r\n<center><h1>404 Not Found</h1></center>\r\n<hr><center>nginx</center>\r\n</body>\r\n</html>\r\n"
RDAP = b"application/rdap+json"


def domain_of(path):
    """The name a path asks for, "" when it asks for no domain object."""
    parts = path.split("/")
    return parts[-1] if len(parts) >= 3 and parts[-2] == "domain" else ""


def strict_answer(kind, name, path):
    """Redirect targets a server could route otherwise than they read, the paths they lead to, and 404 bodies
    that must be read strictly; None for any other kind."""
    if "%" in path or path.startswith("/net/"):
        # A path no RDAP route takes (an escaped separator), or the other ending's service on the same host:
        # the bare 404 such a server gives, which must never stand for the name asked.
        return 404, b"", b"", []
    encoded = name.encode()
    redirects = {
        "redirectslash": b"/help%2Fdomain%2F" + encoded,
        "redirectencoded": b"/alt/domain%2F" + encoded,
        "redirectbackslash": b"/help%5cdomain%5C" + encoded,
        "redirectdotenc": b"/rdap/domain/%2E%2E/%2e%2e/net/v1/domain/" + encoded,
        "redirectdots": b"/rdap/domain/" + encoded + b"/../../../net/v1/domain/" + encoded,
        "redirectnet": b"/net/v1/domain/" + encoded,
        "redirectmoved": b"/moved/domain/" + encoded,  # another base URL the bootstrap gives the ending
    }
    if kind in redirects and path.startswith("/rdap/"):
        return 302, RDAP, b"", [(b"Location", redirects[kind])]
    notices = [{"title": "Terms of Use", "description": ["Service subject to terms of use."],
                "links": [{"value": "https://rdap.example/", "rel": "self", "href": "https://rdap.example/terms",
                           "type": "text/html"}]}]
    bodies = {
        # The real registries' 404 shapes: a .org and an .info/.biz error object, and a reserved name's.
        "freeorgerror": {"rdapConformance": ["rdap_level_0"], "notices": notices, "errorCode": 404,
                         "title": "Not Found", "description": ["The object does not exist."]},
        "freeinfoerror": {"rdapConformance": ["rdap_level_0", "icann_rdap_response_profile_0"], "errorCode": 404,
                          "title": "Domain not found", "description": ["No domain by that name"]},
        "freereserved": {"errorCode": 404, "title": "Registry Reserved",
                         "description": ["This name is reserved by the registry."]},
        "lowerkeys404": {"objectclassname": "domain", "ldhname": name},
        "spacedclass404": {"objectClassName": "domain "},
        "nesteddomain404": {"errorCode": 404, "title": "Not Found",
                            "notices": [{"title": "Found", "object": {"objectClassName": "domain", "ldhName": name}}]},
        "nestedname404": {"errorCode": 404, "title": "Not Found", "extra": [{"unicodeName": name}]},
    }
    if kind in bodies:
        return 404, RDAP, json.dumps(bodies[kind]).encode(), []
    repeated = {  # a member named twice: QJsonDocument keeps the last, another reader the first
        "dupkeys404": b'{"objectClassName":"domain","objectClassName":"error"}',
        "dupescaped404": b'{"objectClassName":"domain","objectClass\\u004eame":"error"}',
        "dupnested404": b'{"errorCode":404,"notices":[{"objectClassName":"domain","objectClassName":"notice"}]}',
        "dupcase404": b'{"errorCode":404,"notices":[{"title":"a","Title ":"b"}]}',
    }
    if kind in repeated:
        return 404, RDAP, repeated[kind], []
    return None


def plain_answer(kind, name, path):
    """Answers that read the same on HTTP/1.1 and HTTP/2: (status, content type, body, extra headers), or None."""
    strict = strict_answer(kind, name, path)
    if strict:
        return strict
    if not name:
        return 404, b"text/html", HTML_404, []
    if path.startswith("/moved/"):
        return 200, RDAP, domain_object(name), []
    if kind == "freeempty":
        return 404, RDAP, b"", []
    if kind.startswith("free"):
        return 404, RDAP, NOT_FOUND, []
    if kind.startswith("taken"):
        return 200, RDAP, domain_object(name), []
    answers = {
        "html404": (404, b"text/html", HTML_404, []),
        "array404": (404, RDAP, b"[" + domain_object(name) + b"]", []),
        "garbage404": (404, RDAP, domain_object(name) + b"xyz", []),
        "classdomain404": (404, RDAP, json.dumps({"objectClassName": "Domain"}).encode(), []),
        "untyped404": (404, b"", NOT_FOUND, []),
        # A moved RDAP service: the same question, asked at the new path.
        "redirectsame": (302, RDAP, b"", [(b"Location", b"/moved/domain/" + name.encode())]),
        "redirectname": (301, RDAP, b"", [(b"Location", b"/rdap/domain/freeother.com")]),
        "redirectroot": (302, RDAP, b"", [(b"Location", b"/")]),
        "redirecthelp": (307, RDAP, b"", [(b"Location", b"/rdap/help")]),
        "redirectloop": (302, RDAP, b"", [(b"Location", path.encode())]),
    }
    return answers.get(kind)


async def behave(kind, name, path, writer, port):
    """Writes the answer for one request; returns False to close the connection."""
    taken = framed(200, b"OK", domain_object(name))
    free = framed(404, b"Not Found", NOT_FOUND)
    shared = plain_answer(kind, name, path)
    if shared:
        status, content_type, body, extra = shared
        headers = [(b"Content-Length", str(len(body)).encode())] + ([(b"Content-Type", content_type)] if content_type else [])
        writer.write(head(status, b"Whatever", headers + extra) + body)
    elif kind == "lateredirect":   # a 200, then a redirect nobody asked for, a little later
        writer.write(taken)
        await writer.drain()
        await asyncio.sleep(0.05)
        writer.write(head(302, b"Found", [(b"Location", b"/rdap/domain/freeother.com"), (b"Content-Length", b"0")]))
    elif kind == "chunkspace":     # a chunk size with white space after it
        writer.write(head(404, b"Not Found", [(b"Transfer-Encoding", b"chunked")]) + b"2 \r\n{}\r\n0\r\n\r\n")
    elif kind == "badtrailer":     # a trailer section that is a status line
        writer.write(head(404, b"Not Found", [(b"Transfer-Encoding", b"chunked")])
                     + b"2\r\n{}\r\n0\r\nHTTP/1.1 200 OK\r\n\r\n")
    elif kind == "emptyte":        # an empty Transfer-Encoding beside a length
        writer.write(head(404, b"Not Found", [(b"Content-Length", b"2"), (b"Transfer-Encoding", b"")]) + b"{}")
    elif kind == "extra":          # one answer too many: a 404 nobody asked for
        writer.write(taken + free)
    elif kind == "extralate":      # the extra answer comes a little later
        writer.write(taken)
        await writer.drain()
        await asyncio.sleep(0.05)
        writer.write(free)
    elif kind == "wrongname":
        writer.write(framed(200, b"OK", domain_object("other-" + name)))
    elif kind == "noname":
        writer.write(framed(200, b"OK", json.dumps({"objectClassName": "domain"}).encode()))
    elif kind == "uppername":
        writer.write(framed(200, b"OK", domain_object(name.upper() + ".")))
    elif kind == "cut404":         # says 100 bytes, sends 20, closes
        writer.write(head(404, b"Not Found", [(b"Content-Length", b"100")]) + NOT_FOUND[:20])
        return False
    elif kind == "cutchunked":     # chunked, closes before the last chunk
        writer.write(head(404, b"Not Found", [(b"Transfer-Encoding", b"chunked")]) + b"a\r\n0123456789\r\n")
        return False
    elif kind == "twolengths":
        writer.write(head(404, b"Not Found", [(b"Content-Length", b"2"), (b"Content-Length", b"2")]) + b"{}")
    elif kind == "lengthandchunked":
        writer.write(head(404, b"Not Found", [(b"Content-Length", b"5"), (b"Transfer-Encoding", b"chunked")])
                     + chunked(b"{}"))
    elif kind == "closeframed":    # no length at all: ends with the connection
        writer.write(head(404, b"Not Found", [(b"Connection", b"close")]) + NOT_FOUND)
        return False
    elif kind == "claims":         # a 404 whose body says the name exists
        writer.write(framed(404, b"Not Found", domain_object(name)))
    elif kind == "chunked404":     # well-framed chunked 404: a real "not found"
        writer.write(head(404, b"Not Found", [(b"Content-Type", RDAP), (b"Transfer-Encoding", b"chunked")]) + chunked(NOT_FOUND))
    elif kind == "redirectother":
        writer.write(head(302, b"Found", [(b"Location", b"http://localhost:%d%s" % (port, path.encode())),
                                          (b"Content-Length", b"0")]))
    elif kind == "redirecthttps":
        writer.write(head(302, b"Found", [(b"Location", b"https://127.0.0.1:%d%s" % (port, path.encode())),
                                          (b"Content-Length", b"0")]))
    elif kind.startswith("slow"):  # 429 with the Retry-After the label names
        value = {"slownone": None, "slowhuge": b"99999999999999999999", "slownegative": b"-5",
                 "slowdate": b"Sun, 06 Nov 2094 08:49:37 GMT"}[kind]
        headers = [(b"Content-Length", b"0")] + ([(b"Retry-After", value)] if value else [])
        writer.write(head(429, b"Too Many Requests", headers))
    elif kind == "silence":
        await asyncio.sleep(3600)
    elif kind == "trickle":        # a byte at a time, for ever
        for byte in head(404, b"Not Found", [(b"Content-Length", b"100000")]) * 1000:
            writer.write(bytes([byte]))
            await writer.drain()
            await asyncio.sleep(0.01)
    elif kind == "endless":        # a chunked body that never ends
        writer.write(head(404, b"Not Found", [(b"Transfer-Encoding", b"chunked")]))
        piece = b"%x\r\n" % 65536 + b"x" * 65536 + b"\r\n"
        for _ in range(1 << 16):
            writer.write(piece)
            await writer.drain()
    elif kind == "gigabyte":
        writer.write(head(404, b"Not Found", [(b"Content-Length", b"1073741824")]))
        for _ in range(1 << 14):
            writer.write(b"x" * 65536)
            await writer.drain()
    elif kind == "gzipbomb":
        import gzip
        body = gzip.compress(b"\0" * (64 << 20))
        writer.write(framed(404, b"Not Found", body, [(b"Content-Encoding", b"gzip")]))
    elif kind == "midclose":       # a 200 closed in the middle of its body
        writer.write(head(200, b"OK", [(b"Content-Length", b"500")]) + domain_object(name)[:10])
        return False
    elif kind == "interim":        # a 100 Continue nobody asked for, then a 404
        writer.write(head(100, b"Continue", []) + free)
    elif kind == "http10":         # an old server: a framed 404 in HTTP/1.0
        writer.write(head(404, b"Not Found", [(b"Content-Type", RDAP), (b"Content-Length", b"2")], b"HTTP/1.0") + b"{}")
        return False
    elif kind == "barelf":
        writer.write(b"HTTP/1.1 404 Not Found\nContent-Length: 2\n\n{}")
    elif kind == "garbage":
        writer.write(b"\x00\xff garbage \r\n\r\n")
    elif kind == "servererror":
        writer.write(framed(500, b"Internal Server Error", b"{}"))
    elif kind in INTERIM_AND_STATUS_LINES:
        writer.write(INTERIM_AND_STATUS_LINES[kind])
    else:
        writer.write(framed(400, b"Bad Request", b"{}"))
    return True


# ---- Interim answers and status lines (HTTP/1.1) ----

HUNDRED = b"HTTP/1.1 100 Continue\r\n\r\n"
FREE = framed(404, b"Not Found", NOT_FOUND)

# The bytes each kind sends; the "fine" ones are honest 404s a client must read.
INTERIM_AND_STATUS_LINES = {
    "fineinterims": HUNDRED + head(103, b"Early Hints", [(b"Link", b"</x>; rel=preload"),
                                                         (b"Content-Type", b"text/html")]) + FREE,
    "finecrlf": b"\r\n" + FREE,
    "finenoreason": FREE.replace(b"HTTP/1.1 404 Not Found\r\n", b"HTTP/1.1 404\r\n"),
    "twocrlf": b"\r\n\r\n" + FREE,
    "lfbefore": b"\n" + FREE,
    "crlfafterinterim": HUNDRED + b"\r\n" + FREE,
    "switching": head(101, b"Switching Protocols", [(b"Connection", b"Upgrade"), (b"Upgrade", b"h2c")]) + FREE,
    "interimlength": head(100, b"Continue", [(b"Content-Length", b"0")]) + FREE,
    "interimafter": FREE + HUNDRED,
    "interim10": b"HTTP/1.0 100 Continue\r\n\r\n" + FREE,
    "status4041": b"HTTP/1.1 4041\r\nContent-Length: 0\r\n\r\n",
    "interimflood": HUNDRED * 1000 + FREE,
}


LOOKUPS = 0  # names looked up so far, for GET /stats


async def serve_world(reader, writer, delay):
    """HTTP/1.1 with keep-alive, one request at a time, as a plain registry does."""
    global LOOKUPS
    try:
        while True:
            request = await reader.readuntil(b"\r\n\r\n")
            path = request.split(b" ")[1].decode()
            if path == "/stats":
                writer.write(framed(200, b"OK", json.dumps({"lookups": LOOKUPS}).encode()))
                await writer.drain()
                continue
            LOOKUPS += 1
            name = path.rsplit("/", 1)[-1]
            await asyncio.sleep(delay)
            writer.write(world_answer(name))
            await writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError, IndexError):
        pass
    finally:
        writer.close()


def is_free(name):
    if STUDIES:
        return not world_rules.registered(name)
    return "free" in name


def world_answer(name):
    if is_free(name):
        return framed(404, b"Not Found", NOT_FOUND)
    return framed(200, b"OK", domain_object(name))


async def serve_world_http2(reader, writer, delay, max_streams=None):
    """Cleartext HTTP/2 with prior knowledge: each lookup a stream, answered after `delay`."""
    import h2.config
    import h2.connection
    import h2.events
    import h2.settings
    connection = h2.connection.H2Connection(h2.config.H2Configuration(client_side=False, header_encoding="utf-8"))
    if max_streams:
        connection.local_settings = h2.settings.Settings(
            client=False, initial_values={h2.settings.SettingCodes.MAX_CONCURRENT_STREAMS: max_streams})
    connection.initiate_connection()
    writer.write(connection.data_to_send())

    async def answer(stream_id, name):
        await asyncio.sleep(delay)
        status, body = (b"404", NOT_FOUND) if is_free(name) else (b"200", domain_object(name))
        connection.send_headers(stream_id, [(":status", status.decode()), ("content-type", "application/rdap+json"),
                                            ("content-length", str(len(body)))])
        connection.send_data(stream_id, body, end_stream=True)
        writer.write(connection.data_to_send())
        await writer.drain()

    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            for event in connection.receive_data(data):
                if isinstance(event, h2.events.RequestReceived):
                    path = dict(event.headers).get(":path", "")
                    asyncio.ensure_future(answer(event.stream_id, path.rsplit("/", 1)[-1]))
            writer.write(connection.data_to_send())
            await writer.drain()
    except (ConnectionError, Exception):
        pass
    finally:
        writer.close()


H2_BEHAVIOURS = """
  rstnoerror rstinternal rstcalm rstsecurity  a 404 head, then RST_STREAM with that code before END_STREAM
  rstdata        a 404 head and some of its body, then RST_STREAM INTERNAL_ERROR
  status4041 status404x status404text  a :status of "4041", "404x", "404 Not Found"
  twostatus      :status 200 and :status 404 in one block
  trailerstatus  a 200 with an empty object, then trailers that carry :status 404
  interim        a 103, then a 404
  lengthshort    a 404 that says 100 bytes and ends after 20
  goawaymid      a 404 head, then GOAWAY and the connection closed
  closemid       a 404 head, then the connection closed
Raw frames, each after a complete 404 in the same write (see raw_h2_answer):
  lateheaders latedata laterst lateunknown latecontinuation lategoaway
  finelaterst finewindow finepriority  (RST_STREAM NO_ERROR, WINDOW_UPDATE, PRIORITY)
and interim blocks (fineinterims switching interimend interimdata interimlate),
a 404 then a close (fineclose), connection errors after which the client is
ignored (pushpromise headerszero http1spoken).
"""


# ---- Frames a library would not send (HTTP/2) ----
# Written byte for byte after what python3-h2 queued. Header blocks are HPACK
# literals that enter neither side's table, so the library's own blocks still decode.

DATA, HEADERS, PRIORITY, RST_STREAM, PUSH_PROMISE, GOAWAY, WINDOW_UPDATE, CONTINUATION = 0, 1, 2, 3, 5, 7, 8, 9
END_STREAM, END_HEADERS = 0x1, 0x4
KEEP, CLOSE, HOLD = True, False, "hold"  # HOLD: answer nothing more, read until the client closes


def h2_frame(kind, flags, stream, payload=b""):
    return len(payload).to_bytes(3, "big") + bytes([kind, flags]) + stream.to_bytes(4, "big") + payload


def literal_block(fields):
    """Each field a literal never indexed, with its name given (short names and values only)."""
    return b"".join(b"\x10" + bytes([len(name)]) + name + bytes([len(value)]) + value for name, value in fields)


def raw_headers(stream, status, fields=(), flags=END_HEADERS):
    return h2_frame(HEADERS, flags, stream, literal_block([(b":status", status)] + list(fields)))


def raw_404(stream):
    return (raw_headers(stream, b"404", [(b"content-type", RDAP), (b"content-length", str(len(NOT_FOUND)).encode())])
            + h2_frame(DATA, END_STREAM, stream, NOT_FOUND))


def raw_h2_answer(kind, name, stream):
    """(bytes, KEEP, CLOSE or HOLD) for the kinds of this block, None for the others."""
    status_200 = literal_block([(b":status", b"200")])
    late = {  # after a complete 404 on the same stream, in the same write
        "lateheaders": h2_frame(HEADERS, END_STREAM | END_HEADERS, stream, status_200),
        "latedata": h2_frame(DATA, END_STREAM, stream, domain_object(name)),
        "laterst": h2_frame(RST_STREAM, 0, stream, (2).to_bytes(4, "big")),  # INTERNAL_ERROR
        "lateunknown": h2_frame(0xfa, 0, stream, b"late"),
        "latecontinuation": h2_frame(CONTINUATION, END_HEADERS, stream, status_200),
        "lategoaway": h2_frame(GOAWAY, 0, 0, stream.to_bytes(4, "big") + (1).to_bytes(4, "big")),  # PROTOCOL_ERROR
        "finelaterst": h2_frame(RST_STREAM, 0, stream, bytes(4)),  # NO_ERROR
        "finewindow": h2_frame(WINDOW_UPDATE, 0, stream, (1024).to_bytes(4, "big")),
        "finepriority": h2_frame(PRIORITY, 0, stream, bytes(4) + b"\x0f"),
    }
    interim = {
        "fineinterims": raw_headers(stream, b"100") + raw_headers(stream, b"103", [
            (b"link", b"</x>; rel=preload"), (b"content-type", b"text/html"), (b"location", b"/rdap/help")])
        + raw_404(stream),
        "switching": raw_headers(stream, b"101") + raw_404(stream),
        "interimend": raw_headers(stream, b"103", flags=END_HEADERS | END_STREAM),
        "interimdata": raw_headers(stream, b"103") + h2_frame(DATA, 0, stream, b"{}") + raw_404(stream),
        "interimlate": raw_headers(stream, b"404", [(b"content-type", RDAP)]) + raw_headers(stream, b"103")
        + h2_frame(DATA, END_STREAM, stream, NOT_FOUND),
    }
    broken = {  # connection errors; the client's GOAWAY is ignored and TCP kept open
        "pushpromise": h2_frame(PUSH_PROMISE, END_HEADERS, stream, (stream + 1).to_bytes(4, "big") + literal_block(
            [(b":method", b"GET"), (b":scheme", b"https"), (b":authority", b"127.0.0.1"), (b":path", b"/rdap/help")])),
        "headerszero": raw_headers(0, b"404", flags=END_HEADERS | END_STREAM),
    }
    if kind in late:
        return raw_404(stream) + late[kind], KEEP
    if kind in interim:
        return interim[kind], KEEP
    if kind in broken:
        return broken[kind], HOLD
    if kind == "fineclose":
        return raw_404(stream), CLOSE
    return None


async def serve_h2(reader, writer):
    """Answers every stream by the first label of its name, over HTTP/2, misbehaving on purpose."""
    import h2.config
    import h2.connection
    import h2.errors
    import h2.events
    config = h2.config.H2Configuration(client_side=False, header_encoding=None, validate_outbound_headers=False,
                                       normalize_outbound_headers=False, validate_inbound_headers=False)
    connection = h2.connection.H2Connection(config)
    connection.initiate_connection()  # sent with the first answer, so a kind may send something else instead
    pending = bytearray()  # raw frames, written after what python3-h2 queued before them
    codes = {"rstnoerror": h2.errors.ErrorCodes.NO_ERROR, "rstinternal": h2.errors.ErrorCodes.INTERNAL_ERROR,
             "rstcalm": h2.errors.ErrorCodes.ENHANCE_YOUR_CALM, "rstsecurity": h2.errors.ErrorCodes.INADEQUATE_SECURITY}
    statuses = {"status4041": b"4041", "status404x": b"404x", "status404text": b"404 Not Found"}

    def answer(stream, path):
        """Queues the answer; returns CLOSE to close the connection after it, HOLD to ignore the client."""
        name = domain_of(path)
        kind = name.split(".")[0]
        if kind == "http1spoken":  # h2 agreed on, HTTP/1.1 spoken all the same
            connection.data_to_send()
            pending[:] = FREE
            return HOLD
        raw = raw_h2_answer(kind, name, stream)
        if raw:
            pending.extend(connection.data_to_send() + raw[0])
            return raw[1]
        shared = plain_answer(kind, name, path)
        if shared:
            status, content_type, body, extra = shared
            headers = [(b":status", str(status).encode()), (b"content-length", str(len(body)).encode())]
            headers += ([(b"content-type", content_type)] if content_type else [])
            connection.send_headers(stream, headers + [(k.lower(), v) for k, v in extra], end_stream=not body)
            if body:
                connection.send_data(stream, body, end_stream=True)
        elif kind in codes:
            connection.send_headers(stream, [(b":status", b"404"), (b"content-type", RDAP)])
            connection.reset_stream(stream, codes[kind])
        elif kind == "rstdata":
            connection.send_headers(stream, [(b":status", b"404"), (b"content-type", RDAP)])
            connection.send_data(stream, NOT_FOUND[:10])
            connection.reset_stream(stream, h2.errors.ErrorCodes.INTERNAL_ERROR)
        elif kind in statuses:
            connection.send_headers(stream, [(b":status", statuses[kind]), (b"content-length", b"0")], end_stream=True)
        elif kind == "twostatus":
            connection.send_headers(stream, [(b":status", b"200"), (b":status", b"404"), (b"content-length", b"0")],
                                    end_stream=True)
        elif kind == "trailerstatus":
            connection.send_headers(stream, [(b":status", b"200"), (b"content-type", RDAP)])
            connection.send_data(stream, b"{}")
            connection.send_headers(stream, [(b":status", b"404")], end_stream=True)
        elif kind == "interim":
            connection.send_headers(stream, [(b":status", b"103")])
            connection.send_headers(stream, [(b":status", b"404"), (b"content-length", b"0")], end_stream=True)
        elif kind == "lengthshort":
            connection.send_headers(stream, [(b":status", b"404"), (b"content-type", RDAP), (b"content-length", b"100")])
            connection.send_data(stream, NOT_FOUND[:20], end_stream=True)
        elif kind == "goawaymid":
            connection.send_headers(stream, [(b":status", b"404"), (b"content-type", RDAP)])
            connection.close_connection(last_stream_id=stream)
            return False
        elif kind == "closemid":
            connection.send_headers(stream, [(b":status", b"404"), (b"content-type", RDAP)])
            return False
        elif kind == "silence":
            pass
        else:
            connection.send_headers(stream, [(b":status", b"400"), (b"content-length", b"0")], end_stream=True)
        return True

    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            then = []
            for event in connection.receive_data(data):
                if isinstance(event, h2.events.RequestReceived):
                    path = dict(event.headers).get(b":path", b"").decode()
                    then.append(answer(event.stream_id, path))
            writer.write(bytes(pending) + connection.data_to_send())
            pending.clear()
            await writer.drain()
            if HOLD in then:
                while await reader.read(65536):
                    pass
                break
            if CLOSE in then:
                break
    except Exception:  # a client that breaks the protocol ends its connection, nothing more
        pass
    finally:
        writer.close()


async def serve(reader, writer):
    port = writer.get_extra_info("sockname")[1]
    try:
        while True:
            request = await reader.readuntil(b"\r\n\r\n")
            path = request.split(b" ")[1].decode()
            name = domain_of(path)
            kind = name.split(".")[0]
            if not await behave(kind, name, path, writer, port):
                break
            await writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError, IndexError):
        pass
    finally:
        writer.close()


async def main():
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--world", nargs="?", const="free", choices=["free", "studies"])
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--http2", action="store_true")
    parser.add_argument("--listeners", type=int, default=1)
    parser.add_argument("--max-streams", type=int)
    parser.add_argument("--h2", action="store_true")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), action="append")
    options = parser.parse_args()
    global STUDIES
    STUDIES = options.world == "studies"
    if STUDIES:
        world_rules.words()  # read the word lists now, not while the first lookups wait
    if options.world:
        if options.http2:
            serve_one = lambda reader, writer: serve_world_http2(reader, writer, options.delay, options.max_streams)
        else:
            serve_one = lambda reader, writer: serve_world(reader, writer, options.delay)
    elif options.h2:
        serve_one = serve_h2
    else:
        serve_one = serve
    listen = {}
    contexts = [None]
    if options.tls:
        import ssl
        contexts = []
        for certificate, key in options.tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(certificate, key)
            context.set_alpn_protocols(["h2"] if options.h2 else ["http/1.1"])
            contexts.append(context)
        listen["ssl_shutdown_timeout"] = 3600  # close_notify sent, TCP kept until the client closes
    servers = [await asyncio.start_server(serve_one, "127.0.0.1", 0, backlog=1024, ssl=context, **listen)
               for context in contexts for _ in range(options.listeners)]
    print(" ".join(str(server.sockets[0].getsockname()[1]) for server in servers), flush=True)
    await asyncio.gather(*(server.serve_forever() for server in servers))


if __name__ == "__main__":
    asyncio.run(main())
