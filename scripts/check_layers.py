#!/usr/bin/env python3
"""Checks that every #include goes one way through the layers.

    check_layers.py SOURCE-ROOT

Each source file belongs to a layer by the table below (the first pattern
that matches its path wins); a file may include headers of the layers its
own layer may use, and nothing else. The layers are those the build links
(docs/architecture.md): the platform knows nothing of the product; the
module base includes no other product folder; the core includes no GUI;
nothing but the command-line tool (and its tests) includes cli/, nothing
but the hosts (and their tests) host/, nothing but Setup setup/. The platform's tests stay with the
platform.

Prints one line per wrong include and exits 1 when there is any; a source
file that no pattern names, or an include that names no file, is an error
too, so a new folder or file must be given its layer here.
"""
import fnmatch
import os
import re
import sys

# (pattern, layer): paths relative to the source root, "/" between names.
# fnmatch's "*" also matches "/".
TABLE = [
    ("platform/*", "platform"),
    # The module's base: lock, change notification, settings location, class
    # ids, resources and version.
    ("module/ModuleLock.*", "module base"),
    ("module/ChangeNotify.*", "module base"),
    ("module/Settings.*", "module base"),
    ("module/ClassIds.h", "module base"),
    ("module/Resources.*", "module base"),
    ("module/Version.h", "module base"),
    ("resources/*", "module base"),
    # The module's upper half: class objects and exports.
    ("module/*", "module"),
    # Dialogs and property pages of the core's folders belong to the GUI.
    ("items/*Dialog.*", "gui"),
    ("reader/*Dialog.*", "gui"),
    ("search/*Dialog.*", "gui"),
    ("search/*Page.*", "gui"),
    ("search/SearchPage*", "gui"),
    ("search/*ComboBox.*", "gui"),
    ("catalog/*", "core"),
    ("reader/*", "core"),
    ("namespace/*", "core"),
    ("items/*", "core"),
    ("search/*", "core"),
    ("pages/*", "gui"),
    ("views/*", "gui"),
    ("cli/*", "cli"),
    ("host/*", "host"),
    ("setup/*", "setup"),
    ("tests/cli/*", "cli tests"),
    ("tests/host/*", "host tests"),
    ("bench/explorer_*", "host tests"),
    ("tests/platform/*", "platform tests"),
    ("tests/support/TestMain.cpp", "platform tests"),
    ("tests/support/TestEnvironment.*", "platform tests"),
    ("tests/support/DragHand.h", "platform tests"),
    ("tests/*", "tests"),
    ("bench/*", "tests"),
]

PRODUCT = {"platform", "module base", "core", "gui", "module"}

MAY_INCLUDE = {
    "platform": {"platform"},
    "module base": {"platform", "module base"},
    "core": {"platform", "module base", "core"},
    "gui": {"platform", "module base", "core", "gui"},
    "module": PRODUCT,
    # The command line runs Setup's steps too (they link the platform only).
    "cli": PRODUCT | {"cli", "setup"},
    "host": {"platform", "host"},
    "setup": {"platform", "setup"},
    "platform tests": {"platform", "platform tests"},
    "tests": PRODUCT | {"platform tests", "tests", "setup"},
    "cli tests": PRODUCT | {"platform tests", "tests", "cli", "cli tests", "setup"},
    # The hosts' tests link what the hosts link: the platform, never the
    # product; they install it with Setup's steps, which link the platform only.
    "host tests": {"platform", "platform tests", "host", "host tests", "setup"},
}

SOURCE_EXTENSIONS = (".h", ".hpp", ".cpp", ".cc")
SKIPPED_DIRECTORIES = {"build", ".git"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
# What the build generates for the including file itself: the forms of its
# .ui files and the meta-object code of its own classes.
GENERATED_OWN = re.compile(r"(^|/)(ui_\w+\.h|moc_\w+\.cpp|\w+\.moc)$")
# Headers the build generates into its own tree, by the path they are
# included by.
GENERATED = {"module/Version.h"}


def layer_of(path):
    for pattern, layer in TABLE:
        if fnmatch.fnmatchcase(path, pattern):
            return layer
    return None


def sources(root):
    for directory, subdirectories, files in os.walk(root):
        subdirectories[:] = sorted(d for d in subdirectories
                                   if d not in SKIPPED_DIRECTORIES and not d.startswith("."))
        for name in sorted(files):
            if name.endswith(SOURCE_EXTENSIONS):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def resolve(root, including, included):
    """The included file's path relative to the root: beside the including
    file first, then from the root; None when there is no such file."""
    beside = os.path.normpath(os.path.join(os.path.dirname(including), included)).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, beside)):
        return beside
    if os.path.isfile(os.path.join(root, included)) or included in GENERATED:
        return included
    return None


def check(root):
    """The problems found under `root`, one text each."""
    problems = []
    for path in sources(root):
        layer = layer_of(path)
        if layer is None:
            problems.append("%s: no layer; give its folder one in scripts/check_layers.py" % path)
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            if GENERATED_OWN.search(included):
                continue
            line = text.count("\n", 0, match.start()) + 1
            target = resolve(root, path, included)
            if target is None:
                problems.append('%s:%d: "%s" names no file of the tree' % (path, line, included))
                continue
            target_layer = layer_of(target)
            if target_layer not in MAY_INCLUDE[layer]:
                problems.append('%s:%d: %s includes "%s" of the %s layer' % (path, line, layer, included, target_layer))
    return problems


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    problems = check(argv[1])
    for problem in problems:
        print(problem)
    if problems:
        print("%d include(s) against the layers" % len(problems))
        return 1
    print("every include goes one way through the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
