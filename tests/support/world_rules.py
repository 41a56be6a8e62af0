"""Which names a stand-in world calls registered, shaped like published studies
of the .com zone: every name of four letters or fewer is taken under every
ending; every word of the word list is taken in .com, .net and .org and most
of them in the others; most joins of two words are taken in .com. Shared by
stand_in_registry.py and stand_in_dns.py --world studies, so the resolver and
the registries agree. Deterministic: a name's fate comes from its hash.
"""
import hashlib

WORD_LIST = "/usr/share/dict/american-english"  # Debian package wamerican

_words = None


def words():
    global _words
    if _words is None:
        with open(WORD_LIST, encoding="utf-8", errors="ignore") as listing:
            _words = {line.strip() for line in listing if line.strip().isascii() and line.strip().isalpha()
                      and line.strip().islower()}
    return _words


def _share(name, salt):
    """A number in [0, 1) that a name always gets for the same salt."""
    digest = hashlib.md5((salt + name).encode()).digest()
    return int.from_bytes(digest[:4], "big") / 2**32


def _is_join(label):
    known = words()
    return any(label[:i] in known and label[i:] in known for i in range(2, len(label) - 1))


def registered(name):
    label, _, ending = name.lower().rpartition(".")
    if len(label) <= 4:
        return True
    if label in words():
        return ending in ("com", "net", "org") or _share(name, "word") < 0.8
    if _is_join(label):
        share = {"com": 0.85, "net": 0.5, "org": 0.5}.get(ending, 0.2)
        return _share(name, "join") < share
    return _share(name, "other") < (0.1 if ending == "com" else 0.05)


def has_name_servers(name):
    """Most registered names are delegated; a few are not, and only RDAP knows them."""
    return registered(name) and _share(name, "ns") < 0.95
