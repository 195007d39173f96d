#!/usr/bin/env python3
"""Checks a Qt translation file against the sources it translates.

check_translations.py check LUPDATE TS [-I DIR] SOURCE...
    Extracts the sources' texts into a copy of TS and fails when a text has
    no finished translation or a translation's placeholders (%1, %n, %s, %d)
    differ from its source's.
check_translations.py warn TS
    Prints a warning for each obsolete entry of TS (the build runs this).
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from collections import Counter

PLACEHOLDER = re.compile(r"%(?:[1-9]|n|s|d)")


def messages(path):
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message.findtext("source") or "", message.find("translation")


def warn(ts):
    for context, source, translation in messages(ts):
        if translation is not None and translation.get("type") in ("obsolete", "vanished"):
            print(f"warning: {ts}: obsolete entry in {context}: {source!r}")
    return 0


def check(lupdate, ts, sources):
    with tempfile.TemporaryDirectory() as work:
        copy = f"{work}/current.ts"
        shutil.copyfile(ts, copy)
        subprocess.run([lupdate, "-silent", "-locations", "none", "-source-language", "de",
                        *sources, "-ts", copy], check=True)
        problems = []
        for context, source, translation in messages(copy):
            kind = translation.get("type") if translation is not None else "unfinished"
            if kind in ("obsolete", "vanished"):
                continue
            text = translation.text if translation is not None else None
            if kind == "unfinished" or not text:
                problems.append(f"{context}: no translation for {source!r}")
            elif Counter(PLACEHOLDER.findall(source)) != Counter(PLACEHOLDER.findall(text)):
                problems.append(f"{context}: placeholders differ in {source!r} -> {text!r}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "warn":
        sys.exit(warn(sys.argv[2]))
    if len(sys.argv) >= 5 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3], sys.argv[4:]))
    print(__doc__)
    sys.exit(2)
