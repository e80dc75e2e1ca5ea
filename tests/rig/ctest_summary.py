#!/usr/bin/python3
"""Reads one ctest run and appends its line to the run's summary.

  ctest_summary.py LABEL BUILD_DIR JUNIT_XML SUMMARY_FILE [--host-only]

The line is "LABEL: P passed, F failed, S skipped, D disabled". A test that ctest could not
start counts as failed, and so does a test program (listed by CMake in test-programs.txt) that
lists no test at all: that is a broken build, not an empty count; so does a run of no test.
--host-only: a run of the host-side checks alone, where the test programs cannot be listed. Exit status 1 on any failure.
"""
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def main():
    label, build, junit, summary = sys.argv[1:5]
    host_only = sys.argv[5:] == ["--host-only"]
    passed = failed = skipped = disabled = 0
    problems = []
    if os.path.exists(junit):
        for case in ET.parse(junit).getroot().iter("testcase"):
            status = case.get("status")
            skip = case.find("skipped")
            if status == "run":
                passed += 1
            elif status == "disabled":
                disabled += 1
            elif status == "notrun" and skip is not None and "SKIP" in (skip.get("message") or ""):
                skipped += 1
            else:
                failed += 1
    else:
        problems.append("ctest wrote no results")

    if passed + failed + skipped + disabled == 0:
        problems.append("no test ran")
    if not host_only:
        problems += unlisted_programs(build)

    return write_line(label, summary, passed, failed, skipped, disabled, problems)


def write_line(label, summary, passed, failed, skipped, disabled, problems):
    """Appends the runner's line to the summary (each problem counts as a failure); 1 on any failure."""
    line = f"{label}: {passed} passed, {failed + len(problems)} failed, {skipped} skipped, {disabled} disabled"
    if problems:
        line += " (" + "; ".join(problems) + ")"
    with open(summary, "a") as out:
        out.write(f"{line}\n")
    print(line)
    return 1 if failed or problems else 0


def unlisted_programs(build):
    problems = []
    programs_file = os.path.join(build, "test-programs.txt")
    programs = open(programs_file).read().split() if os.path.exists(programs_file) else []
    if not programs:
        problems.append("no test program is registered in test-programs.txt")
    shown = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, capture_output=True, text=True)
    listed = {}
    try:
        for test in json.loads(shown.stdout)["tests"]:
            for word in test.get("command") or []:
                name = os.path.basename(word)
                name = name[:-4] if name.endswith(".exe") else name
                listed[name] = listed.get(name, 0) + 1
    except (ValueError, KeyError):
        problems.append("ctest --show-only gave no test list")
    for program in programs:
        if listed.get(program, 0) == 0:
            problems.append(f"{program} lists no test")
    return problems


if __name__ == "__main__":
    sys.exit(main())
