"""The prefixes of the DXCC entity table (home/CodeLib.txt): which ones each entity's line holds and
in which order the entities stand.

The program finds an entity by prefix the way the progress sheet does with a typed call: it searches
the first 1, 2, 3 ... characters of the call (or of its "/" affix) among the listed prefixes, each
cut to the searched length, and the last search with hits decides; of its hits the first entity in
table order is taken. A line holds at most 149 bytes, far too few for the hundreds of prefixes
cty.csv gives some entities, so each line keeps the prefixes that decide calls:

- prefixes that only repeat their entity below a shorter prefix of the same entity are left out,
  and a prefix is shortened while no other entity's prefix lies below the shorter one;
- an entity whose territory another entity's longer prefix cuts into gets that cut as a prefix of
  its own ("RA" for European Russia beside "RA9" of Asiatic Russia), so that its ordinary calls
  are not handed to the other one;
- where a line cannot hold everything, it keeps what decides most calls: the calls built from the
  prefixes of cty.csv (what tests/lookup checks), the three-character heads of ordinary calls, and
  the calls in use of MASTER.SCP beside cty.csv;
- entities are ordered so that where two meet under one searched text, the one cty.csv gives for
  such calls comes first; Japan stands first.

Only the standard library is used; the result is the same on every run.
"""

import csv
import re
from collections import defaultdict

LINE_BYTES = 149
HOME_CALLS_ABROAD = ("Antarctica",)
JAPAN = "JA"
PORTABLE_SUFFIX = "/JA1ABC"
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"


def _bare(item):
    """A cty.csv prefix or call without its zone and position overrides."""
    return re.sub(r"[\(\[<{~].*$", "", item)


def read_cty(path):
    """DXCC entities of cty.csv in file order (WAE-only rows left out): prefix, name, ADIF number,
    continent, zones, position, UTC offset, the prefixes and the whole calls listed with "="."""
    entities = []
    with open(path, encoding="ascii") as f:
        for row in csv.reader(f):
            if not row or row[0].startswith("*"):
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


class _Index:
    """Which entities hold a listed prefix that begins with each text."""

    def __init__(self, n):
        self.count = defaultdict(lambda: defaultdict(int))
        self.lists = [[] for _ in range(n)]

    def add(self, i, s):
        self.lists[i].append(s)
        for k in range(1, len(s) + 1):
            self.count[s[:k]][i] += 1

    def remove(self, i, s):
        self.lists[i].remove(s)
        for k in range(1, len(s) + 1):
            c = self.count[s[:k]]
            c[i] -= 1
            if c[i] == 0:
                del c[i]
            if not c:
                del self.count[s[:k]]

    def hits(self, key):
        """The entities of the last search with hits for `key` (its longest leading part that a
        listed prefix begins with), or None."""
        last = None
        for k in range(1, len(key) + 1):
            c = self.count.get(key[:k])
            if not c:
                break
            last = c
        return last

    def found(self, key, rank):
        """The entity the search finds for `key`, or None."""
        last = self.hits(key)
        return None if last is None else min(last, key=rank.__getitem__)


