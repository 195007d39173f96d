#!/usr/bin/env python3
"""Checks the gettext catalog against the sources it translates.

check_po.py check PO XGETTEXT [OPTION...] -- SOURCE...
    Extracts the sources' texts and fails when a text has no translation in
    PO, a fuzzy one, or one whose placeholders (%1..%9, %s, %d, ...) differ
    from its source's.
check_po.py warn PO
    Prints a warning for each obsolete entry of PO (the build runs this).
"""
import ast
import re
import subprocess
import sys
import tempfile
from collections import Counter

PLACEHOLDER = re.compile(r"%(?:[1-9]|[-+ #0]*[0-9]*(?:\.[0-9]+)?(?:l|ll|z|h)?[sdiuxXfgc])")


def entries(path):
    """Yields dicts with msgid, msgid_plural, msgstr (list), flags, obsolete."""
    entry, field = None, None

    def finish():
        if entry is not None and ("msgid" in entry):
            return entry
        return None

    with open(path, encoding="utf-8") as lines:
        for raw in lines:
            line = raw.strip()
            obsolete = line.startswith("#~")
            if obsolete:
                line = line[2:].strip()
            if not line:
                done = finish()
                if done:
                    yield done
                entry, field = None, None
                continue
            if entry is None:
                entry = {"msgstr": {}, "flags": set(), "obsolete": False}
            entry["obsolete"] |= obsolete
            if line.startswith("#,"):
                entry["flags"].update(flag.strip() for flag in line[2:].split(","))
            elif line.startswith("#"):
                continue
            elif line.startswith('"'):
                text = ast.literal_eval(line)
                if isinstance(field, tuple):
                    entry["msgstr"][field[1]] += text
                else:
                    entry[field] += text
            else:
                keyword, _, value = line.partition(" ")
                text = ast.literal_eval(value)
                match = re.fullmatch(r"msgstr\[(\d+)\]", keyword)
                if match:
                    field = ("msgstr", int(match.group(1)))
                    entry["msgstr"][field[1]] = text
                elif keyword == "msgstr":
                    field = ("msgstr", 0)
                    entry["msgstr"][0] = text
                else:
                    field = keyword
                    entry[field] = text
    done = finish()
    if done:
        yield done


def warn(po):
    for entry in entries(po):
        if entry["obsolete"]:
            print(f"warning: {po}: obsolete entry: {entry['msgid']!r}")
    return 0


def check(po, xgettext, options, sources):
    with tempfile.TemporaryDirectory() as work:
        pot = f"{work}/current.pot"
        subprocess.run([xgettext, *options, "-o", pot, *sources], check=True)
        wanted = [e for e in entries(pot) if e["msgid"]]
    have = {e["msgid"]: e for e in entries(po) if e["msgid"] and not e["obsolete"]}
    problems = []
    for source in wanted:
        text = source["msgid"]
        entry = have.get(text)
        if entry is None or not entry["msgstr"] or not all(entry["msgstr"].values()):
            problems.append(f"no translation for {text!r}")
            continue
        if "fuzzy" in entry["flags"]:
            problems.append(f"fuzzy translation for {text!r}")
            continue
        plural = source.get("msgid_plural")
        if plural is not None and entry.get("msgid_plural") != plural:
            problems.append(f"plural differs for {text!r}")
            continue
        expected = Counter(PLACEHOLDER.findall(plural if plural is not None else text))
        for translation in entry["msgstr"].values():
            found = Counter(PLACEHOLDER.findall(translation))
            # A singular may say "one" instead of its number.
            if plural is not None and found != expected and found <= expected and \
                    Counter(PLACEHOLDER.findall(text)) <= expected:
                continue
            if found != expected:
                problems.append(f"placeholders differ in {text!r} -> {translation!r}")
    for problem in problems:
        print(problem)
    print(f"{len(wanted)} texts, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "warn":
        sys.exit(warn(sys.argv[2]))
    if len(sys.argv) >= 5 and sys.argv[1] == "check" and "--" in sys.argv:
        split = sys.argv.index("--")
        sys.exit(check(sys.argv[2], sys.argv[3], sys.argv[4:split], sys.argv[split + 1:]))
    print(__doc__)
    sys.exit(2)
