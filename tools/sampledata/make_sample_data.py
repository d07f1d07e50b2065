#!/usr/bin/env python3
"""Regenerates the sample files under data/ from the reference lists.

Usage: make_sample_data.py [SHARED_DATA_DIR] [--cty CTY_CSV] [--out DATA_DIR]

SHARED_DATA_DIR holds ACAG.DAT and allcity.dat (default: ../shared/data beside
the repository); CTY_CSV is Debian's hamradio-files list of DXCC entities.
Only the standard library is used, and a fixed seed makes every run write the
same bytes.
"""

import argparse
import csv
import datetime
import os
import random
import re
import sys

import dx_prefix_list
import dxcc_table

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
DEFAULT_SHARED = os.path.join(REPO, "..", "shared", "data")
DEFAULT_CTY = "/usr/share/hamradio-files/cty.csv"
# Calls in use (the contesters' check list of the same package), beside cty.csv: they weigh the
# prefixes of the master's prefix list and measure both tables.
CALLS_IN_USE = "MASTER.SCP"
DEFAULT_OUT = os.path.join(REPO, "data")
INITIALS = os.path.join(HERE, "initials.tsv")

SEED = 5_2026
LOG_SIZE = 3000

# Prefecture number -> (name, call area, latitude, longitude of its capital).
PREFECTURES = {
    1: ("北海道", "8", 43.06, 141.35), 2: ("青森県", "7", 40.82, 140.74),
    3: ("岩手県", "7", 39.70, 141.15), 4: ("秋田県", "7", 39.72, 140.10),
    5: ("山形県", "7", 38.24, 140.36), 6: ("宮城県", "7", 38.27, 140.87),
    7: ("福島県", "7", 37.75, 140.47), 8: ("新潟県", "0", 37.90, 139.02),
    9: ("長野県", "0", 36.65, 138.18), 10: ("東京都", "1", 35.69, 139.69),
    11: ("神奈川県", "1", 35.45, 139.64), 12: ("千葉県", "1", 35.61, 140.12),
    13: ("埼玉県", "1", 35.86, 139.65), 14: ("茨城県", "1", 36.34, 140.45),
    15: ("栃木県", "1", 36.57, 139.88), 16: ("群馬県", "1", 36.39, 139.06),
    17: ("山梨県", "1", 35.66, 138.57), 18: ("静岡県", "2", 34.98, 138.38),
    19: ("岐阜県", "2", 35.39, 136.72), 20: ("愛知県", "2", 35.18, 136.91),
    21: ("三重県", "2", 34.73, 136.51), 22: ("京都府", "3", 35.02, 135.76),
    23: ("滋賀県", "3", 35.00, 135.87), 24: ("奈良県", "3", 34.69, 135.83),
    25: ("大阪府", "3", 34.69, 135.52), 26: ("和歌山県", "3", 34.23, 135.17),
    27: ("兵庫県", "3", 34.69, 135.18), 28: ("富山県", "9", 36.70, 137.21),
    29: ("福井県", "9", 36.07, 136.22), 30: ("石川県", "9", 36.59, 136.63),
    31: ("岡山県", "4", 34.66, 133.93), 32: ("島根県", "4", 35.47, 133.05),
    33: ("山口県", "4", 34.19, 131.47), 34: ("鳥取県", "4", 35.50, 134.24),
    35: ("広島県", "4", 34.40, 132.46), 36: ("香川県", "5", 34.34, 134.04),
    37: ("徳島県", "5", 34.07, 134.56), 38: ("愛媛県", "5", 33.84, 132.77),
    39: ("高知県", "5", 33.56, 133.53), 40: ("福岡県", "6", 33.61, 130.42),
    41: ("佐賀県", "6", 33.25, 130.30), 42: ("長崎県", "6", 32.74, 129.87),
    43: ("熊本県", "6", 32.79, 130.74), 44: ("大分県", "6", 33.24, 131.61),
    45: ("宮崎県", "6", 31.91, 131.42), 46: ("鹿児島県", "6", 31.56, 130.56),
    47: ("沖縄県", "6", 26.21, 127.68),
}

# Designated cities: name, JCC code, first day as a designated city.
DESIGNATED = [
    ("横浜市", "1101", "19560901"), ("名古屋市", "2001", "19560901"),
    ("京都市", "2201", "19560901"), ("大阪市", "2501", "19560901"),
    ("神戸市", "2701", "19560901"), ("北九州市", "4021", "19630401"),
    ("札幌市", "0101", "19720401"), ("川崎市", "1103", "19720401"),
    ("福岡市", "4001", "19720401"), ("広島市", "3501", "19800401"),
    ("仙台市", "0601", "19890401"), ("千葉市", "1201", "19920401"),
    ("さいたま市", "1344", "20030401"), ("静岡市", "1801", "20050401"),
    ("堺市", "2502", "20060401"), ("新潟市", "0801", "20070401"),
    ("浜松市", "1802", "20070401"), ("岡山市", "3101", "20090401"),
    ("相模原市", "1110", "20100401"), ("熊本市", "4301", "20120401"),
]
TOKYO_WARDS_CODE = "1001"
TOKYO_WARDS_NAME = "東京23区"
TOKYO_WARDS_AS_CITIES = "20100401"
# The six wards of Hamamatsu that were merged away on this day.
HAMAMATSU_REORGANISED = "20240101"

# Cities merged away, with their JCC codes and the day they ceased (the codes the current list
# leaves free). HAMLOG's master keeps such a place with "*" and the year and month after its name
# ("埼玉県浦和市*01/05"): the sheet hides it on request and the ACA form skips it when the reading
# period starts in a later year.
VANISHED_CITIES = [
    ("1017", "田無市", "20010121"), ("1018", "保谷市", "20010121"), ("1027", "秋川市", "19950901"),
    ("1301", "浦和市", "20010501"), ("1305", "大宮市", "20010501"), ("1313", "岩槻市", "20050401"),
    ("1320", "与野市", "20010501"), ("1326", "鳩ヶ谷市", "20111011"), ("2803", "新湊市", "20051101"),
]

