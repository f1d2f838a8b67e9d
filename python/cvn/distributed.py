"""Many comparisons at once on a Dask cluster, one job a task.

    import cvn.distributed
    frame = cvn.distributed.compare_many([("v1", "v2"), ("repo", "v2.0", "v3.0")], client)

A job is a pair of folders (old, new) or a git repository and two revisions (repo, old_rev,
new_rev); the keyword options of cvn.compare() apply to every job. The workers must be able
to import cvn and to reach the folders and repositories under the same paths.
"""

import cvn

__all__ = ["compare_many", "JobsFailed"]


class JobsFailed(cvn.Error):
    """Jobs that failed while the others went through.

    failures maps each failed job's index to the message of its failure (the line cvn
    prints); result holds what compare_many would have returned for the others (the
    DataFrame of their files, or the run ids with None for the failed jobs).
    """

    def __init__(self, message, failures, result):
        super().__init__(message)
        self.failures = failures
        self.result = result


def compare_job(index, job, db, options):
    """One job, on a worker: (index, files or run id, None) or (index, None, failure)."""
    try:
        if len(job) == 3:
            comparison = cvn.compare_git(*job, db=db, **options)
        else:
            comparison = cvn.compare(*job, db=db, **options)
    except cvn.Error as error:
        return index, None, str(error)
    return index, comparison.run if db else comparison.files, None


def _checked(jobs):
    jobs = [tuple(job) for job in jobs]
    for index, job in enumerate(jobs):
        if len(job) not in (2, 3):
            raise ValueError(f"job {index}: (old, new) or (repo, old_rev, new_rev), not {job!r}")
    return jobs


def compare_many(jobs, /, client=None, *, db=None, progress=None, retries=2, **options):
    """Compares every job on the workers of a Dask client (client.map).

    jobs is positional, so that jobs= is the option of cvn.compare (threads per job).
    client: a distributed.Client; by default the current one, else a LocalCluster made for
    the call. Without db, returns one pandas DataFrame of every job's file rows (the rows of
    cvn.compare().files) with the job's index in the column "job"; with db (a PostgreSQL
    location, which every worker reaches), each worker stores its run there itself and the
    call returns the run ids in job order. A task whose worker is lost runs again (up to
    retries times). progress(done, total) is called as jobs end; the client's dashboard
    (client.dashboard_link) shows the tasks too. When jobs fail, the others' results are
    kept and JobsFailed says which failed and why.
    """
    from distributed import Client, LocalCluster, as_completed, get_client

    jobs = _checked(jobs)
    own = None
    if client is None:
        try:
            client = get_client()
        except ValueError:
            own = client = Client(LocalCluster(processes=True, threads_per_worker=1))
    try:
        futures = client.map(compare_job, range(len(jobs)), jobs, db=db, options=options,
                             retries=retries, pure=False)
        indexes = {future.key: index for index, future in enumerate(futures)}
        results, failures = [None] * len(jobs), {}
        for done, future in enumerate(as_completed(futures), 1):
            try:
                index, value, failure = future.result()
            except Exception as error:  # a task that failed beyond its retries
                index, value, failure = indexes[future.key], None, f"{type(error).__name__}: {error}"
            if failure is None:
                results[index] = value
            else:
                failures[index] = failure
            if progress is not None:
                progress(done, len(jobs))
    finally:
        if own is not None:
            cluster = own.cluster
            own.close()
            cluster.close()

    result = results if db else _frame(results)
    if failures:
        lines = [f"job {k} {jobs[k]!r}: {failures[k]}" for k in sorted(failures)]
        raise JobsFailed(f"{len(failures)} of {len(jobs)} jobs failed:\n" + "\n".join(lines),
                         failures, result)
    return result


def _frame(results):
    import pandas

    rows = [dict(job=index, **row) for index, files in enumerate(results) if files is not None
            for row in files]
    return pandas.DataFrame(rows, columns=None if rows else ["job"])
