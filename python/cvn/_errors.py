"""The exceptions of cvn: one class a kind of failure, each carrying the error number."""

import errno

# The library's file errors and what the operating system calls them.
_FILE_ERRORS = {53: errno.ENOENT, 70: errno.EACCES, 75: errno.EIO, 76: errno.ENOENT}


class Error(Exception):
    """A failure of a comparison: str() is the line cvn prints, .number the error number
    (None for a database failure or an option cvn checks itself)."""

    number: "int | None" = None


class FileError(Error, OSError):
    """A file or folder that is missing, closed or unreadable (53, 70, 75, 76)."""


class InvalidValueError(Error, ValueError):
    """An invalid argument (5) or a type mismatch (13)."""


class NumberOverflowError(Error, OverflowError):
    """A number out of its range (6)."""


def make(number, message):
    """The exception for a failure the module reports (called by _cvn)."""
    if number in _FILE_ERRORS:
        error = FileError(message)
        error.errno = _FILE_ERRORS[number]
    elif number in (5, 13):
        error = InvalidValueError(message)
    elif number == 6:
        error = NumberOverflowError(message)
    else:
        error = Error(message)
    error.number = number
    return error
