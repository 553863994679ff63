#!/usr/bin/env python3
"""Mutation testing: how many small faults in the module, the rasteriser and
the host kit the tests catch.

For each mutation below (a piece of code and what it becomes) the script finds
the one place it occurs under src/core, src/backends/raster and src/hosts/common,
applies it, rebuilds, runs ctest, and puts the file back. A mutant the tests
fail on is killed; one they pass survives; one whose code is no longer there
is gone (the code was rewritten), and one that no longer builds is stillborn.

Usage: bench/mutation-test.py BUILD_DIR [--only N,N...]
Run it from a clean work tree: it edits sources in place, and restores them.
"""
import pathlib
import subprocess
import sys

ROOTS = ["src/core", "src/backends/raster", "src/hosts/common"]

# (what to find, what to put instead). Each finds one place only.
MUTATIONS = [
    # vectors and colours
    ("_x = _x + other.getX();", "_x = _x - other.getX();"),
    ("_y = _y + other.getY();", "_y = _y + other.getX();"),
    ("if (magnitude > max) {", "if (magnitude >= max + 1) {"),
    ("    _y = _y * s;\n}", "    _y = _y * s * s;\n}"),
    ("float squared = _x * _x + _y * _y;", "float squared = _x * _x + _y * _x;"),
    ("if (magnitude == 0.0f)\n        return;\n    _x = _x / magnitude;", "if (magnitude == 0.0f)\n        ;\n    _x = _x / magnitude;"),
    ("if (0 > v)\n        return 0;", "if (1 > v)\n        return 0;"),
    ("if (v > 255)\n        return 255;", "if (v > 256)\n        return 256;"),
    ("_blue = _blue + other.getBlue();", "_blue = _blue + other.getGreen();"),
    ("_green = contain(_green);", ";"),
    # random sources
    ("std::int32_t word = seed == 0 ? 1 : static_cast<std::int32_t>(seed);", "std::int32_t word = seed == 0 ? 0 : static_cast<std::int32_t>(seed);"),
    ("std::int32_t high = word / 127773;", "std::int32_t high = word / 127774;"),
    ("word += 2147483647;", "word += 2147483646;"),
    ("for (int i = 0; i < 10 * degree; ++i)", "for (int i = 0; i < 10 * degree - 1; ++i)"),
    ("std::uint32_t value = _state[_front] >> 1;", "std::uint32_t value = _state[_front] >> 2;"),
    ("return state * 1103515245u + 12345u;", "return state * 1103515245u + 12346u;"),
    ("std::uint32_t result = (_state / 65536) % 2048;", "std::uint32_t result = (_state / 65536) % 1024;"),
    ("std::make_unique<RandRStream>(seed ^ 0xFFFFFFFFu)", "std::make_unique<RandRStream>(seed)"),
    ("return (r / 2147483647.0) * range + a;", "return (r / 2147483648.0) * range + a;"),
    ("std::int64_t count = range >= 0 ? range + 1 : range - 1;", "std::int64_t count = range >= 0 ? range : range - 1;"),
    ("if (step == count)\n        return a;", "if (step == count)\n        return b;"),
    # fins and creatures
    ("std::uint32_t pointCount = sources.arc4random() % 10 + 10;", "std::uint32_t pointCount = sources.arc4random() % 10 + 9;"),
    ("_segLength = static_cast<float>(SSRandomFloatBetween(0, 30));", "_segLength = static_cast<float>(SSRandomFloatBetween(0, 31));"),
    ("float red = offsetChannel(startColor.getRed());\n    float green = offsetChannel(startColor.getGreen());", "float green = offsetChannel(startColor.getGreen());\n    float red = offsetChannel(startColor.getRed());"),
    ("_counter = static_cast<float>(0.08 * phaseFraction);", "_counter = static_cast<float>(0.09 * phaseFraction);"),
    ("return _segLength / 30.0f;", "return _segLength / 40.0f;"),
    ("if (_segLength > 40.0f)", "if (_segLength >= 40.1f)"),
    ("double sway = std::sin(double { phase - static_cast<float>(index) });", "double sway = std::sin(double { phase + static_cast<float>(index) });"),
    ("auto heading = static_cast<float>(sway / 20 + towardsTarget);", "auto heading = static_cast<float>(sway / 21 + towardsTarget);"),
    ("+ sway / 10));", "+ sway / 11));"),
    ("+ sway / 2));", "- sway / 2));"),
    ("* 4u) / pointCount + 1u;", "* 4u) / pointCount + 2u;"),
    ("float width = static_cast<float>(step) / 5.0f + 5.0f * livedPercent();", "float width = static_cast<float>(step) / 5.0f + 4.0f * livedPercent();"),
    ("surface->strokeSegment(x1, y1, x2, y2, width);", "surface->strokeSegment(x1, y1, x2, y1, width);"),
    ("auto value = static_cast<std::int32_t>(150.0 * std::sin(double { counterChannel }) + finChannel);", "auto value = static_cast<std::int32_t>(150.0 * std::cos(double { counterChannel }) + finChannel);"),
    ("value = value > 255 ? 510 - value : -value;", "value = value > 255 ? 511 - value : -value;"),
    ("float alpha = 0.5f * (1.0f - fin.livedPercent());", "float alpha = 0.5f * (1.1f - fin.livedPercent());"),
    ("surface->setColor(red / 255.0, green / 255.0, blue / 255.0, alpha);", "surface->setColor(red / 255.0, blue / 255.0, green / 255.0, alpha);"),
    ("for (std::size_t i = 0; i + 1 < points.size(); ++i)", "for (std::size_t i = 0; i + 2 < points.size(); ++i)"),
    ("_counters[finIndex] = phase + fin.getCounter();", "_counters[finIndex] = phase - fin.getCounter();"),
    ("phase = static_cast<float>(folded < 0 ? folded + turn : folded);", "phase = static_cast<float>(folded < 0 ? folded : folded);"),
    ("if (++_renderCount % phaseFoldInterval == 0)", "if (++_renderCount % phaseFoldInterval == 1)"),
    # the scene
    ("_damping(0.997f)", "_damping(0.998f)"),
    ("_velocity.limit(10);", "_velocity.limit(11);"),
    ("_acceleration.setX(0);", ";"),
    ("float y = drawFloat(cy - 100.0f, cy + 100.0f);\n        float x = drawFloat(cx - 100.0f, cx + 100.0f);", "float x = drawFloat(cx - 100.0f, cx + 100.0f);\n        float y = drawFloat(cy - 100.0f, cy + 100.0f);"),
    ("green = drawFloat(-3, 0);", "green = drawFloat(-3, 1);"),
    ("offGreen = static_cast<float>(offGreen + SSRandomFloatBetween(0, 50));", "offGreen = static_cast<float>(offRed + SSRandomFloatBetween(0, 50));"),
    ("std::int32_t finCount = SSRandomIntBetween(7, 14);", "std::int32_t finCount = SSRandomIntBetween(7, 13);"),
    ("_colorCnt.add(_colorPls);", ";"),
    ("pullTowardsLeader(_bobs[i], _bobs[i - 1].getLocationX(), _bobs[i - 1].getLocationY());", "pullTowardsLeader(_bobs[i], _bobs[i - 1].getLocationY(), _bobs[i - 1].getLocationX());"),
    ("float stretch = force.getMag() - _restLength;", "float stretch = force.getMag() + _restLength;"),
    ("_restLength(100.0f)", "_restLength(101.0f)"),
    ("_k(0.02f)", "_k(0.021f)"),
    ("_acceleration.addX(static_cast<float>(SSRandomFloatBetween(0, 0.002)));", "_acceleration.addX(static_cast<float>(SSRandomFloatBetween(0, 0.003)));"),
    ("_location.addY(static_cast<float>(_velocity.getY() + std::sin(double { _acceleration.getY() })));", "_location.addY(static_cast<float>(_velocity.getY() + std::sin(double { _acceleration.getX() })));"),
    # the view and its session
    ("if (!usable(frame.size.width) || !usable(frame.size.height))", "if (!usable(frame.size.width))"),
    ("return std::isfinite(side) && side >= 0;", "return std::isfinite(side) && side > 0;"),
    ("if (!_view->isAnimating())\n        return;", "if (!_view->isAnimating())\n        ;"),
    ("++_framesRun;", ";"),
    # the frame clock
    ("std::int64_t index = std::max(_index + 1,", "std::int64_t index = std::max(_index + 2,"),
    ("while (deadline(index) <= now)", "while (deadline(index) < now)"),
    ("_nextDeadline = now;", "_nextDeadline = now + std::chrono::milliseconds(1);"),
    ("std::max(viewIntervalSeconds, std::chrono::duration<double>(leastDelay).count())", "std::min(viewIntervalSeconds, std::chrono::duration<double>(leastDelay).count())"),
    # the rasteriser
    ("double halfWidth = width / 2;", "double halfWidth = width / 2.01;"),
    ("if (!(width > 0) || !(length > 0) || !std::isfinite(length))", "if (!(width > 0) || !std::isfinite(length))"),
    ("return point.x >= 0 && point.x <= right && point.y >= 0 && point.y <= bottom;", "return point.x >= 0 && point.x <= right && point.y >= 0;"),
    ("corner = { std::clamp(corner.x, 0.0, right), std::clamp(corner.y, 0.0, bottom) };", ";"),
    ("int lastColumn = (right - 1) >> _tileShift;", "int lastColumn = (right - 2) >> _tileShift;"),
    ("int height = std::min(_tileSize, _height - top);", "int height = _tileSize;"),
    ("above->height += height;", "areas.push_back({ left, top, width, height });"),
    ("std::fill(_touched.begin(), _touched.end(), 0);", ";"),
    ("return static_cast<std::uint32_t>(static_cast<std::uint16_t>(clamped * (65536.0 - 1e-5))) >> 8;", "return static_cast<std::uint32_t>(static_cast<std::uint16_t>(clamped * 65535.0)) >> 8;"),
    ("std::uint32_t product = a * b + 128;", "std::uint32_t product = a * b + 127;"),
    ("double opacity = alpha > 0 ? std::min(alpha, 1.0) : 0.0;", "double opacity = alpha > 0 ? alpha : 0.0;"),
    ("const std::uint32_t black = 0xFF000000;", "const std::uint32_t black = 0xFF000001;"),
]


