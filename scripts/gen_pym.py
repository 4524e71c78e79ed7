#!/usr/bin/env python3
"""Generate resources/seed/pym.tsv, the pinyin table of every GBK ideograph.

The table gives the initials used to find contacts by name, so each
character carries all its toneless readings, the one most likely in a
name first.  Readings come from the Unihan database as shipped by Debian's
unicode-data package.  This runs at development time only; the generated
file is committed with the sources.

Usage: python3 scripts/gen_pym.py [--unihan-dir DIR] [--output FILE]
"""

import argparse
import bz2
import os
import re
import sys
import unicodedata

DEFAULT_UNIHAN_DIR = "/usr/share/unicode"
DEFAULT_OUTPUT = os.path.join(
    os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
    "resources", "seed", "pym.tsv")

# The table's xh and py columns hold at most 5 and 10 characters.
MAX_XH = 5
MAX_PY = 10
PY_RE = re.compile(r"[a-z]{1,%d}" % MAX_PY)

# Unihan fields that hold Mandarin readings, in the order their readings
# are appended after the customary one: the frequency-ranked corpus list,
# then the two modern dictionaries, then the large historical dictionary
# whose archaic readings are kept only so that no reading is ever missing.
READING_FIELDS = ("kMandarin", "kHanyuPinlu", "kTGHZ2013", "kXHC1983",
                  "kHanyuPinyin")

# Variant links tried, in this order, for a character that has no reading
# of its own.  Semantic variants come last: they share the meaning, not
# always the sound.
VARIANT_FIELDS = ("kTraditionalVariant", "kSimplifiedVariant", "kZVariant",
                  "kSemanticVariant")

# Characters that Unihan does not treat as ideographs with a reading.
EXTRA_READINGS = {
    "\u3007": ("ling",),  # 〇, the ideographic zero written in dates and numbers
}

# Initials of contact names are what this table serves, so where a character
# is met in names chiefly as a family name, its surname reading leads.  Some
# entries match the customary reading already; they pin it against changes
# of the Unihan data.
SURNAME_FIRST = {
    "单": "shan", "曾": "zeng", "解": "xie", "仇": "qiu", "区": "ou",
    "查": "zha", "朴": "piao", "覃": "qin", "尉": "wei", "盖": "ge",
    "缪": "miao", "冼": "xian", "翟": "zhai", "召": "shao", "隗": "wei",
    "宓": "fu", "郇": "huan", "费": "fei", "燕": "yan", "葛": "ge",
    "任": "ren", "华": "hua", "沈": "shen", "卜": "bu", "万": "wan",
    "纪": "ji", "黑": "hei", "过": "guo", "舍": "she", "那": "na",
    "皮": "pi", "阚": "kan", "佴": "nai",
}

# Surname readings of characters met far more often with their everyday
# reading (also in given names): the surname reading must be present, but
# it stays behind.
SURNAME_PRESENT = {
    "繁": "po", "乐": "yue", "员": "yun", "秘": "bi", "种": "chong",
    "句": "gou", "祭": "zhai", "能": "nai", "都": "du", "尉": "yu",
}

# Characters common in given names whose customary reading in Unihan is not
# the one they carry in names.
NAME_FIRST = {
    "长": "chang",  # Unihan ranks zhang first; names use chang (长江, 长青)
}


def toneless(syllable):
    """Lowercase ASCII pinyin without tone, ü written as v."""
    s = unicodedata.normalize("NFD", syllable.strip().lower())
    # The diaeresis is the only mark that changes the letter; it precedes
    # any tone mark in the decomposition of ǖ ǘ ǚ ǜ.
    s = s.replace("u\u0308", "v")
    s = "".join(c for c in s if not unicodedata.combining(c))
    if not PY_RE.fullmatch(s):
        raise ValueError("unexpected reading %r" % syllable)
    return s


def parse_readings(field, value):
    """Toned readings of one Unihan field value, most relevant first."""
    if field == "kMandarin":
        # The first value is the customary one in the mainland; a second,
        # when present, is the one preferred in Taiwan.
        return value.split()
    if field == "kHanyuPinlu":
        # "xíng(2943) háng(218)": rank by corpus frequency, ties stable.
        ranked = []
        for item in value.split():
            m = re.fullmatch(r"(.+)\((\d+)\)", item)
            if not m:
                raise ValueError("bad kHanyuPinlu %r" % value)
            ranked.append((-int(m.group(2)), len(ranked), m.group(1)))
        return [r for _, _, r in sorted(ranked)]
    # kHanyuPinyin, kXHC1983, kTGHZ2013: "location[,location]:r1[,r2] ..."
    out = []
    for item in value.split():
        _, _, readings = item.rpartition(":")
        out.extend(r for r in readings.split(",") if r)
    return out


def load_unihan(path, fields):
    """{code point: {field: value}} for the given fields of one Unihan file."""
    data = {}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cp, field, value = line.rstrip("\n").split("\t", 2)
            if field in fields:
                data.setdefault(int(cp[2:], 16), {})[field] = value
    return data


