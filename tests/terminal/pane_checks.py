#!/usr/bin/env python3
"""Checks of what tests/terminal/progress_line.sh read from the screen.

    pane_checks.py in-sight DIR SHARE        the line is the last row of SHARE of the screens
    pane_checks.py fits DIR COLUMNS          no line wider than COLUMNS - 1, no piece of one
    pane_checks.py final DIR LOG FROM TO     the whole pane: LOG's lines (FROM read as TO),
                                             then the line's last state, nothing else
    pane_checks.py time-left DIR             from 10 % of the bytes on, within 1.5 times the
                                             real time left (3 s in the last 5 s)
    pane_checks.py never-erased RAW          no erasing in what the pane was sent
    pane_checks.py same-log FILE LOG FROM TO the file holds LOG's lines (FROM read as TO)
    pane_checks.py plain STAMPED FILES       a plain line every five seconds, one at the end

Each prints what it found and exits 0 when the check holds.
"""
import os
import re
import sys

# The start of a line, "386/2000 f", as a terminal shows it while the rest is on its way.
PARTIAL = re.compile(r"^\d+(/(\d+( [a-z]*)?)?)?$")
STAMP = re.compile(r"^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] ")
AMOUNT = r"\d+\.\d [MG]iB"
LINE = re.compile(r"^(?:(\d+)/(\d+) files)?(?:  )?(?:(%s) of (%s))?(?:  )?(?:%s/s)?(?:  )?"
                  r"time left: (\.\.\.|\d+(?::\d\d)+)$" % (AMOUNT, AMOUNT, AMOUNT))