# Slips in the reference lists, fixed here (address as listed -> addresses meant).
ALLCITY_FIXES = {
    "福島県伊達郡": ["福島県伊達郡桑折町"],
    "福島県田村郡桑折町": ["福島県田村郡三春町", "福島県田村郡小野町"],
    "茨城県東茨城郡": ["茨城県東茨城郡大洗町"],
    "新潟県岩船郡粟島浦": ["新潟県岩船郡粟島浦村"],
    "山形県西村山郡旭町": ["山形県西村山郡朝日町"],
    "岐阜県不破郡樽井町": ["岐阜県不破郡垂井町"],
    "京都府綴喜郡井出町": ["京都府綴喜郡井手町"],
    "山口県玖珂郡和気町": ["山口県玖珂郡和木町"],
    "徳島県三好郡東みよし郡": ["徳島県三好郡東みよし町"],
    "宮崎県児湯郡津野町": ["宮崎県児湯郡都農町"],
    "沖縄県島尻郡久米島村": ["沖縄県島尻郡久米島町"],
}
ACAG_NAME_FIXES = {"1112": "秦野市"}

# Kind values of the code master.
KIND_DX, KIND_CITY, KIND_GUN, KIND_WARD, KIND_TOWN, KIND_VILLAGE = "3", "4", "5", "6", "7", "8"

# DX entities whose calls are told apart by their call-area digit keep these numbers.
FIXED_DX_NUMBERS = {"UA9": 732, "UA": 733, "VE": 758, "K": 784}
FIRST_DX_NUMBER = 500  # Japan; the DX rows start here

# The record book's "合併最新情報サイト" opens this shortcut: the ministry's pages on municipal mergers.
MERGER_SITE = "https://www.soumu.go.jp/gapei/"

TOP_TIPS = [
    "最初に「環境設定」で自局のコールサインと HAMLOG.HDB の場所を指定してください。",
    "「抽出条件」で期間(YYYYMMDD)とモードを選べます。モードを MIX にすると全モードを集計します。",
    "「ｶｳﾝﾄから除外するQSL区分」に書いたQSL区分(QSL欄の1文字目)の交信は集計から外れます。初期値は P です。",
    "HAMLOG のデータが前回から変わっていなければ「前回データで起動」にチェックが付き、読み込みを省いて早く起動します。",
    "読み込み中に Esc キーを押すと読み込みを中止できます。",
    "政令指定都市は 政令指定都市定義.txt に「市名,ＪＣＣコード,発足日(yyyymmdd)」の形で書かれています。市の追加や発足日の変更はこのファイルを編集してください。",
    "QSL受領とみなすマークは環境設定で15種類まで指定できます。「空以外全て受領扱い」にすると受領欄が空でない交信をすべて C にします。",
    "どのバンドにも当てはまらない周波数の交信は FreqError_Report.txt に書き出されます。",
]

SHEET_TIPS = [
    "検索欄に数字を入れるとコードを、漢字を入れるとQTH名を、ひらがなを入れると読みの頭文字で探します。",
    "検索欄の先頭を D にすると DX のプリフィックスで探します(例: DVK)。ダブルクリックで次の候補へ進みます。",
    "検索のあと ↓ か PageDown で次の候補、↑ か PageUp で前の候補へ移ります。",
    "「AREA」メニューでコールエリアや都道府県ごとに表示を絞れます。「ALL」で全体の表示に戻ります。",
    "「表示項目変更」で表示するバンドと種別(市・区・郡・町・村・DX)を選べます。消滅したQTHを隠すこともできます。",
    "W は交信済み、C はQSL受領済みです。マークのあるセルをクリックすると、その交信の一覧が出ます。",
    "町村の交信は、その町村の行と所属する郡の行の両方にマークが付きます。",
    "政令指定都市は発足日の前日までの交信を市として数え、発足日からは区として数えます。東京23区は2010年4月1日からの交信を市として数えます。",
    "Insert キーで検索欄とコールサイン欄の上書きと挿入を切り替えられます。",
]


# ---------------------------------------------------------------- reading


def read_acag(path):
    """Code -> name of every current city, gun and ward."""
    with open(path, "rb") as f:
        lines = f.read().decode("cp932").splitlines()
    names = {}
    for line in lines[1:]:
        if line.startswith("end of file"):
            break
        if not line.strip():
            continue
        code, name = line.split(None, 1)
        names[code] = ACAG_NAME_FIXES.get(code, name.strip())
    return names


