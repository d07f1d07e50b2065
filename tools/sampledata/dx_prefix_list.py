"""The prefix list beside the code master (dx_prefixes.csv): which prefixes of 1 to 3 characters the
kind index of HAMLOG's master holds for each DX entity, so that the entry window's DX code search
finds the entity of a call.

The search (the Down key in the entry window's call box) takes the call, or the prefix of two
characters or more that it is operated under (a single area digit after the "/" takes the place of
the call's own), and looks up "3" and its first 3 characters in the kind index; when nothing there
begins with that text, its first 2, then its first character. The first index key that begins with
the searched text gives a master record (of equal keys, the first record). A record of code 732
stands for Asiatic or European Russia by the last searched character (1 3 4 5 6 European, 8 9 0
Asiatic, 7 none). The other entities the index holds under the same three characters, and every
later record of the master whose own prefix (its IDX and AREA fields) begins with the searched
characters, join the hit in a list for the operator's pick.

So the index needs a key of its own wherever the first key that begins with a searched text would
lead elsewhere: "RA" for European Russia, lest "3RA" take "3RA0" of Asiatic Russia; "RA3" where a
shorter key would lead to the wrong Russia. Where entities differ only from the fourth character on
(Perm and Komi, UA9F UA9G UA9X, in European Russia under Asiatic Russia's UA9), both hold the three
and the search offers both. Each prefix is chosen by what it decides: the calls built from cty.csv's
prefixes (what tests/logbook checks), the heads of ordinary calls, the whole calls of the bases in
Antarctica, and the calls in use of MASTER.SCP; of equal choices, the one with the shorter lists.

Only the standard library is used; the result is the same on every run.
"""

import bisect
from collections import defaultdict

import dxcc_table

KIND_DX = "3"
JAPAN_CODE = "500"
RUSSIA_BY_DIGIT = "732"
EUROPEAN_DIGITS = "13456"
ASIATIC_DIGITS = "890"
LONGEST_PICK_LIST = 8
JAPANESE_HEADS = set("JA JD JE JF JG JH JI JJ JK JL JM JN JO JP JQ JR JS 7J 7K 7L 7M 7N 8J 8K 8L 8M 8N".split())


def search_key(call):
    """The text the search looks up for a call: the prefix operated under when it has two characters
    or more, else the home call, in which a single area digit after the "/" stands for the last
    digit."""
    p = call.rfind("/")
    if p < 0:
        return call
    left, right = call[:p], call[p + 1:]
    if right in ("P", "M", "MM", "QRP", "B"):
        return left
    if len(right) == 1 and right.isdigit():
        digits = [i for i, ch in enumerate(left) if ch.isdigit()]
        return left[:digits[-1]] + right + left[digits[-1] + 1:] if digits else left
    if not left:
        return right
    if left[-1].isdigit():
        base, affix = right, left
    else:
        base, affix = left, right
        if len(base) <= len(affix):
            base, affix = affix, base
    return affix if len(affix) > 1 else base


class Search:
    """The entry window's search over the master's DX records (in file order: code, entity index,
    own prefix of three characters padded with blanks) and a prefix list {prefix: entity indexes}."""

    def __init__(self, records, prefixes=()):
        self.records = records
        self.record_of, self.code_record = {}, {}
        self.own = defaultdict(list)
        for r, (code, entity, own) in enumerate(records):
            self.record_of.setdefault(entity, r)
            self.code_record.setdefault(code, r)
            self.own[KIND_DX + own].append(r)
        self.prefixes = {}
        self.heads = defaultdict(list)  # "3" and 1 or 2 characters -> the keys beginning so, sorted
        for key in self.own:
            self._add_key(key)
        for p, es in dict(prefixes).items():
            self.assign(p, es)
        self._later_cache = {}

    def _add_key(self, key):
        for n in (2, 3):
            keys = self.heads[key[:n]]
            i = bisect.bisect_left(keys, key)
            if i == len(keys) or keys[i] != key:
                keys.insert(i, key)

    def _drop_key(self, key):
        if key in self.own:
            return
        for n in (2, 3):
            self.heads[key[:n]].remove(key)

    def assign(self, prefix, entities):
        """The entities the list holds under the prefix (none: it leaves the prefix out)."""
        key = KIND_DX + prefix.ljust(3)
        if prefix in self.prefixes:
            del self.prefixes[prefix]
            self._drop_key(key)
        if entities:
            self.prefixes[prefix] = tuple(entities)
            self._add_key(key)

    def key_records(self, key):
        """The records an index key leads to, in index order."""
        listed = self.prefixes.get(key[1:].rstrip(), ())
        return sorted(set(self.own.get(key, [])) | {self.record_of[e] for e in listed})

    def found(self, key):
        """The entities the search lists for `key`, the hit first; None when it stops without a word
        on Japan."""
        rs = []
        for n in (3, 2, 1):
            text = KIND_DX + key[:n]
            if len(text) == 4:
                rs = self.key_records(text)
            else:
                keys = self.heads.get(text)
                rs = self.key_records(keys[0])[:1] if keys else []
            if rs:
                break
        if not rs:
            return ()
        r = rs[0]
        code = self.records[r][0]
        if code.startswith(JAPAN_CODE):
            return None
        if code.startswith(RUSSIA_BY_DIGIT):
            c = key[n - 1:n] if n <= len(key) else ""
            if c == "7":
                return ()
            if c and c in EUROPEAN_DIGITS:
                r = self.code_record["733A"]
            elif c and c in ASIATIC_DIGITS:
                r = self.code_record["732A"]
        sharing = [k for k in rs[1:] if not self.records[k][0].startswith(JAPAN_CODE)]
        listed = [r] + sharing + self._later(r, n, key[:n])
        return tuple(dict.fromkeys(self.records[k][1] for k in listed))

    def _later(self, r, n, head):
        got = self._later_cache.get((r, n, head))
        if got is None:
            got = [k for k in range(r + 1, len(self.records)) if self.records[k][2][:n] == head]
            self._later_cache[(r, n, head)] = got
        return got


