#!/usr/bin/env python3
"""Finds shell pipelines that fail at random: under `set -o pipefail` a pipe into a reader
that stops early (grep -q, -m or -l, head, sed with q, awk with exit, read, dd with count=)
fails whenever the writer is still writing when the reader leaves, since the writer then dies
of SIGPIPE and the pipeline takes its status. Write to a file first, or use grep -c.

    early_exit_pipes.py [FOLDER|FILE]...    (default: .ci tests bench cmake, and the
                                              scripts at the top of the repository)

Shell scripts are the files ending in .sh and those whose first line names a shell. A script
uses pipefail when it sets it or sources a script that does; a `set +o pipefail` holds up to
the end of the parentheses it is in. Prints file:line: text for each such pipe; exit status 1
when there is one.
"""
import os
import re
import sys

SHELLS = re.compile(r"^#!.*\b(bash|sh|dash|ksh|zsh)\b")
PIPEFAIL_ON = re.compile(r"\bset\s+(-[a-zA-Z]*o[a-zA-Z]*|-o)\s+pipefail\b")
SOURCED = re.compile(r"^\s*(?:source|\.)\s+(.+?)\s*$", re.M)
WRAPPERS = {"command", "env", "nice", "nohup", "exec"}


class Scanner:
    """Walks one script, quotes, comments, here-documents and expansions understood well
    enough that only real pipes count."""

    def __init__(self, text, pipefail):
        self.text, self.at, self.line = text, 0, 1
        self.pipefail = [pipefail]  # one entry per level of parentheses
        self.heredocs = []
        self.found = []

    def peek(self, offset=0):
        at = self.at + offset
        return self.text[at] if at < len(self.text) else ""

    def advance(self, count=1):
        for _ in range(count):
            if self.peek() == "\n":
                self.line += 1
            self.at += 1

    def run(self):
        self.code(None)
        return self.found

    def code(self, closing):
        """Scans commands up to `closing` (")", "`" or None for the end of the text)."""
        depth = 0
        while self.at < len(self.text):
            char = self.peek()
            if closing == "`" and char == "`":
                return self.advance()
            if char == ")" and closing == ")" and depth == 0:
                return self.advance()
            if self.text.startswith("set +o pipefail", self.at):
                self.pipefail[-1] = False
            elif PIPEFAIL_ON.match(self.text, self.at):
                self.pipefail[-1] = True
            if char == "\\":
                self.advance(2)
            elif char == "'":
                self.single_quoted()
            elif char == '"':
                self.advance()
                self.double_quoted()
            elif char == "$":
                self.dollar()
            elif char == "`":
                self.advance()
                self.code("`")
            elif char == "#" and self.word_starts():
                while self.at < len(self.text) and self.peek() != "\n":
                    self.advance()
            elif char == "\n":
                self.advance()
                self.heredoc_bodies()
            elif char == "<" and self.text.startswith("<<", self.at) and self.peek(2) != "<":
                self.heredoc_start()
            elif char == "(":
                if self.peek(1) == "(" and self.word_starts():
                    self.skip_balanced("((", "))")
                    continue
                depth += 1
                self.pipefail.append(self.pipefail[-1])
                self.advance()
            elif char == ")":
                if depth > 0:
                    depth -= 1
                    if len(self.pipefail) > 1:
                        self.pipefail.pop()
                self.advance()
            elif char == "|":
                self.pipe()
            else:
                self.advance()

    def word_starts(self):
        return self.at == 0 or self.text[self.at - 1] in " \t\n;&|()"

    def single_quoted(self):
        self.advance()
        while self.at < len(self.text) and self.peek() != "'":
            self.advance()
        self.advance()

    def double_quoted(self):
        while self.at < len(self.text):
            char = self.peek()
            if char == "\\":
                self.advance(2)
            elif char == '"':
                return self.advance()
            elif char == "$":
                self.dollar()
            elif char == "`":
                self.advance()
                self.code("`")
            else:
                self.advance()

    def dollar(self):
        if self.text.startswith("$((", self.at):
            return self.skip_balanced("$((", "))")
        if self.text.startswith("$(", self.at):
            self.advance(2)
            self.pipefail.append(self.pipefail[-1])
            self.code(")")
            return self.pipefail.pop()
        if self.text.startswith("${", self.at):
            return self.skip_balanced("${", "}")
        if self.text.startswith("$'", self.at):
            self.advance(2)
            while self.at < len(self.text) and self.peek() != "'":
                self.advance(2 if self.peek() == "\\" else 1)
            return self.advance()
        self.advance()

    def skip_balanced(self, opening, closing):
        """Skips an arithmetic or parameter expansion; a command substitution in it is code."""
        self.advance(len(opening))
        depth = 1
        while self.at < len(self.text) and depth:
            if self.text.startswith(closing, self.at):
                depth -= 1
                self.advance(len(closing))
            elif self.text.startswith("$(", self.at) and not self.text.startswith("$((", self.at):
                self.dollar()
            elif self.text.startswith(opening[-1], self.at):
                depth += 1
                self.advance()
            elif self.peek() == "'" and opening == "${":
                self.single_quoted()
            elif self.peek() == '"':
                self.advance()
                self.double_quoted()
            else:
                self.advance(2 if self.peek() == "\\" else 1)

    def heredoc_start(self):
        match = re.compile(r"<<(-?)\s*(['\"]?)([\w.-]+)\2").match(self.text, self.at)
        if not match:
            return self.advance(2)
        self.heredocs.append((match.group(3), match.group(1) == "-"))
        self.advance(match.end() - self.at)

    def heredoc_bodies(self):
        for delimiter, tabs in self.heredocs:
            while self.at < len(self.text):
                end = self.text.find("\n", self.at)
                end = len(self.text) if end < 0 else end
                row = self.text[self.at:end]
                self.advance(end - self.at + 1)
                if (row.lstrip("\t") if tabs else row) == delimiter:
                    break
        self.heredocs = []

    def pipe(self):
        before = self.text[self.at - 1] if self.at else ""
        if self.peek(1) == "|" or before in "|>":
            return self.advance(2 if self.peek(1) == "|" else 1)
        line = self.line
        self.advance(2 if self.peek(1) == "&" else 1)
        words = reader_words(self.text, self.at)
        if self.pipefail[-1] and stops_early(words):
            self.found.append((line, " ".join(words)))


