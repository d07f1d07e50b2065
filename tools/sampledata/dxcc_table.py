"""The DXCC entity table (home/CodeLib.txt): which prefixes each line holds, how many lines an entity
takes and in which order the lines stand.

The program finds an entity by prefix the way the progress sheet does with a typed call: it searches
the first 1, 2, 3 ... characters of the call (or of its "/" affix) among the listed prefixes, each
cut to the searched length, and the last search with hits decides; of its hits the first line in
table order is taken. So a call ends at the longest of its leading parts that begins a listed
prefix, and there the first line holding such a prefix must be its entity's.

A line holds at most 149 bytes, too few for the hundreds of prefixes cty.csv gives some entities;
the table's reader takes as many lines as the count line says, and each line is an entity record of
its own, so an entity takes as many lines as its prefixes need. The lines are made so that the
search gives what cty.csv's longest prefix gives:

- every prefix of cty.csv is listed, but for one that only repeats the entity of the prefix above it;
- every whole call whose entity is another than its prefix gives (those of an entity known only by
  whole calls, the bases in Antarctica, AH2AV of the United States) is listed apart, marked "=" as
  cty.csv marks them ("=3D2C"), on lines after all the prefixes: a whole call matches only the call
  written as it is (a call that only begins as one, 3D2CJ or SY2APF, goes by its prefix), and before
  any prefix; one that its prefix already gives is left out, and so is one written with a way of
  operating ("=3D2C/P") when the call without it is listed;
- where listed prefixes of other entities branch off below a text that is no prefix itself, that
  text is listed for the entity above it ("RA" for European Russia beside "RA9" of Asiatic Russia),
  so that the calls that end there are not handed to the entity below;
- a prefix's depth is the number of listed prefixes that begin it; each line holds prefixes of one
  entity and one depth, and the lines stand by depth, shallowest first, Japan first of all. Then the
  first line among those that hold a prefix beginning with a text is the line of the shallowest
  such prefix, which is the text's own entity.

Only the standard library is used; the result is the same on every run.
"""

import csv
import re
from collections import defaultdict

LINE_BYTES = 149
HOME_CALLS_ABROAD = ("Antarctica",)
WAYS_OF_OPERATING = ("P", "M", "QRP", "B", "LH", "LGT")
JAPAN = "JA"
PORTABLE_SUFFIX = "/JA1ABC"
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"


def _bare(item):
    """A cty.csv prefix or call without its zone and position overrides."""
    return re.sub(r"[\(\[<{~].*$", "", item)


def read_cty(path):
    """DXCC entities of cty.csv in file order: prefix, name, ADIF number, continent, zones, position,
    UTC offset, the prefixes and the whole calls listed with "=". A WAE-only row ("*IT9" Sicily) is no
    entity of its own: its whole calls ("=IT9CKA/CA") are those of the DXCC entity of its ADIF number
    (Italy); its prefixes lie under that entity's already ("I")."""
    entities, wae = [], []
    with open(path, encoding="ascii") as f:
        for row in csv.reader(f):
            if not row:
                continue
            if row[0].startswith("*"):
                wae.append(row)
                continue
            prefixes, exact, zones_cq, zones_itu = [], [], set(), set()
            for item in row[9].rstrip(";").split():
                cq = re.search(r"\((\d+)\)", item)
                itu = re.search(r"\[(\d+)\]", item)
                if item.startswith("="):
                    exact.append(_bare(item[1:]))
                    continue
                if cq:
                    zones_cq.add(int(cq.group(1)))
                if itu:
                    zones_itu.add(int(itu.group(1)))
                prefixes.append(_bare(item))
            entities.append({
                "prefix": row[0], "name": row[1], "adif": int(row[2]), "cont": row[3],
                "cq": int(row[4]), "itu": int(row[5]), "lat": float(row[6]),
                "lon": -float(row[7]), "utc": -float(row[8]),
                "prefixes": list(dict.fromkeys(prefixes)), "exact": list(dict.fromkeys(exact)),
                "cq_all": sorted(zones_cq | {int(row[4])}),
                "itu_all": sorted(zones_itu | {int(row[5])}),
            })
    by_adif = {}
    for e in entities:
        by_adif.setdefault(e["adif"], e)
    for row in wae:
        e = by_adif.get(int(row[2]))
        if e is None:
            continue
        calls = [_bare(item[1:]) for item in row[9].rstrip(";").split() if item.startswith("=")]
        e["exact"] = list(dict.fromkeys(e["exact"] + calls))
    return entities