def read_allcity(path):
    """(address, code) pairs in file order, with the known slips fixed."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line:
                continue
            address, code = line.split("\t")
            for a in ALLCITY_FIXES.get(address, [address]):
                rows.append((a, code))
    return rows


def split_prefecture(address):
    for number, (name, _area, _lat, _lon) in PREFECTURES.items():
        if address.startswith(name):
            return number, address[len(name):]
    raise ValueError("no prefecture in " + address)


def master_name(code, name):
    """The QTH name as HAMLOG's master holds it: cities, guns, towns, villages and Tokyo's wards
    begin with their prefecture ("北海道旭川市", "長野県小県郡", "東京都千代田区"); the wards of the
    designated cities begin with their city ("札幌市中央区"), the prefecture coming from the code."""
    if len(code) == 6 and code[-1].isdigit() and not code.startswith(TOKYO_WARDS_CODE):
        return name
    return PREFECTURES[int(code[:2])][0] + name


def gone_mark(day):
    """The mark of a place that ceased on `day` (yyyymmdd): "*" and "yy/mm"."""
    return "*%s/%s" % (day[2:4], day[4:6])


def town_part(rest, gun_name):
    """The town or village name that follows its gun in an address."""
    base = re.sub(r"\(.*?\)", "", gun_name)
    if rest.startswith(base):
        return rest[len(base):]
    if base.endswith("郡") and "郡" in rest:
        return rest[rest.index("郡") + 1:]
    return rest  # Tokyo's islands: no gun in the address


def read_initials(path):
    initials = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, name, kana = line.rstrip("\n").split("\t")
            initials[code] = (name, kana)
    return initials


# ---------------------------------------------------------------- master


def kind_of_town(name):
    for ch in reversed(name):
        if ch == "町":
            return KIND_TOWN
        if ch == "村":
            return KIND_VILLAGE
    raise ValueError("neither town nor village: " + name)


def build_japan(acag, allcity):
    """Rows {code, name, base, kind, pref} of every Japanese code, plus town details; `name` is the
    master's QTH name, `base` the place's own name (whose reading gives the initial)."""
    rows = []
    for code, name in acag.items():
        kind = {4: KIND_CITY, 5: KIND_GUN, 6: KIND_WARD}[len(code)]
        rows.append({"code": code, "base": name, "kind": kind})
    for name, code, _start in DESIGNATED:
        rows.append({"code": code, "base": name, "kind": KIND_CITY})
    rows.append({"code": TOKYO_WARDS_CODE, "base": TOKYO_WARDS_NAME, "kind": KIND_CITY,
                 "name": "東京都23区"})
    for code, name, day in VANISHED_CITIES:
        if code in acag:
            raise ValueError("a current city has the code of " + name)
        rows.append({"code": code, "base": name, "kind": KIND_CITY, "abolished_on": day})

    letters = {}
    for address, code in allcity:
        _pref, rest = split_prefecture(address)
        if len(code) == 6 and code not in acag:
            # A ward that the current list no longer has: abolished.
            rows.append({"code": code, "base": rest, "kind": KIND_WARD,
                         "abolished_on": HAMAMATSU_REORGANISED})
        elif len(code) == 5:
            town = town_part(rest, acag[code])
            if not town:
                raise ValueError("no town name in " + address)
            n = letters.get(code, 0)
            letters[code] = n + 1
            # A town or village is named by its whole address, gun included ("北海道虻田郡ニセコ町").
            rows.append({"code": code + chr(ord("A") + n), "base": town, "name": address,
                         "kind": kind_of_town(town), "gun": code})
    for r in rows:
        r["pref"] = int(r["code"][:2])
        r["area"] = PREFECTURES[r["pref"]][1]
        r.setdefault("name", master_name(r["code"], r["base"]))
        if r.get("abolished_on"):
            r["name"] += gone_mark(r["abolished_on"])
    return rows


def sort_key(code):
    """Order of the code master: prefecture, cities and wards before guns, rest of code."""
    c = code.ljust(6)
    flag = "0" if len(code) == 4 or (len(code) == 6 and code[-1].isdigit()) else "1"
    return (c[:2], flag, c[2:6])


def dx_prefix_field(prefix):
    head = prefix.split("/")[0][:3]
    return head[:2], head[2:3]


def build_dx(entities):
    japan = next(e for e in entities if e["prefix"] == "JA")
    numbers = {japan["prefix"]: FIRST_DX_NUMBER}
    numbers.update(FIXED_DX_NUMBERS)
    taken = set(numbers.values())
    n = FIRST_DX_NUMBER + 1
    for e in entities:
        if e["prefix"] in numbers:
            continue
        while n in taken:
            n += 1
        numbers[e["prefix"]] = n
        taken.add(n)
    rows = []
    for e in entities:
        idx, area = dx_prefix_field(e["prefix"])
        e["code"] = "%03dA" % numbers[e["prefix"]]
        e["own"] = idx.ljust(2) + area.ljust(1)  # the prefix of its master record
        rows.append({"code": e["code"], "name": e["name"], "kind": KIND_DX,
                     "idx": idx, "area": area, "lon": e["lon"]})
    rows.sort(key=lambda r: r["code"])
    return rows


def longitude_fields(lon):
    """Longitude in whole degrees (rounded) and "E" or "W"."""
    return ["%d" % int(abs(lon) + 0.5), "W" if lon < 0 else "E"]


def quoted(fields):
    return ",".join('"%s"' % f for f in fields)


def write_lines(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    text = "".join(line + "\r\n" for line in lines)
    with open(path, "wb") as f:
        f.write(text.encode("cp932"))


def assign_initials(rows, initials):
    missing = []
    for r in rows:
        entry = initials.get(r["code"])
        if entry is None or entry[0] != r["base"]:
            missing.append("%s\t%s" % (r["code"], r["base"]))
            continue
        r["idx"] = entry[1]
    if missing:
        sys.exit("initials.tsv lacks (or names differently):\n" + "\n".join(missing))


# ---------------------------------------------------------------- sample log


def maidenhead(lat, lon, chars):
    lon += 180.0
    lat += 90.0
    g = chr(ord("A") + int(lon // 20)) + chr(ord("A") + int(lat // 10))
    g += str(int(lon % 20 // 2)) + str(int(lat % 10))
    if chars == 6:
        g += chr(ord("A") + int(lon % 2 * 12)) + chr(ord("A") + int(lat % 1 * 24))
    return g


SURNAMES = ("佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 山田 佐々木 山口 松本 井上 木村 林 "
            "斎藤 清水 山崎 森 池田 橋本 阿部 石川 山下 中島 石井 小川 前田 岡田 長谷川 藤田 後藤 近藤 "
            "村上 遠藤 青木 坂本 斉藤 福田 太田 西村 藤井 金子 岡本 藤原 中野 三浦 原田 松田 竹内 小野").split()
GIVEN = "Taro Hiro Ken Akira Masa Yoshi Kazu Toshi Shin Takashi Nobu Yasu Makoto Osamu Jun Mitsu".split()
DX_NAMES = ("John Mike Bob Dave Jim Tom Bill Steve Paul Ivan Sergei Vlad Alex Hans Peter Jan Marco "
            "Luis Carlos Jose Kim Lee Park Wang Chen Li Zhang Raj Ali Ahmed Tony Ken Ray Joe").split()

# Call families: prefix letters, first and last year of issue, area digits allowed.
FAMILIES = [
    ("JA", 1952, 1969, None), ("JH", 1970, 1976, None), ("JR", 1975, 1980, None),
    ("JE", 1978, 1982, None), ("JF", 1980, 1984, None), ("JG", 1982, 1986, None),
    ("7K", 1982, 1986, "1234"), ("JI", 1984, 1988, None), ("JJ", 1985, 1989, None),
    ("7L", 1986, 1989, "1234"), ("JK", 1987, 1991, None), ("JL", 1988, 1992, None),
    ("7M", 1988, 1991, "1234"), ("JM", 1989, 1993, None), ("JN", 1990, 1994, None),
    ("7N", 1990, 1995, "1234"), ("JO", 1991, 1995, None), ("JP", 1992, 1996, None),
    ("JQ", 1993, 1998, None), ("JS", 1997, 2008, None),
]
REISSUED = ["JA", "JH", "JR", "JE", "JF", "JG", "JI", "JJ", "JK", "JL", "JM", "JN", "JO",
            "JP", "JQ", "JS", "7K", "7L", "7M", "7N"]
AREA_WEIGHTS = {"1": 30, "2": 11, "3": 15, "4": 7, "5": 4, "6": 9, "7": 7, "8": 6, "9": 3, "0": 5}
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"

# Popular DX entities for a Japanese operator (cty.csv prefixes) and their weights.
DX_WEIGHTS = {"K": 60, "UA9": 14, "UA": 10, "HL": 20, "BY": 14, "BV": 12, "VK": 16, "ZL": 6,
              "VE": 8, "KH6": 10, "KH2": 6, "KH0": 4, "DU": 8, "YB": 6, "9M2": 4, "HS": 4,
              "VR": 4, "DL": 6, "G": 4, "I": 3, "F": 3, "EA": 2, "KL": 3, "XE": 2, "PY": 2,
              "LU": 1, "ZS": 1, "VU": 3, "9V": 2, "FK": 1, "FO": 1, "3D2": 1, "P2": 1, "T8": 1,
              "V6": 1, "V7": 1, "JT": 2, "UN": 1, "XV": 2, "OH": 1, "SM": 1, "SP": 1, "OK": 1,
              "HA": 1, "4X": 1, "A6": 1}

# Entities (or their present prefixes) that a log cannot hold before these years.
DX_FROM = {"BY": 1985, "VR": 1997, "T8": 1994, "V6": 1988, "V7": 1988, "UN": 1992, "EY": 1992,
           "EX": 1992, "EZ": 1992, "UR": 1992, "4L": 1992, "ER": 1992, "YL": 1991, "LY": 1991,
           "ES": 1991, "EU": 1992, "EK": 1992, "4J": 1992, "S5": 1991, "9A": 1991, "E7": 1992,
           "Z3": 1993, "OM": 1993, "E4": 1999, "4O": 2006, "Z8": 2011, "Z6": 2018, "XV": 1990,
           "JT": 1980}

# (first year, weights) of the modes over time.
MODE_ERAS = [
    (1975, {"SSB": 45, "CW": 38, "FM": 13, "AM": 3, "RTTY": 1}),
    (1990, {"SSB": 43, "CW": 32, "FM": 18, "RTTY": 3, "SSTV": 2, "PACKET": 2}),
    (2000, {"SSB": 40, "CW": 30, "FM": 16, "RTTY": 5, "PSK31": 5, "SSTV": 2, "DV": 2}),
    (2010, {"SSB": 34, "CW": 28, "FM": 14, "RTTY": 4, "PSK31": 4, "JT65": 10, "DV": 4, "SSTV": 2}),
    (2018, {"FT8": 42, "CW": 22, "SSB": 17, "FM": 9, "DV": 3, "RTTY": 2, "FT4": 5}),
]
HF_BANDS = {"1.9": 3, "3.5": 9, "7": 30, "10": 4, "14": 12, "18": 4, "21": 12, "24": 3,
            "28": 8, "50": 9, "144": 4, "430": 2}
FM_BANDS = {"144": 52, "430": 38, "1200": 5, "50": 3, "28": 2}
DX_BANDS = {"7": 14, "10": 6, "14": 30, "18": 8, "21": 20, "24": 5, "28": 12, "50": 5}
WARC_FROM = {"10": 1982, "18": 1989, "24": 1989}
SEGMENTS = {  # band -> (CW low, CW high, phone low, phone high, digital spot)
    "1.9": (1.810, 1.825, 1.907, 1.912, 1.908), "3.5": (3.510, 3.530, 3.535, 3.570, 3.573),
    "7": (7.005, 7.030, 7.050, 7.180, 7.041), "10": (10.105, 10.125, 10.130, 10.140, 10.136),
    "14": (14.010, 14.060, 14.150, 14.300, 14.074), "18": (18.070, 18.095, 18.120, 18.160, 18.100),
    "21": (21.010, 21.070, 21.200, 21.400, 21.074), "24": (24.895, 24.915, 24.940, 24.980, 24.915),
    "28": (28.010, 28.070, 28.400, 29.000, 28.074), "50": (50.050, 50.090, 50.150, 50.600, 50.313),
    "144": (144.050, 144.090, 144.200, 144.400, 144.460), "430": (430.050, 430.090, 432.200, 432.400, 430.510),
    "1200": (1294.100, 1294.200, 1294.500, 1294.700, 1294.300),
}
DIGITAL_OFFSETS = {"FT8": 0.0, "FT4": 0.006, "JT65": 0.035, "PSK31": -0.003, "RTTY": -0.006,
                   "PACKET": 0.010}
FM_SPOTS = {"144": (145.000, 145.800), "430": (433.000, 434.000), "1200": (1295.000, 1295.800),
            "50": (51.000, 51.900), "28": (29.200, 29.300)}
# Frequencies a demo log should hold although no standard band takes them.
ODD_FREQUENCIES = [("4.630", "SSB"), ("6.950", "SSB"), ("27.185", "AM"), ("40.680", "FM"),
                   ("*10.241", "FM"), ("*10.250", "SSB"), ("0.1375", "CW"), ("0.4725", "CW")]
REMARKS = ["", "", "", "", "", "", "移動運用", "コンテスト", "ALL JA コンテスト", "QRP 5W",
           "FB QSO", "初交信", "ローカル", "モービル", "ｱﾜｰﾄﾞ用", "QSLカード希望", "DX ペディション"]
RIGS = {1975: ["FT-101 100W", "TS-520 100W", "IC-502 3W", "FT-401 100W"],
        1990: ["TS-930 100W", "IC-751 100W", "FT-736 10W", "TS-440 100W"],
        2005: ["IC-7400 100W", "FT-1000MP 100W", "TS-2000 50W", "IC-706 50W"],
        2015: ["IC-7300 100W", "FT-991 100W", "IC-9700 20W", "TS-890 100W", "FTDX10 100W"]}


def weighted(rng, table):
    keys = list(table)
    return rng.choices(keys, weights=[table[k] for k in keys])[0]


def era_value(table, year):
    value = None
    for first in sorted(table):
        if first <= year:
            value = table[first]
    return value


def modes_for(year):
    table = None
    for first, weights in MODE_ERAS:
        if first <= year:
            table = weights
    return table


def random_suffix(rng, n):
    return "".join(rng.choice(LETTERS) for _ in range(n))


def make_station_pool(rng, places_by_area):
    """Japanese stations: call, issue year, home place, name."""
    pool, seen = [], set()
    while len(pool) < 1400:
        year = rng.randint(1955, 2024)
        if year >= 2009 and rng.random() < 0.6:
            family, digits = rng.choice(REISSUED), None
        else:
            options = [f for f in FAMILIES if f[1] <= year <= f[2]] or [FAMILIES[-1]]
            family, _a, _b, digits = rng.choice(options)
        if family.startswith("7"):
            digits = "1234"
        area = rng.choice(digits) if digits else weighted(rng, AREA_WEIGHTS)
        letters = 2 if family == "JA" and year < 1960 else 3
        call = family + area + random_suffix(rng, letters)
        if call in seen:
            continue
        seen.add(call)
        home_area = "1" if family.startswith("7") else area
        home = rng.choice(places_by_area[home_area])
        name = rng.choice(SURNAMES) if rng.random() < 0.75 else rng.choice(GIVEN)
        pool.append({"call": call, "year": year, "home": home, "area": home_area,
                     "name": name, "weight": min(rng.paretovariate(1.2), 6.0),
                     "until": year + rng.randint(5, 60)})
    return pool


def station_for(rng, pool, year, area=None):
    active = [s for s in pool if s["year"] <= year <= s["until"] and area in (None, s["area"])]
    return rng.choices(active, weights=[s["weight"] for s in active])[0]


def cty_lookup(entities_by_prefix, call):
    """The entity whose longest prefix begins the call."""
    for n in range(len(call), 0, -1):
        if call[:n] in entities_by_prefix:
            return entities_by_prefix[call[:n]]
    return None


def dx_call(rng, entity, entities_by_prefix):
    head = entity["prefix"].split("/")[0]
    stems = [p for p in entity["prefixes"]
             if re.fullmatch(r"[A-Z0-9]{1,3}", p) and (p[-1].isdigit() or p.isalpha())]
    for _ in range(50):
        stem = head if rng.random() < 0.8 or not stems else rng.choice(stems)
        numbered = stem[-1].isdigit() or (len(stem) > 3 and any(ch.isdigit() for ch in stem))
        call = stem if numbered else stem + str(rng.randint(0, 9))
        call += random_suffix(rng, rng.choice([2, 2, 3, 3, 3] if len(call) < 3 else [2, 2, 3]))
        if cty_lookup(entities_by_prefix, call) is entity:
            return call
    return None


def frequency(rng, band, mode):
    if band == "SAT":
        return rng.choice(["435/145", "145/435", "435/145", "1269/435"])
    if mode == "FM":
        lo, hi = FM_SPOTS[band]
        step = 0.02 if band in ("144", "430", "1200") else 0.01
        f = lo + step * rng.randint(0, int((hi - lo) / step))
    else:
        cw_lo, cw_hi, ph_lo, ph_hi, spot = SEGMENTS[band]
        if mode in DIGITAL_OFFSETS:
            f = spot + DIGITAL_OFFSETS[mode]
        elif mode == "CW":
            f = rng.uniform(cw_lo, cw_hi)
        else:
            f = rng.uniform(ph_lo, ph_hi)
    return ("%.3f" % f) if f < 100 else ("%.2f" % f)


def report(rng, mode):
    if mode in ("FT8", "FT4", "JT65"):
        return "%+03d" % rng.randint(-22, 8)
    if mode in ("CW", "RTTY", "PSK31", "PACKET"):
        return rng.choice(["599", "599", "599", "589", "579", "559"])
    if mode == "SSTV":
        return rng.choice(["595", "575"])
    return rng.choice(["59", "59", "59", "58", "57", "55"])


def pick_band(rng, year, mode, dx):
    if mode == "FM":
        return weighted(rng, FM_BANDS)
    table = DX_BANDS if dx else HF_BANDS
    while True:
        band = weighted(rng, table)
        if year >= WARC_FROM.get(band, 0):
            if mode in ("FT8", "FT4", "JT65", "PSK31") and band in ("430", "1200"):
                continue
            return band


def qsl_field(rng, when, today, dx, mode):
    age = (today - when).days
    if dx:
        via = weighted(rng, {"J": 45, "D": 15, "E": 15 if when.year >= 2000 else 0, "M": 12, "N": 13})
    else:
        via = weighted(rng, {"J": 78, "N": 12, "E": 5 if when.year >= 2000 else 0, "D": 3, "P": 2})
    sent = " "
    if via != "N" and age > 120:
        sent = "*" if rng.random() < 0.9 else " "
    got = " "
    if via != "N":
        chance = 0.75 if age > 3650 else 0.55 if age > 730 else 0.25 if age > 120 else 0.03
        if mode in ("FT8", "FT4"):
            chance *= 0.8
        if rng.random() < chance:
            got = "E" if via == "E" and rng.random() < 0.5 else "*"
    return via + sent + got


def ja_code(rng, station, when, places_by_area, designated_by_code, portable_area):
    """The award code of a Japanese QSO at this date."""
    if portable_area:
        place = rng.choice(places_by_area[portable_area])
        if rng.random() < 0.6:  # portable operators like guns, towns and villages
            rural = [p for p in places_by_area[portable_area]
                     if p["kind"] in (KIND_GUN, KIND_TOWN, KIND_VILLAGE)]
            place = rng.choice(rural)
    else:
        place = station["home"]
    return place_code(rng, place, when, designated_by_code)


def place_code(rng, place, when, designated_by_code):
    code = place["code"]
    stamp = when.strftime("%Y%m%d")
    if place["kind"] == KIND_WARD and not code.startswith(TOKYO_WARDS_CODE):
        city = designated_by_code.get(code[:4])
        if city and stamp < city[2]:
            return code[:4], city[0]
    if place.get("abolished_on") and stamp >= place["abolished_on"]:
        return None, None
    if place.get("valid_from") and stamp < place["valid_from"]:
        return None, None
    if place["kind"] in (KIND_TOWN, KIND_VILLAGE) and rng.random() < 0.15:
        return place["gun"], place["gun_name"]  # logged with the gun code only
    return code, place["qth"]


def random_moment(rng, year_weights, first, last):
    while True:
        year = weighted(rng, year_weights)
        day = datetime.date(year, 1, 1) + datetime.timedelta(days=rng.randint(0, 365))
        if first <= day <= last and day.year == year:
            hour = weighted(rng, {h: (3 if 19 <= h <= 23 or 6 <= h <= 9 else 1) for h in range(24)})
            return datetime.datetime(day.year, day.month, day.day, hour, rng.randint(0, 59))


def build_log(japan_rows, entities):
    rng = random.Random(SEED)
    first, last = datetime.date(1975, 1, 1), datetime.date(2026, 11, 30)
    today = datetime.datetime(2026, 12, 1)
    year_weights = {}
    for y in range(1975, 2027):
        w = 60 if y < 1990 else 35 if y < 2000 else 25 if y < 2010 else 40 if y < 2018 else 80
        year_weights[y] = w

    designated_by_code = {code: (master_name(code, name), code, start) for name, code, start in DESIGNATED}
    places_by_area = {a: [] for a in "0123456789"}
    by_code = {r["code"]: r for r in japan_rows}
    for r in japan_rows:
        if r["code"] == TOKYO_WARDS_CODE or r["code"] in designated_by_code:
            continue
        p = {"code": r["code"], "kind": r["kind"], "qth": r["name"].split("*")[0], "pref": r["pref"]}
        if r["kind"] in (KIND_TOWN, KIND_VILLAGE):
            gun_name = re.sub(r"\(.*?\)", "", by_code[r["gun"]]["name"])
            p.update(gun=r["gun"], gun_name=gun_name)
        if r.get("abolished_on"):
            p["abolished_on"] = r["abolished_on"]
            if r["kind"] == KIND_WARD:
                p["valid_from"] = "20070401"
        elif r["code"] in ("180208", "180209"):
            p["valid_from"] = HAMAMATSU_REORGANISED
        share = {KIND_CITY: 6, KIND_WARD: 3, KIND_GUN: 2, KIND_TOWN: 2, KIND_VILLAGE: 2}[r["kind"]]
        places_by_area[r["area"]].extend([p] * share)

    pool = make_station_pool(rng, places_by_area)
    entities_by_prefix = {}
    for e in entities:
        for p in e["prefixes"]:
            entities_by_prefix.setdefault(p, e)
    dx_choices = {p: w for p, w in DX_WEIGHTS.items() if any(e["prefix"] == p for e in entities)}
    entity_of = {e["prefix"]: e for e in entities}

    qsos = []

    def add_ja(when, mode, code=None, qth=None, **fields):
        """One QSO of a station at home in the code's call area (or any area)."""
        area = PREFECTURES[int(code[:2])][1] if code else None
        while True:
            q = ja_qso(rng, when, mode, pool, places_by_area, designated_by_code, area=area,
                       band=fields.pop("band", None))
            if q and not (code and ("/" in q["call"] or q["call"].startswith("8J"))):
                break
        if code:
            q.update(code=code, qth=qth)
        q.update(fields, qsl=qsl_field(rng, when, today, False, mode))
        qsos.append(q)

    # Cases worth seeing in a demo: satellites, designated cities logged after their day, Tokyo's
    # whole-area code, abolished wards, cities worked before they vanished, frequencies of no band.
    for _ in range(6):
        add_ja(random_moment(rng, {y: 1 for y in range(1985, 2027)}, first, last),
               rng.choice(["FM", "SSB"]), band="SAT")
    for code in ("1801", "2502", "0801", "1110"):
        name, _c, start = designated_by_code[code]
        when = datetime.datetime.strptime(start, "%Y%m%d") + datetime.timedelta(
            days=rng.randint(0, 900), hours=20)
        add_ja(when, "SSB", code, name)
    for _ in range(2):
        add_ja(random_moment(rng, {y: 1 for y in range(1980, 2000)}, first, last), "CW",
               TOKYO_WARDS_CODE, "東京都")
    for r in [r for r in japan_rows if r.get("abolished_on") and r["kind"] == KIND_WARD][::2]:
        when = random_moment(rng, {y: 1 for y in range(2008, 2024)}, first, last)
        add_ja(when, weighted(rng, modes_for(when.year)), r["code"], r["name"].split("*")[0])
    for r in [r for r in japan_rows if r.get("abolished_on") and r["kind"] == KIND_CITY]:
        gone = datetime.datetime.strptime(r["abolished_on"], "%Y%m%d").date()
        when = random_moment(rng, {y: 1 for y in range(1975, gone.year)}, first, gone)
        add_ja(when, weighted(rng, modes_for(when.year)), r["code"], r["name"].split("*")[0])
    for freq, mode in ODD_FREQUENCIES:
        add_ja(random_moment(rng, {y: 1 for y in range(2012, 2027)}, first, last), mode, freq=freq)

    while len(qsos) < LOG_SIZE:
        when = random_moment(rng, year_weights, first, last)
        year = when.year
        mode = weighted(rng, modes_for(year))
        dx = rng.random() < 0.10
        if dx:
            qso = dx_qso(rng, when, mode, entity_of, dx_choices, entities_by_prefix, pool)
        else:
            qso = ja_qso(rng, when, mode, pool, places_by_area, designated_by_code)
        if qso is None:
            continue
        qso["qsl"] = qsl_field(rng, when, today, dx, mode)
        if qso["qsl"][0] == "M":
            mgr = station_for(rng, pool, year)["call"] if rng.random() < 0.5 else \
                rng.choice(["K", "W", "N"]) + str(rng.randint(1, 9)) + random_suffix(rng, 3)
            qso["rem1"] = "@" + mgr
        qsos.append(qso)

    qsos.sort(key=lambda q: q["sort"])
    return qsos


