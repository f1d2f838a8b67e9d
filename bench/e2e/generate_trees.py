#!/usr/bin/env python3
"""Writes a seeded pair of C source trees, old/ and new/, for the end-to-end benchmark.

The old tree has FILES files of about LINES lines in all; the new one edits 10% of them,
deletes 3% and adds 5% more. The same seed always gives the same bytes.
"""
import argparse
import math
import os
import random
import shutil

WORDS = ("buffer count index node list table entry value key item state config data size "
         "offset length flags mode handle queue stack cache block page frame packet stream "
         "header record field token parser lexer symbol scope result error status event timer "
         "socket client server request reply session lock mutex thread worker pool task").split()
TYPES = ("int", "long", "size_t", "unsigned", "char *", "const char *", "double", "uint32_t",
         "struct node *", "void *")
MODULES = ("core net io util mem proto store crypt sched log conf http json text cache "
           "disk fs hash list map tree queue event timer shell cli test math str buf pool "
           "codec image audio video db sql auth user perm").split()


class Writer:
    """Builds plausible C: comments, declarations, functions with nested blocks."""

    def __init__(self, rng):
        self.rng = rng

    def name(self, parts=2):
        return "_".join(self.rng.choice(WORDS) for _ in range(parts))

    def number(self):
        return str(self.rng.choice((0, 1, 2, 4, 8, 16, 32, 64, 100, 128, 255, 1024,
                                    self.rng.randint(3, 9999))))

    def comment_block(self, indent=""):
        lines = [indent + "/*"]
        for _ in range(self.rng.randint(1, 4)):
            lines.append(indent + " * " + " ".join(self.rng.choice(WORDS)
                                                   for _ in range(self.rng.randint(3, 10))))
        lines.append(indent + " */")
        return lines

    def statement(self, indent):
        r = self.rng.random()
        a, b = self.name(1), self.name(1)
        if r < 0.25:
            return [f"{indent}{a} = {b} + {self.number()};"]
        if r < 0.40:
            return [f"{indent}{a}->{b} = {self.name()}({self.name(1)}, {self.number()});"]
        if r < 0.50:
            return [f"{indent}if ({a} == NULL)", f"{indent}    return -{self.number()};"]
        if r < 0.60:
            return [f"{indent}// {' '.join(self.rng.choice(WORDS) for _ in range(5))}"]
        if r < 0.70:
            return [f"{indent}{self.rng.choice(TYPES)} {a}_{b} = {self.number()};"]
        if r < 0.80:
            return [f"{indent}memcpy({a}, {b}, sizeof(*{a}) * {self.number()});"]
        if r < 0.90:
            return [f"{indent}{self.name()}(&{a}, \"{self.name(1)}\", {self.number()});"]
        return [""]

    def block(self, indent, depth):
        lines = []
        for _ in range(self.rng.randint(2, 8)):
            if depth < 3 and self.rng.random() < 0.2:
                kind = self.rng.random()
                var = self.name(1)
                if kind < 0.5:
                    lines.append(f"{indent}for ({var} = 0; {var} < {self.name(1)}; {var}++) {{")
                elif kind < 0.8:
                    lines.append(f"{indent}if ({var} > {self.number()}) {{")
                else:
                    lines.append(f"{indent}while ({var}-- > 0) {{")
                lines += self.block(indent + "    ", depth + 1)
                lines.append(f"{indent}}}")
            else:
                lines += self.statement(indent)
        return lines

    def function(self):
        lines = []
        if self.rng.random() < 0.6:
            lines += self.comment_block()
        static = "static " if self.rng.random() < 0.5 else ""
        params = ", ".join(f"{self.rng.choice(TYPES)} {self.name(1)}"
                           for _ in range(self.rng.randint(0, 4))) or "void"
        lines.append(f"{static}{self.rng.choice(TYPES)} {self.name(3)}({params})")
        lines.append("{")
        for _ in range(self.rng.randint(0, 4)):
            lines.append(f"    {self.rng.choice(TYPES)} {self.name(1)};")
        lines.append("")
        lines += self.block("    ", 0)
        lines.append(f"    return {self.name(1)};")
        lines.append("}")
        lines.append("")
        return lines

    def file(self, path, target):
        lines = self.comment_block()
        lines[1] = f" * {os.path.basename(path)} - {' '.join(self.rng.choice(WORDS) for _ in range(4))}"
        lines.append("")
        for header in self.rng.sample(("stdio.h", "stdlib.h", "string.h", "stdint.h",
                                       "errno.h", "unistd.h"), 3):
            lines.append(f"#include <{header}>")
        lines.append(f"#include \"{self.name(1)}.h\"")
        lines.append("")
        lines.append(f"#define {self.name().upper()} {self.number()}")
        lines.append("")
        while len(lines) < target:
            lines += self.function()
        return lines[:max(target, 10)]

    def edit(self, lines):
        """A few hunks: changed lines, inserted code, removed code."""
        lines = list(lines)
        for _ in range(self.rng.randint(1, 5)):
            if not lines:  # a small file that the hunks before removed whole
                break
            at = self.rng.randrange(len(lines))
            kind = self.rng.random()
            if kind < 0.5:
                for k in range(at, min(at + self.rng.randint(1, 4), len(lines))):
                    if lines[k].strip():
                        lines[k] = lines[k].replace(self.rng.choice(WORDS), self.name(1), 1) \
                            if self.rng.random() < 0.5 else lines[k] + " /* " + self.name(1) + " */"
            elif kind < 0.8:
                lines[at:at] = self.block("    ", 1)
            else:
                del lines[at:at + self.rng.randint(2, 10)]
        return lines


def write(root, relative, lines):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="folder that receives old/ and new/")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--lines", type=int, default=400000)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    writer = Writer(rng)
    # File sizes spread as in real projects: many small files, a few large ones.
    sigma = 0.8
    weights = [rng.lognormvariate(0.0, sigma) for _ in range(args.files)]
    scale = args.lines / sum(weights)
    sizes = [max(12, round(w * scale)) for w in weights]

    names = set()
    paths = []
    while len(paths) < args.files + args.files // 20:
        module = rng.choice(MODULES)
        sub = rng.choice(("", "", "impl/", "ext/"))
        name = f"src/{module}/{sub}{writer.name(2)}{rng.choice(('.c', '.c', '.c', '.h'))}"
        if name not in names:
            names.add(name)
            paths.append(name)
    old_paths, added_paths = paths[:args.files], paths[args.files:]

    for side in ("old", "new"):
        shutil.rmtree(os.path.join(args.out, side), ignore_errors=True)
    deleted = set(rng.sample(range(args.files), args.files * 3 // 100))
    remaining = [k for k in range(args.files) if k not in deleted]
    edited = set(rng.sample(remaining, args.files // 10))
    total = 0
    for k, path in enumerate(old_paths):
        lines = writer.file(path, sizes[k])
        total += len(lines)
        write(os.path.join(args.out, "old"), path, lines)
        if k in deleted:
            continue
        write(os.path.join(args.out, "new"), path, writer.edit(lines) if k in edited else lines)
    for path in added_paths:
        write(os.path.join(args.out, "new"), path,
              writer.file(path, max(12, round(rng.lognormvariate(0.0, sigma) * scale))))
    print(f"old: {args.files} files, {total} lines; new: {args.files - len(deleted) + len(added_paths)} "
          f"files ({len(edited)} edited, {len(deleted)} deleted, {len(added_paths)} added)")


if __name__ == "__main__":
    main()