class Cty:
    """cty.csv's own rule: a whole call listed with "=" first, else the longest prefix."""

    def __init__(self, entities):
        self.by_prefix, self.by_call = {}, {}
        for i, e in enumerate(entities):
            for p in e["prefixes"]:
                self.by_prefix[p] = i
            for c in e["exact"]:
                self.by_call.setdefault(c, i)

    def head(self, text):
        for n in range(len(text), 0, -1):
            if text[:n] in self.by_prefix:
                return self.by_prefix[text[:n]]
        return None

    def call(self, call):
        return self.by_call[call] if call in self.by_call else self.head(call)

    def above(self, prefix):
        """The entity of the longest prefix shorter than `prefix` that begins it."""
        return self.head(prefix[:-1]) if len(prefix) > 1 else None


def call_key(call):
    """The program's reading of a call (DxKeyOfCall): what tells its entity, and the forms in
    which a whole call is matched, in that order; None for a station in the air or at sea."""
    parts = [p for p in call.upper().split("/") if p]
    forms = ["/".join(parts)]
    less = list(parts)
    while len(less) > 1 and less[-1] in WAYS_OF_OPERATING:
        less.pop()
        forms.append("/".join(less))

    def digit(p):
        return len(p) == 1 and p.isdigit()

    for i in range(1, len(parts) - 1):
        if digit(parts[i]):
            if any(p in ("AM", "MM") for p in parts[i + 1:]):
                return None
            parts = parts[:i + 1]
            break
    area = None
    while len(parts) > 1:
        last = parts[-1]
        if last in ("AM", "MM"):
            return None
        if last in WAYS_OF_OPERATING:
            parts.pop()
        elif digit(last) and area is None:
            area = last
            parts.pop()
        else:
            break
    home = 0
    for i in range(1, len(parts)):
        if len(parts[i]) >= len(parts[home]):
            home = i
    for i, p in enumerate(parts):
        if i != home and (len(p) > 1 or p in "FGIKMNRW"):
            return p, forms
    key = parts[home]
    if area is not None:
        at = max((i for i, ch in enumerate(key) if ch.isdigit()), default=None)
        if at is not None:
            key = key[:at] + area + key[at + 1:]
    if key == parts[home] and key not in forms:
        forms.append(key)
    return key, forms


def whole_calls_apart(entities, cty):
    """Entity index -> the whole calls the program would not give it otherwise: those its prefix does
    not give, and those a form of which without its ways of operating is listed for another entity
    ("GO4ONL/P" beside "GO4ONL"); not one that a later form listed for its entity finds anyway."""
    reads = {}
    for i, e in enumerate(entities):
        for c in e["exact"]:
            read = call_key(c)
            if read is not None and cty.by_call[c] == i:
                reads[c] = (i, read)
    listed = {}

    def found(key, forms):
        return next((listed[f] for f in forms if f in listed), cty.head(key))

    grown = True
    while grown:
        grown = False
        for c, (i, (key, forms)) in reads.items():
            if c not in listed and found(key, forms) != i:
                listed[c] = i
                grown = True
    for c in list(listed):
        i, (key, forms) = reads[c]
        if found(key, forms[1:]) == i:
            del listed[c]
    calls = defaultdict(list)
    for c, i in listed.items():
        calls[i].append("=" + c)
    return calls


def ordinary_call(cty, prefix, entity):
    """A call built from a prefix: the prefix with a suffix, or with an area digit and a suffix when
    it has no digit (the first digit that keeps the call with its entity)."""
    for suffix in ("AB", "XZ", "QQ"):
        if any(ch.isdigit() for ch in prefix):
            call = prefix + suffix
            if call not in cty.by_call:
                return call
            continue
        for digit in "1234567890":
            call = prefix + digit + suffix
            if call not in cty.by_call and cty.call(call) == entity:
                return call
        call = prefix + "1" + suffix
        if call not in cty.by_call:
            return call
    return prefix + "1AB"