def ja_qso(rng, when, mode, pool, places_by_area, designated_by_code, band=None, area=None):
    station = station_for(rng, pool, when.year, area)
    call, portable = station["call"], None
    roll = rng.random()
    if roll < 0.012 and when.year >= 1985:
        area = weighted(rng, AREA_WEIGHTS)
        call = "8J" + area + random_suffix(rng, rng.choice([1, 2, 3]))
        portable = area
    elif roll < 0.10:
        portable = weighted(rng, AREA_WEIGHTS)
        if portable != station["area"]:
            call += "/" + portable
    elif roll < 0.11:
        call += "/M"
    code, qth = ja_code(rng, station, when, places_by_area, designated_by_code, portable)
    if code is None:
        return None
    band = band or pick_band(rng, when.year, mode, False)
    pref = int(code[:2])
    _n, _a, lat, lon = PREFECTURES[pref]
    grid = ""
    if mode in ("FT8", "FT4", "JT65") or (band in ("50", "144", "430", "1200") and rng.random() < 0.3):
        lat_j, lon_j = lat + rng.uniform(-0.4, 0.4), lon + rng.uniform(-0.4, 0.4)
        grid = maidenhead(lat_j, lon_j, 4 if mode in ("FT8", "FT4", "JT65") else 6)
    rem1 = rng.choice(REMARKS)
    if portable and not rem1 and not call.startswith("8J"):
        rem1 = "移動運用"
    rem2 = era_value(RIGS, when.year)[rng.randrange(4)] if rng.random() < 0.15 else ""
    name = "" if call.startswith("8J") or mode in ("FT8", "FT4") and rng.random() < 0.6 else station["name"]
    return {"call": call, "when": when, "tz": "J", "his": report(rng, mode), "my": report(rng, mode),
            "freq": frequency(rng, band, mode), "mode": mode, "code": code, "grid": grid,
            "name": name, "qth": qth, "rem1": rem1, "rem2": rem2, "sort": when}


