#!/usr/bin/env python3
"""Makes the deterministic file trees of bench/run.sh and bench/memory.sh.

  gen_tree.py small DIR [--count 50000] [--dirs 2000]   files of 1..16 KiB
  gen_tree.py large DIR [--count 8] [--size-mib 128]    a few big files at the top
  gen_tree.py tiny  DIR --count N [--dirs N/25] [--max-size 0]   empty or tiny files
  gen_tree.py touch DIR [--count 500]                   rewrite some files, newer mtime

Same arguments and seed, same tree (names, sizes, bytes). Files go to leaf
directories three levels deep (dNNN/dNN/dNN), file i into leaf i mod --dirs.
"touch" picks the same files every time (a fixed-seed sample of the sorted
paths), changes their first byte and sets their mtime to now.
"""
import argparse
import os
import random
import sys
import time

SEED = 20240501
POOL_BYTES = 16 << 20  # random bytes that file contents are cut from
FANOUT = 20            # leaves per middle directory, middles per top directory


def pool(seed):
    return random.Random(seed).randbytes(POOL_BYTES)


def leaf_dirs(count):
    for i in range(count):
        top, mid, leaf = i // (FANOUT * FANOUT), (i // FANOUT) % FANOUT, i % FANOUT
        yield os.path.join(f"d{top:03d}", f"d{mid:02d}", f"d{leaf:02d}")


def write_file(path, data):
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    try:
        view = memoryview(data)
        while view:
            view = view[os.write(fd, view):]
    finally:
        os.close(fd)


def make_leaves(root, dirs):
    leaves = [os.path.join(root, d) for d in leaf_dirs(dirs)]
    for d in leaves:
        os.makedirs(d, exist_ok=True)
    return leaves


def spread_files(root, count, dirs, min_size, max_size, seed):
    """count files of min_size..max_size bytes over `dirs` leaf directories."""
    rng = random.Random(seed + 1)
    data = pool(seed) if max_size > 0 else b""
    leaves = make_leaves(root, max(1, dirs))
    for i in range(count):
        size = rng.randint(min_size, max_size)
        start = rng.randrange(0, POOL_BYTES - size + 1) if size else 0
        write_file(os.path.join(leaves[i % len(leaves)], f"f{i:07d}.dat"),
                   data[start:start + size])


def cmd_small(a):
    spread_files(a.dir, a.count, a.dirs, 1024, 16 * 1024, a.seed)


def cmd_tiny(a):
    spread_files(a.dir, a.count, a.dirs or max(1, a.count // 25), 0, a.max_size, a.seed)


def cmd_large(a):
    """Each file is a sequence of rotations of the pool, so no two chunks repeat."""
    rng = random.Random(a.seed + 2)
    data = pool(a.seed)
    os.makedirs(a.dir, exist_ok=True)
    size = a.size_mib << 20
    for k in range(a.count):
        fd = os.open(os.path.join(a.dir, f"big{k}.dat"), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        try:
            left = size
            while left > 0:
                r = rng.randrange(POOL_BYTES)
                chunk = memoryview(data[r:] + data[:r])[:left]
                while chunk:
                    chunk = chunk[os.write(fd, chunk):]
                left -= min(left, POOL_BYTES)
        finally:
            os.close(fd)


def all_files(root):
    found = []
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames.sort()
        found.extend(os.path.join(dirpath, f) for f in sorted(filenames))
    return found


def cmd_touch(a):
    files = all_files(a.dir)
    if a.count > len(files):
        sys.exit(f"gen_tree: touch: only {len(files)} files below {a.dir}")
    for path in random.Random(a.seed + 3).sample(files, a.count):
        with open(path, "r+b") as f:
            first = f.read(1)
            f.seek(0)
            f.write(bytes([(first[0] + 1) % 256]) if first else b"")
        now = time.time_ns()
        os.utime(path, ns=(now, now))


def parse(argv):
    p = argparse.ArgumentParser(description="Deterministic trees for the Quillstone bench.")
    p.add_argument("kind", choices=["small", "large", "tiny", "touch"])
    p.add_argument("dir")
    p.add_argument("--count", type=int, help="files (small 50000, large 8, touch 500)")
    p.add_argument("--dirs", type=int, help="leaf directories (small 2000, tiny count/25)")
    p.add_argument("--size-mib", type=int, default=128, help="large: size of each file")
    p.add_argument("--max-size", type=int, default=0, help="tiny: largest file in bytes")
    p.add_argument("--seed", type=int, default=SEED)
    a = p.parse_args(argv)
    defaults = {"small": (50000, 2000), "large": (8, None), "tiny": (None, None), "touch": (500, None)}
    count, dirs = defaults[a.kind]
    a.count = a.count if a.count is not None else count
    a.dirs = a.dirs if a.dirs is not None else dirs
    if a.count is None:
        p.error("tiny needs --count")
    return a


def main(argv):
    a = parse(argv)
    {"small": cmd_small, "large": cmd_large, "tiny": cmd_tiny, "touch": cmd_touch}[a.kind](a)


if __name__ == "__main__":
    main(sys.argv[1:])
