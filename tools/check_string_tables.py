#!/usr/bin/env python3
"""Check the string tables in resources/Localisation against keys.txt.

keys.txt holds every translation key, one per line, in the order the tables
must list them. For english.csv and spanish.csv this script checks:

  * the file is UTF-8 without byte-order mark, with LF line ends only, and
    ends with a line feed;
  * every line is either a group separator ("=" alone) or an entry of the
    form "key"="text", with no blanks around "=";
  * inside key and text, a backslash only starts one of the escapes that
    JUCE's LocalisedStrings parser understands (\\" \\' \\n \\t \\r), so no
    text can end its quotes early or late; no key or text is empty (the
    parser silently drops such entries);
  * the keys, taken at their first occurrence, are exactly those of
    keys.txt in the same order: none missing, none extra;
  * "Cancel" occurs twice: first with its normal text, later with the same
    text in capitals (the later line wins, so buttons show the capitals);
    no other key occurs twice;
  * both tables keep leading and trailing blanks of a text alike, since
    some texts are joined to others.

Entries whose Spanish text equals the English one are listed for review
but are not errors. Exit code 0 when there are no errors, 1 otherwise.

Usage: check_string_tables.py [FOLDER]
FOLDER holds keys.txt and the tables; it defaults to resources/Localisation.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LOC_DIR = os.path.join(os.path.dirname(HERE), "resources", "Localisation")
TABLES = ["english.csv", "spanish.csv"]

# The one key that appears twice; its later line holds the capitalised text.
DUPLICATED_KEY = "Cancel"

# Entries that are meant to read the same in every language.
SAME_BY_DESIGN = {"English", "Español", "URL_CONTACT_PAGE"}

QUOTED = r'"((?:[^"\\]|\\.)*)"'
ENTRY_RE = re.compile(r"^" + QUOTED + "=" + QUOTED + r"$")
ALLOWED_ESCAPES = set('"\'ntr')


def unescape(s):
    """Same replacements, in the same order, as JUCE's parser."""
    return (s.replace('\\"', '"').replace("\\'", "'").replace("\\t", "\t")
             .replace("\\r", "\r").replace("\\n", "\n"))


def bad_escapes(s):
    found = []
    i = 0
    while i < len(s):
        if s[i] == "\\":
            nxt = s[i + 1] if i + 1 < len(s) else ""
            if nxt not in ALLOWED_ESCAPES or nxt == "":
                found.append("\\" + nxt)
            i += 2
        else:
            i += 1
    return found


def read_keys(errors):
    KEYS_FILE = os.path.join(LOC_DIR, "keys.txt")
    try:
        with open(KEYS_FILE, "rb") as f:
            raw = f.read()
    except OSError as e:
        errors.append("cannot read %s: %s" % (KEYS_FILE, e))
        return []
    text = raw.decode("utf-8")
    keys = [k for k in text.split("\n") if k != ""]
    if len(set(keys)) != len(keys):
        errors.append("keys.txt lists a key more than once")
    return keys


def load_table(name, errors):
    """Return (entries, group_count); entries is a list of (line, key, text)."""
    path = os.path.join(LOC_DIR, name)
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        errors.append("%s: cannot read: %s" % (name, e))
        return None, 0
    if raw.startswith(b"\xef\xbb\xbf"):
        errors.append("%s: starts with a byte-order mark" % name)
        raw = raw[3:]
    if b"\r" in raw:
        errors.append("%s: contains CR characters (LF line ends only)" % name)
    if raw and not raw.endswith(b"\n"):
        errors.append("%s: last line does not end with a line feed" % name)
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        errors.append("%s: not valid UTF-8: %s" % (name, e))
        return None, 0

    # CR line ends were reported above; parse the lines without them so
    # that one wrong line-end style gives one error, not one per line.
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    entries = []
    groups = 1 if lines else 0
    for n, line in enumerate(lines, 1):
        if line == "=":
            groups += 1
            continue
        m = ENTRY_RE.match(line)
        if not m:
            errors.append('%s:%d: not an entry "key"="text" nor "=": %r'
                          % (name, n, line))
            continue
        key, value = m.group(1), m.group(2)
        for part, what in ((key, "key"), (value, "text")):
            bad = bad_escapes(part)
            if bad:
                errors.append("%s:%d: %s has unsupported escape(s) %s"
                              % (name, n, what, " ".join(sorted(set(bad)))))
        if key == "":
            errors.append("%s:%d: empty key" % (name, n))
        if value == "":
            errors.append("%s:%d: empty text (the parser would drop it)"
                          % (name, n))
        entries.append((n, unescape(key), unescape(value)))
    return entries, groups