def rows(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        return [row.rstrip() for row in text.read().split("\n")]


def screens(folder):
    """(time, rows) of each screen read while the run went (from half a second after its
    start, when the runner has had time to write anything at all), and when it ended."""
    with open(os.path.join(folder, "start")) as text:
        start = float(text.read())
    with open(os.path.join(folder, "end")) as text:
        end = float(text.read())
    shown = []
    with open(os.path.join(folder, "index")) as index:
        for entry in index:
            number, at = entry.split()
            if start + 0.5 < float(at) < end:
                shown.append((float(at), rows(os.path.join(folder, "cap-" + number))))
    return shown, end


def last_row(screen):
    filled = [row for row in screen if row]
    return filled[-1] if filled else ""


def mib(amount):
    number, unit = amount.split()
    return float(number) * (1024 if unit == "GiB" else 1)


def seconds(shown):
    total = 0
    for part in shown.split(":"):
        total = total * 60 + int(part)
    return total


def in_sight(folder, share):
    shown, _ = screens(folder)
    with_line = [screen for _, screen in shown if LINE.match(last_row(screen))]
    print("the line is the last row of %d of %d screens" % (len(with_line), len(shown)))
    for _, screen in shown:
        if not LINE.match(last_row(screen)):
            print("  e.g. a screen ending in %r" % last_row(screen))
            break
    return len(shown) >= 10 and len(with_line) >= float(share) * len(shown)


def mid_write(row, screen, next_screen):
    """A screen read while the terminal had only part of one write shows the start of a line
    as the last row: of the progress line, or of a log line's stamp. The next screen shows
    that line whole. A piece left behind stays."""
    if row != last_row(screen) or next_screen is None:
        return False
    if PARTIAL.match(row):
        return bool(LINE.match(last_row(next_screen))) and last_row(next_screen) != row
    return row.startswith("[") and any(
        STAMP.match(later) and later.startswith(row) and later != row for later in next_screen)


def fits(folder, columns):
    width = int(columns) - 1
    shown, _ = screens(folder)
    bad = []
    caught = 0
    for at, (_, screen) in enumerate(shown):
        for row in screen[1:]:  # the top row may be the end of a line scrolled off
            line = LINE.match(row)
            if line and len(row) > width:
                bad.append("wider than %d: %r" % (width, row))
            elif mid_write(row, screen, shown[at + 1][1] if at + 1 < len(shown) else None):
                caught += 1
            elif row and not line and not STAMP.match(row):
                bad.append("a piece: %r" % row)
            elif STAMP.match(row) and ("time left" in row or " files  " in row):
                bad.append("a log line with a piece of the line: %r" % row)
    print("%d screens, %d rows that are wrong, %d read while the line was written"
          % (len(shown), len(bad), caught))
    for row in bad[:10]:
        print("  " + row)
    return not bad and len(shown) >= 10


def log_lines(path, target_from, target_to):
    lines = []
    for row in rows(path):
        if STAMP.match(row):
            lines.append(STAMP.sub("", row).replace(target_from + "/", target_to + "/"))
    return lines


def same_lines(found, expected):
    if found == expected:
        print("%d log lines, as in the log of the same backup into a folder" % len(found))
        return True
    print("%d log lines where %d were expected" % (len(found), len(expected)))
    for at, (one, other) in enumerate(zip(found, expected)):
        if one != other:
            print("  first difference at line %d: %r, expected %r" % (at + 1, one, other))
            break
    return False


def final(folder, log, target_from, target_to):
    whole = [row for row in rows(os.path.join(folder, "final")) if row]
    lines = [row for row in whole if LINE.match(row)]
    others = [row for row in whole if not LINE.match(row) and not STAMP.match(row)]
    ok = same_lines(log_lines(os.path.join(folder, "final"), target_to, target_to),
                    log_lines(log, target_from, target_to))
    print("progress lines left on the screen: %r; other rows: %r" % (lines, others[:5]))
    last = LINE.match(lines[-1]) if len(lines) == 1 else None
    return ok and not others and last is not None and last.group(5) == "0:00" and (
        last.group(1) == last.group(2) or last.group(3) == last.group(4))


def time_left(folder):
    shown, end = screens(folder)
    checked, wrong, ratios = 0, [], []
    for at, screen in shown:
        line = LINE.match(last_row(screen))
        if not line or not line.group(3) or line.group(5) == "...":
            continue
        truth = end - at
        if mib(line.group(3)) < 0.1 * mib(line.group(4)):
            continue
        checked += 1
        # Shown in whole seconds, and the run's end (the last flush, the record) is no copying
        # the rate can foresee, slower on a busy machine: in the last five seconds, up to
        # three off is all one can ask.
        left = seconds(line.group(5))
        if truth >= 5:
            ratios.append(left / truth)
        if (truth >= 5 and not 1 / 1.5 <= left / truth <= 1.5) or (truth < 5 and abs(left - truth) > 3):
            wrong.append("%.1f s before the end: %r" % (truth, last_row(screen)))
    print("%d screens from 10 %% of the bytes on, %d outside 1.5 times the real time left "
          "(3 s in the last 5 s); shown / real from %.2f to %.2f"
          % (checked, len(wrong), min(ratios, default=0), max(ratios, default=0)))
    for row in wrong[:10]:
        print("  " + row)
    return checked >= 10 and not wrong


def never_erased(raw):
    with open(raw, "rb") as stream:
        sent = stream.read()
    erasings = sent.count(b"\r\x1b[K")
    drawings = sent.count(b"\r") - erasings
    print("%d drawings of the line, %d erasings" % (drawings, erasings))
    return drawings >= 10 and erasings == 0


def same_log(path, log, target_from, target_to):
    with open(path, "rb") as stream:
        if re.search(rb"[\r\x1b]", stream.read()):
            print("the log file holds a carriage return or an escape")
            return False
    return same_lines(log_lines(path, target_to, target_to), log_lines(log, target_from, target_to))


def plain(stamped, files):
    times, texts = [], []
    for row in rows(stamped):
        if row:
            at, _, text = row.partition(" ")
            times.append(float(at))
            texts.append(text)
    gaps = [later - earlier for earlier, later in zip(times, times[1:])]
    print("%d lines, %s s apart" % (len(texts), ", ".join("%.2f" % gap for gap in gaps)))
    plain_lines = all(LINE.match(text) and not re.search(r"[\r\x1b]", text) for text in texts)
    steady = len(gaps) >= 2 and all(4.9 <= gap <= 6 for gap in gaps[:-1]) and gaps[-1] <= 6
    last = LINE.match(texts[-1]) if texts else None
    return plain_lines and steady and last is not None and last.group(1) == last.group(2) == files


CHECKS = {"in-sight": in_sight, "fits": fits, "final": final, "time-left": time_left,
          "never-erased": never_erased, "same-log": same_log, "plain": plain}

if __name__ == "__main__":
    sys.exit(0 if CHECKS[sys.argv[1]](*sys.argv[2:]) else 1)
