#!/usr/bin/env python3
"""Measures how far one drawing trace departs from another of the same run.

Usage: compare-traces.py REFERENCE OTHER [MAX_LINES MAX_DIFFERENCE]

Both traces must have the same calls in the same order; the numbers may
differ. Prints how many lines differ, the first frame that does, and the
largest difference in any number. With limits, fails when either is passed.
"""
import sys


def main():
    reference_path, other_path = sys.argv[1:3]
    limits = [float(value) for value in sys.argv[3:5]]
    lines = differing = 0
    largest = 0.0
    first_frame = None
    frame = 0
    with open(reference_path) as reference, open(other_path) as other:
        for number, (expected, got) in enumerate(zip(reference, other), 1):
            lines += 1
            if expected == got:
                if expected.startswith("frame "):
                    frame = int(expected.split()[1])
                continue
            a, b = expected.split(), got.split()
            if a[0] != b[0] or len(a) != len(b):
                sys.exit(f"line {number}: the calls differ: {expected.strip()!r} / {got.strip()!r}")
            differing += 1
            first_frame = first_frame or frame
            largest = max(largest, *(abs(float(x) - float(y)) for x, y in zip(a[1:], b[1:])))
        if reference.readline() or other.readline():
            sys.exit(f"the traces differ in length after {lines} lines")
    print(f"{differing} of {lines} lines differ (first in frame {first_frame}); largest difference {largest:.3g}")
    if limits and (differing > limits[0] or largest > limits[1]):
        sys.exit(f"more than the measured {limits[0]:.0f} lines or {limits[1]:.3g}")


main()