def own_readings(cp, readings_data):
    """Distinct toneless readings Unihan gives for one code point, in order.

    The customary kMandarin value leads; the rest follow in READING_FIELDS
    order, the Taiwan-preferred kMandarin value after the corpus ranking.
    """
    fields = readings_data.get(cp, {})
    toned = []
    mandarin = parse_readings("kMandarin", fields.get("kMandarin", ""))
    toned.extend(mandarin[:1])
    for field in READING_FIELDS[1:]:
        if field in fields:
            toned.extend(parse_readings(field, fields[field]))
        if field == "kHanyuPinlu":
            toned.extend(mandarin[1:])
    out = []
    for r in toned:
        p = toneless(r)
        if p not in out:
            out.append(p)
    return out


def fallback_candidates(ch, variants_data):
    """Code points whose readings may stand in for a reading-less character."""
    cands = []
    decomposed = unicodedata.normalize("NFKC", ch)
    if decomposed != ch and len(decomposed) == 1:
        cands.append(ord(decomposed))
    fields = variants_data.get(ord(ch), {})
    for field in VARIANT_FIELDS:
        for token in fields.get(field, "").split():
            cp = int(token.split("<")[0][2:], 16)
            if cp != ord(ch) and cp not in cands:
                cands.append(cp)
    return cands


def gbk_ideographs():
    """Ideographs of GBK in code order, decoded with Python's gbk codec."""
    chars, seen = [], set()
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                ch = bytes((lead, trail)).decode("gbk")
            except UnicodeDecodeError:
                continue
            if is_ideograph(ch) and ch not in seen:
                seen.add(ch)
                chars.append(ch)
    return chars


def is_ideograph(ch):
    cp = ord(ch)
    return (0x4E00 <= cp <= 0x9FFF         # CJK Unified Ideographs
            or 0x3400 <= cp <= 0x4DBF      # Extension A
            or 0xF900 <= cp <= 0xFAFF      # Compatibility Ideographs
            or cp == 0x3007)               # 〇


def put_first(readings, wanted, ch, table):
    if wanted not in readings:
        raise SystemExit("%s: %s lists %r, Unihan has only %s"
                         % (ch, table, wanted, readings))
    readings.remove(wanted)
    readings.insert(0, wanted)


def build_rows(unihan_dir):
    """Rows (hz, py) in output order, and the characters left without one."""
    readings_data = load_unihan(
        os.path.join(unihan_dir, "Unihan_Readings.txt.bz2"),
        set(READING_FIELDS))
    variants_data = load_unihan(
        os.path.join(unihan_dir, "Unihan_Variants.txt.bz2"),
        set(VARIANT_FIELDS))

    rows, missing, borrowed = [], [], []
    for ch in gbk_ideographs():
        readings = list(EXTRA_READINGS.get(ch, ()))
        for p in own_readings(ord(ch), readings_data):
            if p not in readings:
                readings.append(p)
        if not readings:
            for cp in fallback_candidates(ch, variants_data):
                readings = own_readings(cp, readings_data)
                if readings:
                    borrowed.append((ch, chr(cp)))
                    break
        if not readings:
            missing.append(ch)
            continue
        if ch in SURNAME_PRESENT and SURNAME_PRESENT[ch] not in readings:
            raise SystemExit("%s: surname reading %r missing from Unihan %s"
                             % (ch, SURNAME_PRESENT[ch], readings))
        if ch in SURNAME_FIRST:
            put_first(readings, SURNAME_FIRST[ch], ch, "SURNAME_FIRST")
        if ch in NAME_FIRST:
            put_first(readings, NAME_FIRST[ch], ch, "NAME_FIRST")
        rows.extend((ch, p) for p in readings)
    return rows, missing, borrowed


def check_rows(rows):
    """Refuse to write a table the application would reject or truncate."""
    if len(str(len(rows))) > MAX_XH:
        raise SystemExit("%d rows do not fit xh(%d)" % (len(rows), MAX_XH))
    seen = set()
    for hz, py in rows:
        if len(hz.encode("gbk")) != 2:
            raise SystemExit("%r is not a GBK double-byte character" % hz)
        if not PY_RE.fullmatch(py):
            raise SystemExit("%s: bad reading %r" % (hz, py))
        if (hz, py) in seen:
            raise SystemExit("duplicate row %s %s" % (hz, py))
        seen.add((hz, py))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--unihan-dir", default=DEFAULT_UNIHAN_DIR)
    ap.add_argument("--output", default=DEFAULT_OUTPUT)
    args = ap.parse_args()

    rows, missing, borrowed = build_rows(args.unihan_dir)
    check_rows(rows)

    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    # newline="\n" keeps the file byte-identical whatever system runs this.
    with open(args.output, "w", encoding="utf-8", newline="\n") as f:
        f.write("xh\thz\tpy\n")
        for i, (hz, py) in enumerate(rows, 1):
            f.write("%d\t%s\t%s\n" % (i, hz, py))

    chars = len({hz for hz, _ in rows})
    print("%s: %d rows, %d characters" % (args.output, len(rows), chars),
          file=sys.stderr)
    for ch, src in borrowed:
        print("  %s U+%04X reads as U+%04X %s" % (ch, ord(ch), ord(src), src),
              file=sys.stderr)
    print("%d GBK ideographs without any reading, omitted%s" % (
        len(missing),
        (": " + " ".join("U+%04X" % ord(c) for c in missing)) if missing
        else ""), file=sys.stderr)


if __name__ == "__main__":
    main()