def dx_qso(rng, when, mode, entity_of, dx_choices, entities_by_prefix, pool):
    if mode in ("FM", "DV", "PACKET"):
        mode = "SSB"
    prefix = weighted(rng, dx_choices) if rng.random() < 0.9 else rng.choice(list(entity_of))
    entity = entity_of[prefix]
    if entity["code"] == "500A" or when.year < DX_FROM.get(prefix, 0):
        return None
    if prefix in ("KH6", "KH2", "KH0") and rng.random() < 0.3:
        call = prefix + "/" + station_for(rng, pool, when.year)["call"]
    else:
        call = dx_call(rng, entity, entities_by_prefix)
    if call is None:
        return None
    band = pick_band(rng, when.year, mode, True)
    utc = when - datetime.timedelta(hours=9)
    grid = maidenhead(entity["lat"] + rng.uniform(-1, 1), entity["lon"] + rng.uniform(-1, 1), 4) \
        if mode in ("FT8", "FT4", "JT65") else ""
    return {"call": call, "when": utc, "tz": "U", "his": report(rng, mode), "my": report(rng, mode),
            "freq": frequency(rng, band, mode), "mode": mode, "code": entity["code"], "grid": grid,
            "name": "" if mode in ("FT8", "FT4") else rng.choice(DX_NAMES), "qth": entity["name"],
            "rem1": rng.choice(["", "", "", "DX ペディション", "ロングパス", "FB QSO"]),
            "rem2": "", "sort": when}


