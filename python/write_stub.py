#!/usr/bin/env python3
"""Writes _cvn.pyi: the comparer classes' methods as their interface describes them.

Run at build time with the built module on PYTHONPATH; the argument is the stub's path.
"""
import importlib
import sys

# The built package, not the sources beside this script.
del sys.path[0]
native = importlib.import_module("cvn._cvn")

HEADER = '''# Written at build time by python/write_stub.py from the interface's description.
from typing import Any, Optional

class Options:
    language: Optional[str]
    comment: Optional[str]
    begin: Optional[str]
    end: Optional[str]
    threshold: int
    type: int
    legacy: bool
    jobs: Optional[int]
    session: Optional[int]
    db: Optional[str]

def compare(old: Optional[bytes], new: Optional[bytes], git: Optional[list[bytes]],
            options: Options) -> dict[str, Any]: ...
def count(paths: list[bytes], language: Optional[str], comment: Optional[str], begin: Optional[str],
          end: Optional[str]) -> dict[str, Any]: ...
def language_keys() -> list[str]: ...
def interface(name: str) -> list[Any]: ...
'''

TYPES = {"object": "Any", "None": "None"}


def method(name, params, result):
    listed = ["self"]
    in_out = []
    for param, kind, is_in_out, optional, default in params:
        kind = TYPES.get(kind, kind)
        listed.append(f"{param}: {kind}" + (f" = {default!r}" if optional else ""))
        if is_in_out:
            in_out.append(kind)
    returned = TYPES.get(result, result)
    if in_out:
        returned = f"tuple[{', '.join([returned] + in_out)}]"
    return f"    def {name}({', '.join(listed)}) -> {returned}: ...\n"


def main():
    text = HEADER
    for cls in ("Corvane", "Corvane_old"):
        text += f"\nclass {cls}:\n    def __init__(self) -> None: ...\n"
        text += "".join(method(*entry) for entry in native.interface(cls))
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
