#!/usr/bin/python3
"""Every program the scripts start comes from tools/deps.txt, which tools/install-deps.sh installs.

   check_tools.py [--list DEPS] [FILE...]

Without FILE, checks every script git tracks (shell by extension or first line, Python, CMake)
and the Unix programs the Wine tests start through start.exe /unix. Shell scripts are read
through shfmt's syntax tree, so quoting, case patterns and $( ) are those bash sees; code given
as a string to trap, eval or sh -c is read as well. A command word that is not plain text
("$bin/x.exe", $nm) cannot be known and is left out; a path inside the repository is the
project's own. Prints one line per file and names each program missing from the list.
"""
import ast
import json
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# Started by bash itself, not from PATH.
BUILTINS = set("""
. : [ alias bg bind break builtin caller cd command compgen complete continue declare dirs disown
echo enable eval exec exit export false fc fg getopts hash help history jobs kill let local logout
mapfile popd printf pushd pwd read readarray readonly return set shift shopt source suspend test
times trap true type typeset ulimit umask unalias unset wait
""".split())

# Wrappers whose operand is the program they start: how many words of their own come first.
def unwrap(words):
    def opt(w):
        return w is not None and w.startswith("-")

    while words:
        w = words[0]
        if w in ("exec", "nice", "nohup", "setsid"):
            words = words[1:]
            while words and opt(words[0]):
                words = words[1:]
        elif w == "command":
            if len(words) > 1 and words[1] in ("-v", "-V"):
                return []  # looks a program up, starts nothing
            words = words[1:]
        elif w == "timeout":
            words = words[1:]
            while words and opt(words[0]):
                # -k DURATION and -s SIGNAL take the next word
                words = words[2:] if words[0] in ("-k", "-s") else words[1:]
            words = words[1:]  # the duration
        elif w == "env":
            words = words[1:]
            while words and (opt(words[0]) or re.match(r"^[A-Za-z_][A-Za-z0-9_]*=", words[0] or "")):
                words = words[1:]
        else:
            return words
    return words


def shfmt_tree(source, name):
    out = subprocess.run(["shfmt", "--to-json"], input=source, capture_output=True, text=True)
    if out.returncode != 0:
        raise SystemExit(f"check_tools: shfmt could not read {name}: {out.stderr.strip()}")
    return json.loads(out.stdout)


def literal(word):
    """The text of a word made of plain text and quotes only, else None."""
    text = ""
    for part in word.get("Parts", []):
        t = part.get("Type")
        if t == "Lit":
            text += part["Value"]
        elif t == "SglQuoted":
            text += part["Value"]
        elif t == "DblQuoted":
            inner = literal(part)
            if inner is None:
                return None
            text += inner
        else:
            return None
    return text


def all_args(word):
    """Whether a word is "$@" alone."""
    parts = word.get("Parts", [])
    if len(parts) == 1 and parts[0].get("Type") == "DblQuoted":
        parts = parts[0].get("Parts", [])
    return len(parts) == 1 and parts[0].get("Type") == "ParamExp" and parts[0]["Param"]["Value"] == "@"


def walk_functions(node, functions):
    """Every function's name; for a one-line wrapper such as f() { timeout 5 "$@"; }, the words
    that come before its arguments, so that a call to it is read as that command."""
    if isinstance(node, list):
        for n in node:
            walk_functions(n, functions)
        return
    if not isinstance(node, dict):
        return
    if node.get("Type") == "FuncDecl":
        prefix = None
        body = node.get("Body", {}).get("Cmd", {})
        stmts = body.get("Stmts", []) if body.get("Type") == "Block" else []
        if len(stmts) == 1 and stmts[0].get("Cmd", {}).get("Type") == "CallExpr":
            args = stmts[0]["Cmd"].get("Args", [])
            if args and all_args(args[-1]) and all(literal(a) is not None for a in args[:-1]):
                prefix = [literal(a) for a in args[:-1]]
        functions[node["Name"]["Value"]] = prefix
    for key, value in node.items():
        if key not in ("Pos", "End"):
            walk_functions(value, functions)


def walk_shell(node, calls, functions, name):
    if isinstance(node, list):
        for n in node:
            walk_shell(n, calls, functions, name)
        return
    if not isinstance(node, dict):
        return
    if node.get("Type") == "CallExpr" and node.get("Args"):
        words = [literal(w) for w in node["Args"]]
        line = node["Pos"]["Line"]
        first = unwrap(words)
        # A call to a wrapper function is the command it wraps.
        while first and functions.get(first[0]):
            first = unwrap(functions[first[0]] + first[1:])
        if first and first[0] is not None:
            calls.append((first[0], line))
            # Code held in a string runs as well.
            code = None
            if first[0] in ("trap", "eval") and len(first) > 1:
                code = first[1]
            elif first[0] in ("sh", "bash") and "-c" in first:
                i = first.index("-c")
                code = first[i + 1] if i + 1 < len(first) else None
            if code and code != "-":
                tree = shfmt_tree(code, name)
                walk_functions(tree, functions)
                walk_shell(tree, calls, functions, name)
    for key, value in node.items():
        if key not in ("Pos", "End"):
            walk_shell(value, calls, functions, name)