def check_table(name, entries, keys, errors):
    """Check order, duplicates and the Cancel pair; return the shown texts."""
    first_order = []
    occurrences = {}
    for n, key, value in entries:
        if key not in occurrences:
            first_order.append(key)
        occurrences.setdefault(key, []).append((n, value))

    expected = set(keys)
    missing = [k for k in keys if k not in occurrences]
    extra = [k for k in first_order if k not in expected]
    for k in missing:
        errors.append("%s: missing key %r" % (name, k))
    for k in extra:
        errors.append("%s: key not in keys.txt: %r" % (name, k))
    if not missing and not extra and first_order != keys:
        for i, (got, want) in enumerate(zip(first_order, keys)):
            if got != want:
                errors.append("%s: key order differs at position %d: found %r,"
                              " expected %r" % (name, i + 1, got, want))
                break

    for key, occ in occurrences.items():
        if key == DUPLICATED_KEY:
            continue
        if len(occ) > 1:
            errors.append("%s: key %r occurs %d times (lines %s)"
                          % (name, key, len(occ),
                             ", ".join(str(n) for n, _ in occ)))

    cancel = occurrences.get(DUPLICATED_KEY, [])
    cancel_line = None
    if len(cancel) != 2:
        errors.append("%s: %r should occur exactly twice, found %d"
                      % (name, DUPLICATED_KEY, len(cancel)))
    else:
        (n1, v1), (n2, v2) = cancel
        cancel_line = n2
        if v2 != v1.upper() or v1 == v2:
            errors.append("%s: second %r (line %d) should be %r, the first"
                          " text in capitals, found %r"
                          % (name, DUPLICATED_KEY, n2, v1.upper(), v2))

    shown = {}
    for _, key, value in entries:
        shown[key] = value  # later lines win, as in the program
    return shown, cancel_line


def main():
    global LOC_DIR
    if len(sys.argv) > 1:
        LOC_DIR = os.path.abspath(sys.argv[1])
    errors = []
    keys = read_keys(errors)
    if not keys:
        errors.append("no keys read from keys.txt")

    shown = {}
    for name in TABLES:
        entries, groups = load_table(name, errors)
        if entries is None:
            continue
        texts, cancel_line = check_table(name, entries, keys, errors)
        shown[name] = texts
        print("%s: %d entries in %d groups, %d distinct keys, second %r on"
              " line %s" % (name, len(entries), groups, len(texts),
                            DUPLICATED_KEY, cancel_line))

    same_design, same_review = [], []
    if len(shown) == 2:
        en, es = shown["english.csv"], shown["spanish.csv"]
        for key in keys:
            if key not in en or key not in es:
                continue
            a, b = en[key], es[key]
            if (a[:1].isspace(), a[-1:].isspace()) != \
               (b[:1].isspace(), b[-1:].isspace()):
                errors.append("key %r: leading/trailing blanks differ between"
                              " the tables" % key)
            if a == b:
                if key in SAME_BY_DESIGN or not re.search(r"[^\W\d_]", a):
                    same_design.append(key)
                else:
                    same_review.append(key)

    print("keys in keys.txt: %d" % len(keys))
    if same_design:
        print("same text in both tables by design: %s" % ", ".join(same_design))
    if same_review:
        print("same text in both tables (please review): %s"
              % ", ".join(same_review))

    if errors:
        print("\n%d error(s):" % len(errors))
        for e in errors:
            print("  " + e)
        print("FAILED")
        return 1
    print("OK: both string tables are complete and well-formed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
