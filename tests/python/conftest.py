"""Fixtures of the Python package's tests: the built cvn, generated trees and a git repository.

CTest passes the built command in CVN_EXE and the package on PYTHONPATH.
"""
import os
import random
import shutil
import subprocess
from pathlib import Path

import pytest

GOLDEN = Path(__file__).resolve().parents[1] / "data" / "golden"
WORDS = "alpha beta gamma delta index count value node list table state error".split()


def run_cvn(*args):
    return subprocess.run([os.environ["CVN_EXE"], *map(str, args)], capture_output=True)


def write_pair(root, seed):
    """A small old/new pair of C and Python files: lines edited, files deleted and added."""
    rng = random.Random(seed)
    line = lambda: rng.choice(["// ", "", "x = "]) + " ".join(rng.sample(WORDS, 4)) + ";"
    old = {f"src/m{k}.{rng.choice('ch')}": [line() for _ in range(rng.randint(5, 40))]
           for k in range(rng.randint(3, 8))}
    new = {name: [line() if rng.random() < 0.2 else text for text in lines]
           for name, lines in old.items() if rng.random() < 0.9}
    new[f"lib/n{seed}.py"] = ["# " + line() for _ in range(5)]
    for side, files in (("old", old), ("new", new)):
        for name, lines in files.items():
            path = root / side / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text("\n".join(lines) + "\n")
    return str(root / "old"), str(root / "new")


@pytest.fixture(scope="session")
def pairs(tmp_path_factory):
    root = tmp_path_factory.mktemp("pairs")
    return [write_pair(root / f"p{k}", k) for k in range(20)]


@pytest.fixture(scope="session")
def repo(tmp_path_factory, pairs):
    """A repository whose tags v1 and v2 hold the first pair's old and new trees."""
    path = tmp_path_factory.mktemp("repo")
    git = lambda *args: subprocess.run(["git", "-C", str(path), *args], check=True,
                                       capture_output=True)
    git("init", "-q")
    for tag, tree in (("v1", pairs[0][0]), ("v2", pairs[0][1])):
        for entry in path.iterdir():
            if entry.name != ".git":
                shutil.rmtree(entry)
        shutil.copytree(tree, path, dirs_exist_ok=True)
        git("add", "-A")
        git("-c", "user.name=t", "-c", "user.email=t@t", "commit", "-q", "-m", tag)
        git("tag", tag)
    return str(path)


def pytest_configure(config):
    config.addinivalue_line("markers", "postgres: needs a server (CVN_TEST_POSTGRES)")
