#!/usr/bin/python3
# Reads the running program's accessibility tree as a screen reader does and
# prints what it lacks (favourite ARGV[1] is a list item with three actions).
import re
import sys
import time

import pyatspi


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


for _ in range(100):
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name.startswith("Tintra")]
    if apps:
        break
    time.sleep(0.1)
nodes = list(walk(apps[0])) if apps else []
names = {n.name for n in nodes}
hexes = re.compile(r"#[0-9A-F]{6}")
items = [n for n in nodes if n.getRole() == pyatspi.ROLE_LIST_ITEM
         and re.fullmatch(re.escape(sys.argv[1]) + ", " + hexes.pattern, n.name)]
actions = items[0].queryAction() if items else None
checks = {
    "the copy button 'Kopier RGB-teksten'": "Kopier RGB-teksten" in names,
    "the chart's 142 cells named by their hex text": any(
        n.childCount == 142 and all(re.fullmatch("[0-9A-F]{1,6}", c.name) for c in n) for n in nodes),
    f"the favourite '{sys.argv[1]}, #RRGGBB' with its actions": actions is not None and [
        actions.getName(i) for i in range(actions.nActions)] == ["Velg", "Gi nytt navn", "Slett"],
    "the measurement picture 'Siste måling'": "Siste måling" in names,
}
print("\n".join(what for what, found in checks.items() if not found))
sys.exit(0 if nodes and all(checks.values()) else 1)