def reader_words(text, at):
    """The words of the command that starts at `at`, up to its end."""
    words, word, quote = [], "", ""
    while at < len(text):
        char = text[at]
        if quote:
            if char == quote:
                quote = ""
            elif char == "\\" and quote == '"':
                at += 1
                word += text[at:at + 1]
            else:
                word += char
        elif char in "'\"":
            quote = char
        elif char == "\\" and text[at + 1:at + 2] == "\n":
            at += 1
        elif char in " \t":
            if word:
                words.append(word)
            word = ""
        elif char == "#" and not word and not words:
            at = text.find("\n", at)  # a comment after the "|": the command is on the next line
            if at < 0:
                return words
            continue
        elif char in "\n;&|)<>" or (char == "#" and not word):
            if word:
                words.append(word)
            if char == "\n" and not words:
                at += 1
                continue
            return words
        else:
            word += char
        at += 1
    return words + ([word] if word else [])


def stops_early(words):
    while words and (re.match(r"^\w+=", words[0]) or words[0] in WRAPPERS or words[0] == "!"):
        words = words[1:]
    if words and words[0] == "timeout":
        words = words[2:]
    if not words:
        return False
    name, args = os.path.basename(words[0]), words[1:]
    if name in ("grep", "egrep", "fgrep", "zgrep"):
        return any(re.match(r"^-[a-zA-Z]*[qlm]", arg) or
                   arg in ("--quiet", "--silent", "--files-with-matches") or
                   arg.startswith("--max-count") for arg in args)
    if name == "head" or name == "read":
        return True
    if name == "sed":
        scripts = [arg for arg in args if not arg.startswith("-")]
        return any(re.search(r"(^|[;{}\s\d$])[qQ]\s*\d*\s*($|[;}])", script) for script in scripts)
    if name in ("awk", "gawk", "mawk"):
        return any(re.search(r"\bexit\b", arg) for arg in args)
    if name == "dd":
        return any(arg.startswith("count=") for arg in args)
    return False


def is_script(path):
    if path.endswith(".sh"):
        return True
    try:
        with open(path, encoding="utf-8", errors="replace") as stream:
            return bool(SHELLS.match(stream.readline()))
    except OSError:
        return False


def sets_pipefail(path, seen=()):
    """True when the script sets pipefail, or sources a script that does."""
    try:
        with open(path, encoding="utf-8", errors="replace") as stream:
            text = stream.read()
    except OSError:
        return False
    if PIPEFAIL_ON.search(text):
        return True
    for name in SOURCED.findall(text):
        # "$(dirname "$0")/lib.sh" and the like: the path below the script's own folder.
        tail = re.split(r"[)}]", name)[-1].strip("\"'")
        sourced = os.path.normpath(os.path.join(os.path.dirname(path), tail.lstrip("/")))
        if sourced not in seen and os.path.isfile(sourced) and sets_pipefail(sourced, seen + (path,)):
            return True
    return False


def scripts_in(paths):
    for path in paths:
        if os.path.isfile(path):
            yield path
            continue
        for folder, dirs, files in os.walk(path):
            dirs[:] = sorted(d for d in dirs if not d.startswith(".") or d == ".ci")
            for name in sorted(files):
                candidate = os.path.join(folder, name)
                if is_script(candidate):
                    yield candidate


def main(paths):
    if not paths:
        paths = [".ci", "tests", "bench", "cmake"] + sorted(
            name for name in os.listdir(".") if name.endswith(".sh"))
    bad = 0
    for path in scripts_in(paths):
        with open(path, encoding="utf-8", errors="replace") as stream:
            text = stream.read()
        for line, reader in Scanner(text, sets_pipefail(path)).run():
            print("%s:%d: a pipe into '%s' under pipefail" % (path, line, reader))
            bad += 1
    if bad:
        print("early-exit pipes: %d found: write to a file first, or use grep -c" % bad,
              file=sys.stderr)
        return 1
    print("early-exit pipes: none under pipefail")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