def python_programs(path, source):
    """Modules outside the standard library (as python3:NAME), and programs run by subprocess."""
    tree = ast.parse(source, path)
    local = {os.path.splitext(f)[0] for f in os.listdir(os.path.dirname(path) or ".")}
    found = []
    for node in ast.walk(tree):
        mods = []
        if isinstance(node, ast.Import):
            mods = [a.name for a in node.names]
        elif isinstance(node, ast.ImportFrom) and node.level == 0 and node.module:
            mods = [node.module]
        for m in mods:
            top = m.split(".")[0]
            if top not in sys.stdlib_module_names and top not in local:
                found.append(("python3:" + top, node.lineno))
        if isinstance(node, ast.Call) and isinstance(node.func, ast.Attribute) and \
                isinstance(node.func.value, ast.Name) and node.func.value.id == "subprocess" and node.args:
            first = node.args[0]
            if isinstance(first, (ast.List, ast.Tuple)) and first.elts and isinstance(first.elts[0], ast.Constant):
                found.append((first.elts[0].value, node.lineno))
    return found


def cmake_programs(source):
    found = []
    for m in re.finditer(r"find_program\(\s*\w+\s+(?:NAMES\s+)?([^)]*)\)", source):
        line = source.count("\n", 0, m.start()) + 1
        for w in m.group(1).split():
            if w.isupper():
                break  # PATHS, HINTS, ...
            found.append((w, line))
    for m in re.finditer(r"COMMAND\s+([A-Za-z0-9_./-]+)", source):
        found.append((m.group(1), source.count("\n", 0, m.start()) + 1))
    return found


def unix_programs(source):
    """Programs a Windows test starts on the host through Wine's start.exe /unix."""
    return [(m.group(1), source.count("\n", 0, m.start()) + 1)
            for m in re.finditer(r"/unix\s+(/[A-Za-z0-9_./+-]+)", source)]


def read_list(path):
    listed = set()
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].split()
            if not line:
                continue
            if len(line) < 2:
                raise SystemExit(f"check_tools: {path}:{n}: a program and the package that brings it")
            if line[0] != "-":
                listed.add(line[0])
    return listed


def kind(path):
    if path.endswith((".sh", ".bash")):
        return "shell"
    if path.endswith(".py"):
        return "python"
    if path.endswith(".cmake") or os.path.basename(path) == "CMakeLists.txt":
        return "cmake"
    if path.endswith((".cpp", ".h")):
        return "cpp"
    try:
        with open(path, encoding="utf-8") as f:
            first = f.readline()
    except (UnicodeDecodeError, OSError):
        return None
    if first.startswith("#!") and re.search(r"\b(ba)?sh\b", first):
        return "shell"
    if first.startswith("#!") and "python" in first:
        return "python"
    return None


def tracked():
    out = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"], cwd=ROOT, capture_output=True, text=True, check=True)
    files = []
    for f in out.stdout.split():
        if f.startswith(("fuzz/seeds/", "info/")) or f.endswith((".png", ".bmp", ".ico", ".cur")):
            continue
        # C++ is read for start.exe /unix only, where the Wine tests live.
        if f.endswith((".cpp", ".h")) and not f.startswith("tests/win/"):
            continue
        files.append(os.path.join(ROOT, f))
    return files


def main(argv):
    deps = os.path.join(ROOT, "tools", "deps.txt")
    if argv[:1] == ["--list"]:
        deps, argv = argv[1], argv[2:]
    listed = read_list(deps)
    files = argv or tracked()
    functions = {}
    trees = {}
    found = {}
    for path in files:
        k = kind(path)
        if k is None:
            continue
        with open(path, encoding="utf-8") as f:
            source = f.read()
        if k == "shell":
            trees[path] = shfmt_tree(source, path)
            walk_functions(trees[path], functions)
        elif k == "python":
            found[path] = python_programs(path, source)
        elif k == "cmake":
            found[path] = cmake_programs(source)
        else:
            found[path] = unix_programs(source)
    # Functions of every script first: the rig's are defined in one file and called in others.
    for path, tree in trees.items():
        calls = []
        walk_shell(tree, calls, functions, path)
        found[path] = calls
    passed = failed = 0
    for path, calls in sorted(found.items()):
        rel = os.path.relpath(path, ROOT)
        here = os.path.dirname(path)
        missing = []
        for prog, line in calls:
            if prog in BUILTINS or prog in functions or "=" in prog or prog.startswith("$"):
                continue
            if "/" in prog and not prog.startswith("/"):
                # Relative: a file of the project, from the repository or the script's folder.
                if os.path.exists(os.path.join(ROOT, prog)) or os.path.exists(os.path.join(here, prog)):
                    continue
            if prog.startswith(ROOT + "/"):
                continue
            # /usr/bin/x is x; any other absolute path is listed as it is.
            name = os.path.basename(prog) if os.path.dirname(prog) in ("/usr/bin", "/bin") else prog
            if prog not in listed and name not in listed:
                missing.append(f"{prog} (line {line})")
        if missing:
            failed += 1
            print(f"{rel}: starts programs that tools/deps.txt does not list: {', '.join(missing)}")
        elif calls:
            passed += 1
    print(f"tools: {passed} passed, {failed} failed (files whose every program is in tools/deps.txt)")
    if failed:
        print("add each program to tools/deps.txt with the Debian package that brings it")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