def log_lines(qsos):
    for q in qsos:
        yield quoted([q["call"], q["when"].strftime("%Y/%m/%d"), q["when"].strftime("%H:%M") + q["tz"],
                      q["his"], q["my"], q["freq"], q["mode"], q["code"], q["grid"], q["qsl"],
                      q["name"], q["qth"], q["rem1"], q["rem2"]])


# ---------------------------------------------------------------- outputs


def read_calls_in_use(path):
    """Whole calls of a check list (comment lines "#"), or none when the file is missing."""
    if not os.path.exists(path):
        print("note: %s is missing; the DXCC table weighs only the test calls" % path)
        return []
    with open(path, encoding="ascii", errors="replace") as f:
        return [c for c in (line.strip() for line in f) if c and not c.startswith("#") and "/" not in c]


def dxcc_table_lines(entities, calls_in_use):
    """Strings of the DXCC entity table: id 100 the count of lines, then the lines, each an entity
    with some of its prefixes, in the order that lets the prefix search find each entity
    (tools/sampledata/dxcc_table.py)."""
    tails = [",%s,%s,%s,%s,%03d,%s" % (e["name"], e["cont"], ";".join(map(str, e["itu_all"])),
                                       ";".join(map(str, e["cq_all"])), e["adif"], e["code"])
             for e in entities]
    table = dxcc_table.table_lines(entities, tails)
    found, total, misses = dxcc_table.found_share(entities, table)
    missed = sorted({entities[want]["name"] for _call, want, _got in misses})
    print("CodeLib.txt: %d lines for %d entities; the prefix search finds %d of %d test calls (%.1f %%); "
          "misses in: %s" % (len(table), len(entities), found, total, 100.0 * found / total, ", ".join(missed)))
    if calls_in_use:
        found, total, _misses = dxcc_table.found_share(entities, table, [(c, c) for c in calls_in_use])
        print("CodeLib.txt: and %d of %d calls in use (%.1f %%)" % (found, total, 100.0 * found / total))
    lines = ["100\t%d" % len(table)]
    for n, (i, prefixes) in enumerate(table):
        line = ";".join(prefixes) + tails[i]
        if len(line.encode("ascii")) > dxcc_table.LINE_BYTES:
            sys.exit("DXCC table line longer than %d bytes: %s" % (dxcc_table.LINE_BYTES, line))
        lines.append("%d\t%s" % (101 + n, line))
    return lines


