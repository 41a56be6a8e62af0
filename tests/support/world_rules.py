"""Which names a stand-in world calls registered, shaped like published studies
of the .com zone: every name of four letters or fewer is taken under every
ending; every word of the word lists (English, German, Spanish and French, in
its own letters and in plain ASCII) is taken in .com, .net and .org and most of
them in the others; most joins of two words are taken in .com. Shared by
stand_in_registry.py and stand_in_dns.py --world studies, so the resolver and
the registries agree. Deterministic: a name's fate comes from its hash.
"""
import hashlib
import os
import unicodedata

WORD_LIST = "/usr/share/dict/american-english"  # Debian package wamerican
# Debian's wngerman, wspanish and wfrench: a word of those languages is as taken as an English one.
OTHER_WORD_LISTS = ["/usr/share/dict/ngerman", "/usr/share/dict/spanish", "/usr/share/dict/french"]

_words = None


def _plain_forms(word):
    """The word in its own letters and as typed without them: "fußball", "fussball";
    "bücher", "buecher" and "bucher"."""
    forms = {word}
    german = word.replace("ß", "ss").replace("ä", "ae").replace("ö", "oe").replace("ü", "ue")
    for form in (german, word.replace("ß", "ss")):
        stripped = "".join(c for c in unicodedata.normalize("NFKD", form) if not unicodedata.combining(c))
        forms.update((form, stripped))
    return {form for form in forms if form.isalpha()}


def words():
    global _words
    if _words is None:
        with open(WORD_LIST, encoding="utf-8", errors="ignore") as listing:
            _words = {line.strip() for line in listing if line.strip().isascii() and line.strip().isalpha()
                      and line.strip().islower()}
        for path in OTHER_WORD_LISTS:
            if not os.path.exists(path):
                continue
            with open(path, encoding="utf-8", errors="ignore") as listing:
                for line in listing:
                    word = line.strip().lower()
                    if word.isalpha():
                        _words.update(_plain_forms(word))
    return _words


def _share(name, salt):
    """A number in [0, 1) that a name always gets for the same salt."""
    digest = hashlib.md5((salt + name).encode()).digest()
    return int.from_bytes(digest[:4], "big") / 2**32


def _is_join(label):
    known = words()
    return any(label[:i] in known and label[i:] in known for i in range(2, len(label) - 1))


def _unicode(label):
    """An A-label as its letters, so "xn--fuball-cta" is the word "fußball"."""
    if label.startswith("xn--"):
        try:
            return label[4:].encode("ascii").decode("punycode")
        except UnicodeError:
            pass
    return label


def registered(name):
    label, _, ending = name.lower().rpartition(".")
    if len(label) <= 4:
        return True
    letters = _unicode(label)
    if letters in words():
        return ending in ("com", "net", "org") or _share(name, "word") < 0.8
    if _is_join(letters):
        share = {"com": 0.85, "net": 0.5, "org": 0.5}.get(ending, 0.2)
        return _share(name, "join") < share
    return _share(name, "other") < (0.1 if ending == "com" else 0.05)


def has_name_servers(name):
    """Most registered names are delegated; a few are not, and only RDAP knows them."""
    return registered(name) and _share(name, "ns") < 0.95
