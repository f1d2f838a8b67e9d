"""Measures how the source code of a project changed between two versions.

compare() and compare_git() compare two trees as `cvn compare` does, count() counts files
and folders as `cvn count` does, and Corvane and Corvane_old are the comparer classes with the
methods of their automation interface. The GIL is released while files are compared.
"""

import os

from . import _cvn
from ._cvn import Corvane, Corvane_old
from ._errors import Error, FileError, InvalidValueError, NumberOverflowError

__all__ = ["compare", "compare_git", "count", "Comparison", "Corvane", "Corvane_old", "Error",
           "FileError", "InvalidValueError", "NumberOverflowError"]


class Comparison:
    """The result of one comparison.

    files: one dict a file of either tree (path, old_path, language, status, session and
    the code_, comment_ and all_ counts same/changed/deleted/new, blank_old, blank_new; a
    count is None where the comparer gives none), as `cvn compare --by-file` lists them.
    languages: one dict a language run with the file and line totals, as its summary.
    statements: each run's statement list, exactly as the component returns it.
    run: the run id when stored with db=, else None.
    """

    __slots__ = ("old", "new", "files", "languages", "statements", "run")

    def __init__(self, result):
        for name in self.__slots__:
            setattr(self, name, result[name])

    def to_pandas(self, table="files"):
        """The files (or, with table="languages", the language totals) as a DataFrame."""
        import pandas  # only when asked for: importing cvn stays fast

        return pandas.DataFrame(getattr(self, table))

    def __repr__(self):
        return f"<Comparison {self.old} -> {self.new}: {len(self.files)} files>"


def _options(language=None, comment=None, begin=None, end=None, threshold=10, type=2,
             legacy=False, jobs=None, session=None, db=None):
    options = _cvn.Options()
    options.language, options.comment, options.begin, options.end = language, comment, begin, end
    options.threshold, options.type, options.legacy = threshold, type, legacy
    options.jobs, options.session, options.db = jobs, session, db
    return options


def compare(old, new, *, language=None, comment=None, begin=None, end=None, threshold=10,
            type=2, legacy=False, jobs=None, session=None, db=None):
    """Compares the folders old and new as `cvn compare old new` does.

    Files are grouped by the language table unless language (a key, as --lang) or markers
    (comment, begin, end) are given. threshold is the changed-line threshold (16-bit),
    type 1 counts lines only, legacy uses Corvane_old, jobs is the number of threads (one
    per core by default), session the first session id. With db (a SQLite file or a
    PostgreSQL URI / conninfo) the run is stored there as `cvn compare --db` stores it.
    """
    return Comparison(_cvn.compare(os.fsencode(old), os.fsencode(new), None, _options(
        language, comment, begin, end, threshold, type, legacy, jobs, session, db)))


def compare_git(repo, old_rev, new_rev, **options):
    """Compares two revisions of a git repository (`cvn compare --git`), read from the
    repository itself; the options are those of compare()."""
    git = [os.fsencode(repo), os.fsencode(old_rev), os.fsencode(new_rev)]
    return Comparison(_cvn.compare(None, None, git, _options(**options)))


def count(*paths, language=None, comment=None, begin=None, end=None):
    """The lines of files and folders by language, as `cvn count --format json` gives them: a
    dict of "languages" (a dict per language: language, key, files, total, comment, blank,
    code), their "total" and "unknown_files" (files under the folders of no language). Each
    file's language is its name's (or #! line's) unless given, or markers are."""
    return _cvn.count([os.fsencode(path) for path in paths], language, comment, begin, end)



def __getattr__(name):
    # cvn.distributed (and so dask) is imported when first used, not with cvn.
    if name == "distributed":
        import importlib

        return importlib.import_module(".distributed", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