def dx_prefix_lines(entities, calls_in_use):
    """The prefixes of 1 to 3 characters that lead the entry window's DX code search to each entity
    (tools/sampledata/dx_prefix_list.py)."""
    pairs, search = dx_prefix_list.choose(entities, calls_in_use)
    cty = dxcc_table.Cty(entities)
    for what, calls in (("test calls", [(c, want) for c, _text, want in dxcc_table.test_calls(entities, cty)]),
                        ("calls in use", [(c, cty.call(c)) for c in calls_in_use])):
        if calls:
            found, total, misses = dx_prefix_list.found_share(entities, search, calls)
            missed = sorted({entities[want]["name"] for _call, want in misses if want is not None})
            print("dx_prefixes.csv: the entry window finds %d of %d %s (%.1f %%)%s" % (
                found, total, what, 100.0 * found / total,
                "; misses in: " + ", ".join(missed) if what == "test calls" else ""))
    return [quoted([code, p]) for code, p in sorted(pairs, key=lambda cp: (cp[0], len(cp[1]), cp[1]))]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("shared", nargs="?", default=DEFAULT_SHARED)
    ap.add_argument("--cty", default=DEFAULT_CTY)
    ap.add_argument("--out", default=DEFAULT_OUT)
    args = ap.parse_args()

    acag = read_acag(os.path.join(args.shared, "ACAG.DAT"))
    allcity = read_allcity(os.path.join(args.shared, "allcity.dat"))
    entities = dxcc_table.read_cty(args.cty)
    calls_in_use = read_calls_in_use(os.path.join(os.path.dirname(args.cty), CALLS_IN_USE))

    japan = build_japan(acag, allcity)
    assign_initials(japan, read_initials(INITIALS))
    japan.sort(key=lambda r: sort_key(r["code"]))
    dx = build_dx(entities)
    codes = [r["code"] for r in japan + dx]
    if len(codes) != len(set(codes)):
        sys.exit("duplicate codes in the master")
    for r in japan + dx:
        if len(r["name"].encode("cp932")) > 34:
            sys.exit("name longer than 34 bytes: " + r["name"])

    for r in japan:
        r["lon"] = PREFECTURES[r["pref"]][3]
    master = [quoted([r["code"], r["name"], r["kind"], r["idx"], r.get("area", "")] + longitude_fields(r["lon"]))
              for r in japan + dx]
    write_lines(os.path.join(args.out, "master.csv"), master)

    home = os.path.join(args.out, "home")
    write_lines(os.path.join(home, "政令指定都市定義.txt"),
                ["# 政令指定都市の定義  市名,ＪＣＣコード,発足日(yyyymmdd)",
                 "# 発足日からの交信は区として数えます"]
                + ["%s,%s,%s" % d for d in DESIGNATED])
    write_lines(os.path.join(home, "ORBEX_TopTips.TXT"), TOP_TIPS)
    write_lines(os.path.join(home, "ORBEX_Tips.TXT"), SHEET_TIPS)
    write_lines(os.path.join(home, "CodeLib.txt"), dxcc_table_lines(entities, calls_in_use))
    write_lines(os.path.join(home, "合併情報.url"), ["[InternetShortcut]", "URL=" + MERGER_SITE])
    write_lines(os.path.join(args.out, "dx_prefixes.csv"), dx_prefix_lines(entities, calls_in_use))
    qsos = build_log(japan, entities)
    write_lines(os.path.join(args.out, "sample_log.csv"), list(log_lines(qsos)))

    kinds = {}
    for r in japan + dx:
        kinds[r["kind"]] = kinds.get(r["kind"], 0) + 1
    print("master.csv: %d codes (kind: count %s), first DX row %d" % (
        len(codes), ", ".join("%s: %d" % k for k in sorted(kinds.items())), len(japan) + 1))
    print("sample_log.csv: %d QSOs, %d DX" % (len(qsos), sum(q["tz"] == "U" for q in qsos)))


if __name__ == "__main__":
    main()
