from typing import Any, Optional, TypedDict

import pandas

from ._cvn import Corvane as Corvane, Corvane_old as Corvane_old
from ._errors import (Error as Error, FileError as FileError,
                      InvalidValueError as InvalidValueError,
                      NumberOverflowError as NumberOverflowError)

class SplitCounts(TypedDict):
    """Code and comment lines; None from the legacy comparer, which does not split them."""
    code_same: Optional[int]
    code_changed: Optional[int]
    code_deleted: Optional[int]
    code_new: Optional[int]
    comment_same: Optional[int]
    comment_changed: Optional[int]
    comment_deleted: Optional[int]
    comment_new: Optional[int]

class FileRow(SplitCounts):
    path: str
    old_path: Optional[str]
    language: Optional[str]
    status: str
    session: Optional[int]
    all_same: Optional[int]
    all_changed: Optional[int]
    all_deleted: Optional[int]
    all_new: Optional[int]
    blank_old: Optional[int]
    blank_new: Optional[int]

class LanguageRow(SplitCounts):
    language: str
    key: Optional[str]
    session: int
    files_unchanged: int
    files_modified: int
    files_new: int
    files_deleted: int
    all_same: int
    all_changed: int
    all_deleted: int
    all_new: int
    blank_old: int
    blank_new: int

class CountTotal(TypedDict):
    files: int
    total: int
    comment: int
    blank: int
    code: int

class CountLanguage(CountTotal):
    language: str
    key: Optional[str]

class CountResult(TypedDict):
    languages: list[CountLanguage]
    total: CountTotal
    unknown_files: int

class Comparison:
    old: str
    new: str
    files: list[FileRow]
    languages: list[LanguageRow]
    statements: list[str]
    run: Optional[int]
    def to_pandas(self, table: str = ...) -> pandas.DataFrame: ...

def compare(old: str | bytes | Any, new: str | bytes | Any, *, language: Optional[str] = ...,
            comment: Optional[str] = ..., begin: Optional[str] = ..., end: Optional[str] = ...,
            threshold: int = ..., type: int = ..., legacy: bool = ..., jobs: Optional[int] = ...,
            session: Optional[int] = ..., db: Optional[str] = ...) -> Comparison: ...
def compare_git(repo: str | bytes | Any, old_rev: str, new_rev: str, *,
                language: Optional[str] = ..., comment: Optional[str] = ...,
                begin: Optional[str] = ..., end: Optional[str] = ..., threshold: int = ...,
                type: int = ..., legacy: bool = ..., jobs: Optional[int] = ...,
                session: Optional[int] = ..., db: Optional[str] = ...) -> Comparison: ...
def count(*paths: str | bytes | Any, language: Optional[str] = ..., comment: Optional[str] = ...,
          begin: Optional[str] = ..., end: Optional[str] = ...) -> CountResult: ...
