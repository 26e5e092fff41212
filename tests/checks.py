"""Counted checks for the script tests: a failed check prints a FAIL line, and the run ends
with the line "N passed, M failed" that ctest's log shows."""
import os
import sys

BUILD = os.environ.get("ORVANEL_BUILD", "build/debug")
CLI = os.environ.get("ORVANEL_CLI", os.path.join(BUILD, "src/cli/orvanel-cli"))

counts = {"passed": 0, "failed": 0}


def check(name, condition, detail=""):
    if condition:
        counts["passed"] += 1
    else:
        counts["failed"] += 1
        print("FAIL " + name + (": " + str(detail) if detail else ""))
    return bool(condition)


def finish():
    """Prints the summary line; the exit status to give."""
    print(f"{counts['passed']} passed, {counts['failed']} failed")
    return 1 if counts["failed"] else 0
