"""The module against the built cvn: the same statements, files, counts and errors."""
import concurrent.futures
import csv
import io
import json
from pathlib import Path

import pytest

import cvn
from conftest import GOLDEN, run_cvn

CASES = [line.split() for line in (GOLDEN / "CASES.txt").read_text().splitlines() if line]


def keywords(arguments):
    """cvn compare's options as cvn.compare's keywords."""
    options, words = {}, iter(arguments)
    for word in words:
        name = word[2:]
        if name == "legacy":
            options[name] = True
        else:
            value = next(words)
            options[name] = int(value) if name in ("threshold", "type", "session") else value
    return options


@pytest.mark.parametrize("case", CASES, ids=lambda case: case[1])
def test_statements_are_those_of_cvn_sql(case):
    old, new = GOLDEN / case[0] / "old", GOLDEN / case[0] / "new"
    expected = run_cvn("compare", old, new, *case[2:], "--sql")
    assert expected.returncode == 0
    comparison = cvn.compare(old, new, **keywords(case[2:]))
    assert "".join(comparison.statements).encode(errors="surrogateescape") == expected.stdout


@pytest.mark.parametrize("legacy", [False, True])
def test_files_and_languages_are_those_of_cvn(pairs, legacy):
    old, new = pairs[1]
    flag = ["--legacy"] if legacy else []
    listed = run_cvn("compare", old, new, "--no-db", "--by-file", "--format", "csv", *flag)
    summary = run_cvn("compare", old, new, "--no-db", "--format", "json", *flag)
    comparison = cvn.compare(old, new, legacy=legacy)
    rows = list(csv.DictReader(io.StringIO(listed.stdout.decode())))
    assert len(rows) == len(comparison.files)
    for row, file in zip(rows, comparison.files):
        assert row == {key: "" if file[key] is None else str(file[key]) for key in row}
    totals = json.loads(summary.stdout)
    assert [(row["key"], row["session"]) for row in comparison.languages] == [
        (language["key"], language["session"]) for language in totals["languages"]]
    frame = comparison.to_pandas()
    assert frame["all_new"].sum() == sum(row["all_new"] for row in comparison.languages)


@pytest.mark.parametrize("call, command, kind, number", [
    (lambda d: cvn.compare(d / "missing", d), ["compare", "{d}/missing", "{d}", "--sql"],
     OSError, 76),
    (lambda d: cvn.count(d / "missing.c"), ["count", "{d}/missing.c"], OSError, 53),
    (lambda d: cvn.compare(d, d, threshold=40000), None, OverflowError, 6),
    (lambda d: cvn.compare(d, d, type=3), None, ValueError, 5),
    (lambda d: cvn.compare(d, d, language="klingon"), None, ValueError, 5),
    (lambda d: cvn.Corvane().insertDirCompareResults("x", 1, 2, 3, 4), None, ValueError, 13),
])
def test_errors_carry_number_and_message(tmp_path, call, command, kind, number):
    with pytest.raises(cvn.Error) as raised:
        call(tmp_path)
    assert isinstance(raised.value, kind) and raised.value.number == number
    if command:
        printed = run_cvn(*[word.format(d=tmp_path) for word in command]).stderr.decode()
        assert str(raised.value) == printed.strip()


def test_count_is_that_of_cvn(pairs):
    paths = [Path(pairs[2][0]), sorted((Path(pairs[3][0]) / "src").iterdir())[0]]
    assert cvn.count(*paths) == json.loads(run_cvn("count", *paths, "--format", "json").stdout)


@pytest.mark.parametrize("cls", [cvn.Corvane, cvn.Corvane_old])
def test_classes_compare_as_their_hosts_do(cls):
    """The host's own steps: getFileList, its lines joined with "||", compareFileList."""
    case = next(c for c in CASES if ("--legacy" in c) == (cls is cvn.Corvane_old))
    o = keywords(case[2:])
    old, new = str(GOLDEN / case[0] / "old"), str(GOLDEN / case[0] / "new")
    host = cls()
    lists = [host.getFileList(root).replace("\r", "||") for root in (old, new)]
    result = host.compareFileList(old, new, *lists, o["comment"], o["threshold"], 0,
                                  o["session"], o["begin"], o["end"], str(o["type"]))
    expected = (GOLDEN / case[1]).read_bytes().decode(errors="surrogateescape")
    assert result == expected.replace("@OLD@", old).replace("@NEW@", new)


def test_in_out_parameters_come_back_after_the_result():
    host = cvn.Corvane()
    assert host.calBlankLines(fileContentsOne=["a", " ", "", "b"]) == (2, ["a", " ", "", "b"])
    # A method without a result: None first; the values as the method wrote them back.
    assert host.insertDirCompareResults("1", 2, 3.0, None, True) == (None, "1", 2, 3.0, "", "True")


def test_threads_compare_git_and_folders_at_once(pairs, repo):
    """The GIL is let go while comparing; git trees on the shared file system seam must not
    leak into the folder comparisons running beside them."""
    tasks = [lambda: cvn.compare_git(repo, "v1", "v2", jobs=1),
             lambda: cvn.compare(*pairs[0], jobs=1)] * 4
    alone = [task().files for task in tasks[:2]]
    assert alone[0] == alone[1]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        assert [f.files for f in pool.map(lambda task: task(), tasks)] == alone * 4