def locate(source, text):
    hits = [(path, path.read_text()) for root in ROOTS for path in sorted((source / root).rglob("*"))
            if path.is_file() and text in path.read_text()]
    return hits[0] if len(hits) == 1 and hits[0][1].count(text) == 1 else None


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs).returncode


def main():
    only = sys.argv[3].split(",") if len(sys.argv) == 4 and sys.argv[2] == "--only" else []
    if len(sys.argv) not in (2, 4) or (len(sys.argv) == 4 and not all(
            n.isdigit() and 1 <= int(n) <= len(MUTATIONS) for n in only)):
        sys.exit(__doc__)
    source = pathlib.Path(__file__).resolve().parent.parent
    build = pathlib.Path(sys.argv[1]).resolve()
    chosen = [int(n) - 1 for n in only] if only else range(len(MUTATIONS))
    if run(["cmake", "--build", str(build)]) != 0 or run(["ctest", "--test-dir", str(build)]) != 0:
        sys.exit("mutation-test: the unmutated build must build and pass its tests first")
    totals = {}
    for n in chosen:
        original, mutated = MUTATIONS[n]
        place = locate(source, original)
        if not place:
            outcome, where = "gone", "-"
        else:
            path, text = place
            where = str(path.relative_to(source))
            path.write_text(text.replace(original, mutated))
            try:
                if run(["cmake", "--build", str(build)]) != 0:
                    outcome = "stillborn"
                else:
                    failed = run(["ctest", "--test-dir", str(build), "-j2", "--stop-on-failure", "--timeout", "300"])
                    outcome = "killed" if failed else "survived"
            finally:
                path.write_text(text)
        totals[outcome] = totals.get(outcome, 0) + 1
        print(f"{n + 1:3} {outcome:9} {where}: {original.splitlines()[0][:70]}", flush=True)
    run(["cmake", "--build", str(build)])
    print(", ".join(f"{count} {outcome}" for outcome, count in sorted(totals.items())))


if __name__ == "__main__":
    main()