def choose(entities, tails, used_calls=()):
    """Per entity the listed prefixes, and the entities' order (a list of indexes).

    `tails` are the bytes each line needs after its prefixes; `used_calls` are calls in use."""
    cty = Cty(entities)
    n = len(entities)
    budget = [LINE_BYTES - len(t) for t in tails]

    # What to get right, with weights: the calls of the test, ordinary call heads, calls in use.
    goals = [(key, want, 1) for _call, key, want in test_calls(entities, cty) if want is not None]
    for head in ordinary_heads():
        want = cty.head(head)
        if want is not None:
            goals.append((head + "ZZ", want, 1))
    in_use = defaultdict(int)
    for call in used_calls:
        want = cty.call(call)
        if want is not None:
            in_use[(call[:5], want)] += 1
    goals += [(key, want, w) for (key, want), w in sorted(in_use.items())]
    by_head = defaultdict(list)
    for g in goals:
        by_head[g[0][:1]].append(g)

    # Candidates: the prefixes that change the entity, shortened while nothing else lies below.
    below = defaultdict(set)
    for i, e in enumerate(entities):
        for p in e["prefixes"] or e["exact"]:
            for k in range(1, len(p) + 1):
                below[p[:k]].add(i)

    def shortened(s, i):
        best = s
        for k in range(len(s) - 1, 0, -1):
            t = s[:k]
            if below[t] - {i} or cty.head(t) not in (None, i):
                break
            best = t
        return best

    own = []
    for i, e in enumerate(entities):
        if e["prefixes"]:
            listed = [p for p in e["prefixes"] if cty.above(p) != i]
        else:
            listed = [c for c in e["exact"] if "/" not in c]
        own.append(list(dict.fromkeys(shortened(p, i) for p in listed)))
    # Cuts into another entity's territory, offered to that entity.
    cuts = defaultdict(set)
    for j, strings in enumerate(own):
        for s in strings:
            for k in range(1, len(s)):
                owner = cty.head(s[:k])
                if owner is not None and owner != j:
                    cuts[owner].add(s[:k])
    offered = [list(dict.fromkeys(own[i] + sorted(cuts[i], key=lambda q: (len(q), q)))) for i in range(n)]
    # Kept whatever else is dropped: the prefixes no other prefix stands above, and the entity's
    # main prefix, which the prefix list window shows as the entity's own.
    roots = [{p for p in own[i] if p in cty.by_prefix and cty.above(p) is None} for i in range(n)]
    for i, e in enumerate(entities):
        if e["prefix"] in e["prefixes"]:
            roots[i].add(e["prefix"])
            if e["prefix"] not in offered[i]:
                offered[i].insert(0, e["prefix"])

    def size(strings):
        return len(";".join(strings))

    def deepest_value(i, s, strings):
        v = 0
        for key, want, w in by_head[s[0]]:
            if want == i and key.startswith(s) and max((x for x in strings if key.startswith(x)), key=len) == s:
                v += w
        return v

    index = _Index(n)
    for i in range(n):
        if size(offered[i]) <= budget[i]:
            chosen = list(offered[i])
        else:
            chosen = sorted(roots[i], key=lambda s: (len(s), s))
            rest = [s for s in offered[i] if s not in roots[i]]
            rest.sort(key=lambda s: (-deepest_value(i, s, offered[i]) / (len(s) + 1), len(s), s))
            for s in rest:
                if size(chosen + [s]) <= budget[i]:
                    chosen.append(s)
        for s in chosen:
            index.add(i, s)

    japan = next(i for i, e in enumerate(entities) if e["prefix"] == JAPAN)

    def order():
        weight = defaultdict(int)
        for key, want, w in goals:
            last = index.hits(key)
            if last is None or want not in last:
                continue
            for other in last:
                if other != want:
                    weight[(want, other)] += w
        return _linear_order(n, weight, first=japan)

    def score(goal_list, rank):
        return sum(w for key, want, w in goal_list if index.found(key, rank) == want)

    def affected(s, start):
        return [g for g in by_head[s[0]] if g[0].startswith(s[:start])]

    rank = order()
    for _round in range(8):
        changes = 0
        for i in range(n):
            full = size(offered[i]) > budget[i]
            for s in list(index.lists[i]):
                if s in roots[i]:
                    continue
                # From the shortest text below which this is the entity's only prefix, the search
                # changes; above it nothing does.
                start = next((k for k in range(1, len(s) + 1) if index.count[s[:k]][i] == 1), None)
                goal_list = affected(s, start) if start else []
                before = score(goal_list, rank)
                index.remove(i, s)
                if score(goal_list, rank) >= before + (0 if full else 1):
                    changes += 1
                else:
                    index.add(i, s)
            for s in offered[i]:
                if s in index.lists[i] or size(index.lists[i] + [s]) > budget[i]:
                    continue
                start = next((k for k in range(1, len(s) + 1) if index.count.get(s[:k], {}).get(i, 0) == 0),
                             len(s))
                goal_list = affected(s, start)
                before = score(goal_list, rank)
                index.add(i, s)
                if score(goal_list, rank) > before:
                    changes += 1
                else:
                    index.remove(i, s)
        rank = order()
        if changes == 0:
            break
    lists = [sorted(index.lists[i], key=lambda s: (len(s), s)) for i in range(n)]
    return lists, sorted(range(n), key=rank.__getitem__)


def _linear_order(n, weight, first):
    """An order of 0..n-1 that keeps as much weight of (a before b) as it can (greedy of Eades, Lin
    and Smyth): sinks to the end, sources to the front, else the most outgoing weight next."""
    out, into = defaultdict(set), defaultdict(set)
    for (a, b) in weight:
        out[a].add(b)
        into[b].add(a)
    left, right, rest = [first], [], set(range(n)) - {first}
    while rest:
        moved = True
        while moved:
            moved = False
            for v in sorted(rest):
                if v in rest and not (out[v] & rest):
                    right.append(v)
                    rest.discard(v)
                    moved = True
            for v in sorted(rest):
                if v in rest and not (into[v] & rest):
                    left.append(v)
                    rest.discard(v)
                    moved = True
        if rest:
            def gain(v):
                return (sum(weight[(v, u)] for u in out[v] if u in rest)
                        - sum(weight[(u, v)] for u in into[v] if u in rest))
            v = max(sorted(rest), key=gain)
            left.append(v)
            rest.discard(v)
    ordered = left + right[::-1]
    return {v: k for k, v in enumerate(ordered)}


def found_share(entities, lists, ordered, calls=None):
    """How many calls the table finds (the test calls, or (call, searched text) pairs given), and the
    misses as (call, wanted, found)."""
    cty = Cty(entities)
    index = _Index(len(entities))
    for i, strings in enumerate(lists):
        for s in strings:
            index.add(i, s)
    rank = {v: k for k, v in enumerate(ordered)}
    if calls is None:
        calls = [c for c in test_calls(entities, cty) if c[2] is not None]
    else:
        calls = [(call, key, cty.call(call)) for call, key in calls if cty.call(call) is not None]
    misses = [(call, want, got) for call, key, want in calls
              if (got := index.found(key, rank)) != want]
    return len(calls) - len(misses), len(calls), misses