def test_calls(entities, cty):
    """(call, searched text, entity cty.csv gives): one call built from every prefix; for an entity
    known only by whole calls, its first call without "/"; and each entity's main prefix operated
    from abroad ("KH6/JA1ABC"), whose searched text is the prefix."""
    calls = []
    for i, e in enumerate(entities):
        for p in e["prefixes"]:
            call = ordinary_call(cty, p, i)
            calls.append((call, call, cty.call(call)))
        if not e["prefixes"]:
            whole = next((c for c in e["exact"] if "/" not in c), None)
            if whole:
                calls.append((whole, whole, i))
        main = e["prefix"] if e["prefix"] in e["prefixes"] else (e["prefixes"] or [None])[0]
        if main:
            calls.append((main + PORTABLE_SUFFIX, main, cty.head(main)))
    return calls


def home_calls_abroad(entities):
    """(call, entity) for the whole calls of the entities whose stations keep the calls of their home
    countries (the bases in Antarctica: KC4AAA, KC4USV ...)."""
    return [(c, i) for i, e in enumerate(entities) if e["name"] in HOME_CALLS_ABROAD
            for c in e["exact"] if "/" not in c]


def ordinary_heads():
    """The first three characters of ordinary calls: letter digit letter, two letters and a digit,
    digit letter digit."""
    return ([a + d + b for a in LETTERS for d in DIGITS for b in LETTERS]
            + [a + b + d for a in LETTERS for b in LETTERS for d in DIGITS]
            + [d + a + e for d in DIGITS for a in LETTERS for e in DIGITS])


def table_lines(entities, tails):
    """The lines of the table in order: (entity index, items), an item a prefix or "=" and a whole
    call. `tails` are the bytes each entity's line needs after its items."""
    listed = {}
    for i, e in enumerate(entities):
        for p in e["prefixes"]:
            listed.setdefault(p, i)

    def above(text):
        """The entity of the longest listed prefix that begins `text` (itself included), or None."""
        for n in range(len(text), 0, -1):
            if text[:n] in listed:
                return listed[text[:n]]
        return None

    for p in sorted(listed, key=len, reverse=True):
        if len(p) > 1 and above(p[:-1]) == listed[p]:
            del listed[p]
    branches = sorted({p[:n] for p in listed for n in range(1, len(p))}, key=len, reverse=True)
    for text in branches:
        want = above(text) if text not in listed else None
        if want is not None and any(listed[p] != want for p in _topmost_below(listed, text)):
            listed[text] = want

    def depth(p):
        return sum(p[:n] in listed for n in range(1, len(p)))

    groups = defaultdict(list)
    for p, i in listed.items():
        groups[(depth(p), i)].append(p)
    japan = next(i for i, e in enumerate(entities) if e["prefix"] == JAPAN)
    calls = whole_calls_apart(entities, Cty(entities))
    lines = []
    for items, i in [(groups[g], g[1]) for g in sorted(groups, key=lambda g: (g[0], g[1] != japan, g[1]))] + \
            [(calls[i], i) for i in sorted(calls)]:
        line = []
        for p in sorted(items, key=lambda p: (len(p), p)):
            if line and len(";".join(line + [p]) + tails[i]) > LINE_BYTES:
                lines.append((i, line))
                line = []
            line.append(p)
        lines.append((i, line))
    return lines


def _topmost_below(listed, text):
    """The listed prefixes that begin with `text` (longer than it) and have no listed prefix between."""
    below = [p for p in listed if p.startswith(text) and p != text]
    return [p for p in below if not any(p[:n] in listed for n in range(len(text) + 1, len(p)))]


def found_share(entities, lines, calls=None):
    """How many calls the table finds (the test calls, or (call, searched text) pairs given), and the
    misses as (call, wanted, found)."""
    cty = Cty(entities)
    first = {}  # a searched text -> the entity of the first line holding a prefix that begins with it
    whole = {}  # a whole call -> the entity of the first line holding it
    for i, items in reversed(lines):
        for p in items:
            if p.startswith("="):
                whole[p[1:]] = i
                continue
            for n in range(1, len(p) + 1):
                first[p[:n]] = i
    if calls is None:
        calls = [c for c in test_calls(entities, cty) if c[2] is not None]
    else:
        calls = [(call, key, cty.call(call)) for call, key in calls if cty.call(call) is not None]
    misses = []
    for call, key, want in calls:
        got = whole.get(key)
        for n in range(1, len(key) + 1 if got is None else 0):  # the last search with hits decides
            if key[:n] not in first:
                break
            got = first[key[:n]]
        if got != want:
            misses.append((call, want, got))
    return len(calls) - len(misses), len(calls), misses
