#!/usr/bin/python3
"""Reads one GoogleTest program's XML results and appends its line to the run's summary.

  gtest_summary.py LABEL RESULTS_XML SUMMARY_FILE

The line is "LABEL: P passed, F failed, S skipped, D disabled", as ctest_summary.py writes it for
a ctest run. A case with a failure counts as failed; no results, or no case run, is a failure
too. Exit status 1 on any failure.
"""
import os
import sys
import xml.etree.ElementTree as ET

from ctest_summary import write_line


def main():
    label, results, summary = sys.argv[1:4]
    passed = failed = skipped = disabled = 0
    problems = []
    if os.path.exists(results):
        for case in ET.parse(results).getroot().iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif case.get("status") == "notrun":
                disabled += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
    else:
        problems.append("the test program wrote no results")
    if passed + failed + skipped + disabled == 0 and not problems:
        problems.append("no test ran")
    return write_line(label, summary, passed, failed, skipped, disabled, problems)


if __name__ == "__main__":
    sys.exit(main())
