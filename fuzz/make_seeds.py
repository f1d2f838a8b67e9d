#!/usr/bin/env python3
"""Writes the seed corpora of fuzz/corpus/<target>/ in each target's input format (see the top
of fuzz/<target>.cpp). Deterministic: running it again gives the same files."""
import os
import random

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')


def seed(target, name, *parts):
    os.makedirs(os.path.join(ROOT, target), exist_ok=True)
    with open(os.path.join(ROOT, target, name), 'wb') as f:
        f.write(b''.join(p if isinstance(p, bytes) else bytes(p) for p in parts))


def pair(name, threshold, markers, one, two):  # the split byte makes `one` the first file
    split = max(s for s in range(256) if (len(one) + len(two)) * s // 255 <= len(one))
    seed('fuzz_file_pair', name, [threshold + 2], markers, [split], one, two)


def path(text):  # fuzz_file_mask's pieces: bytes below 44 pick one, the others are characters
    pieces = {'\\': 1, '*': 3, ' ': 6, '|': 7, '\0': 10}
    return bytes([len(text)] + [pieces.get(c, ord(c)) for c in text])


rnd = random.Random(7)
code = b"int a;\n// note\n\nint b;\nint b;\nreturn x;\n/* block\n\n  still */\nfoo();\n"
pair('c_edit', 5, [0], code, b"foo();\nint a;\n// note\nint b;\n\n\nreturn y;\n// foo();\nnew\n")
pair('unchanged_file', 5, [0], code, code)
pair('old_line_pairs_twice', 4, [1], b"abc\n", b"abc\n\nabd\n")
pair('custom_markers_nul', 3, b'\xc0\x02;;\x01[\x01]', b"\0x\0\r\n;; c\n[ a\n b ]\n", b"\0y\0\n[ a ]\n")
hexes = [''.join(rnd.choice('0123456789abcdef') for _ in range(rnd.choice([7, 8, 9]))).encode() for _ in range(200)]
edited = [h[:-1] + bytes([rnd.choice(b'0123456789')]) if rnd.random() < 0.5 else h for h in hexes]
rnd.shuffle(edited)
pair('equal_length_lines', 6, [0], b'\n'.join(hexes) + b'\n', b'\n'.join(edited) + b'\n')
letters = b''.join(bytes([97 + k % 26]) * rnd.randint(1, 40) + b'\n' for k in range(40))
pair('long_lines', 12, [0], letters + b'a' * 300 + b'b\n', b'a' * 298 + b'bbb\n' + letters[::-1])

match = path('old') + path('new/') + path('a/b.c') + path('a/b.c') + b'\0'
seed('fuzz_file_mask', 'java_mask_missing_folder', [1], path('src/*.java'), match)
seed('fuzz_file_mask', 'no_separator', [0], path('src'), match)
seed('fuzz_file_mask', 'existing_folder_with_dot', [2], path('/lib.old'), match)
seed('fuzz_file_mask', 'backslash_star', [4], path('C:\\src\\x*'), path('r\\'), path('r'), path('a'), path('b'), [3])
seed('fuzz_file_mask', 'dots_and_nul', [1], path('../.\0*/a.'), match)

number = [3, 7, 0, 0, 0]  # fuzz_statements' values: kind, then what it needs
seed('fuzz_statements', 'file_name_with_quote', [0, 13], number * 8, [5, 3, 0xC1, 6, 0xC1], number * 10)
seed('fuzz_statements', 'dir_with_bars', [2, 1], number * 3, [5, 2, 6, 9], [5, 1, 1])
seed('fuzz_statements', 'null_boolean_doubles', [1, 9, 1, 2, 8, 4, 0, 4, 5, 0xC4, 0, 0, 0xC0, 0x7F], number * 7)