def goals(entities, cty, calls_in_use=()):
    """{(searched text cut to 3 characters, entity cty.csv gives): weight} for the calls built from
    cty.csv's prefixes, the heads of ordinary calls and the calls in use."""
    weight = defaultdict(int)

    def add(call, want, w=1):
        key = search_key(call)
        if want is None or (key[:2] in JAPANESE_HEADS and entities[want]["prefix"] != "JA"):
            return  # a Japanese call under a one-letter prefix is searched as Japanese: no list helps
        weight[(key[:3], want)] += w

    for call, _text, want in dxcc_table.test_calls(entities, cty):
        add(call, want)
    for head in dxcc_table.ordinary_heads():
        add(head + "ZZ", cty.head(head))
    for call in calls_in_use:
        add(call, cty.call(call))
    for call, want in dxcc_table.home_calls_abroad(entities):
        add(call, want)
    return weight


def choose(entities, calls_in_use=()):
    """The prefix list: (code, prefix) pairs, by code and then by prefix, and the search over it. The
    entities carry their master code and own prefix ("code", "own")."""
    cty = dxcc_table.Cty(entities)
    records = sorted((e["code"], i, e["own"]) for i, e in enumerate(entities))
    cty_prefixes = {p: (i,) for i, e in enumerate(entities) for p in e["prefixes"] if _listable(p)}
    search = Search(records, cty_prefixes)
    weight = goals(entities, cty, calls_in_use)
    by_head = defaultdict(list)
    for (key, want), w in sorted(weight.items()):
        for n in range(1, len(key) + 1):
            by_head[key[:n]].append((key, want, w))

    def score(affected):
        """Calls found, then the shorter pick lists."""
        found = listed = 0
        for key, want, w in affected:
            got = search.found(key)
            found += w * _finds(got, want, entities)
            listed -= w * len(got or ())
        return found, listed

    for _round in range(4):
        changes = 0
        for s in sorted(by_head, key=lambda t: (len(t), t)):
            shorter = [g for n in range(1, len(s)) for g in by_head[s[:n]] if len(g[0]) == n]
            affected = by_head[s] + shorter
            current = search.prefixes.get(s, ())
            wants = defaultdict(int)
            for _key, want, w in affected:
                wants[want] += w
            top = sorted(wants, key=lambda e: (-wants[e], e))[:4]
            options = [current, cty_prefixes.get(s, ()), ()] + [(e,) for e in top]
            if len(s) == 3:  # several entities under one full key are all listed
                options += [tuple(top[:k]) for k in range(2, len(top) + 1)]
            best, best_score = current, score(affected)
            for option in dict.fromkeys(options):
                if option == current:
                    continue
                search.assign(s, option)
                got = score(affected)
                if got > best_score:
                    best, best_score = option, got
            search.assign(s, best)
            changes += best != current
        if not changes:
            break
    pairs = sorted((entities[e]["code"], p) for p, es in search.prefixes.items() for e in es)
    return pairs, search


def _listable(prefix):
    return 1 <= len(prefix) <= 3 and prefix.isalnum() and prefix.isascii() and prefix.upper() == prefix


def _finds(found, want, entities):
    """Found: the one entity, or a pick list short enough to read that holds it; Japan is found when
    the search stops on it."""
    if found is None:
        return entities[want]["prefix"] == "JA"
    return want in found and len(found) <= LONGEST_PICK_LIST


def found_share(entities, search, calls):
    """How many of the (call, entity) pairs the search finds, and the misses."""
    misses = [(call, want) for call, want in calls
              if want is None or not _finds(search.found(search_key(call)), want, entities)]
    return len(calls) - len(misses), len(calls), misses
