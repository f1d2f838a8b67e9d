from typing import Any, Callable, Iterable, Optional, Sequence

import pandas

from . import Error

class JobsFailed(Error):
    failures: dict[int, str]
    result: pandas.DataFrame | list[Optional[int]]
    def __init__(self, message: str, failures: dict[int, str],
                 result: pandas.DataFrame | list[Optional[int]]) -> None: ...

def compare_job(index: int, job: Sequence[Any], db: Optional[str],
                options: dict[str, Any]) -> tuple[int, Any, Optional[str]]: ...
def compare_many(jobs: Iterable[Sequence[Any]], /, client: Any = ..., *, db: Optional[str] = ...,
                 progress: Optional[Callable[[int, int], None]] = ..., retries: int = ...,
                 **options: Any) -> pandas.DataFrame | list[int]: ...
