"""compare_many on a local Dask cluster of two worker processes."""
import os
import subprocess

import pytest

import cvn
import cvn.distributed

distributed = pytest.importorskip("distributed")
pandas = pytest.importorskip("pandas")
COUNTS = ["code_same", "code_changed", "code_deleted", "code_new", "comment_same",
          "comment_changed", "comment_deleted", "comment_new", "blank_old", "blank_new"]


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            yield client


@pytest.fixture(scope="module")
def sequential(pairs):
    return [cvn.compare(*pair, jobs=1).files for pair in pairs]


def test_rows_are_those_of_sequential_compares(client, pairs, sequential):
    seen = []
    frame = cvn.distributed.compare_many(pairs, client, jobs=1,
                                         progress=lambda done, total: seen.append((done, total)))
    assert seen == [(done, 20) for done in range(1, 21)]
    expected = pandas.DataFrame([dict(job=job, **row) for job, files in enumerate(sequential)
                                 for row in files])
    pandas.testing.assert_frame_equal(frame, expected)


def test_a_failing_job_is_reported_and_the_others_kept(client, pairs, sequential, tmp_path):
    jobs = list(pairs)
    jobs[7] = (str(tmp_path / "missing"), pairs[7][1])
    with pytest.raises(cvn.distributed.JobsFailed) as raised:
        cvn.distributed.compare_many(jobs, client, jobs=1)
    assert list(raised.value.failures) == [7]
    assert "error 76: no such folder" in raised.value.failures[7] and "job 7" in str(raised.value)
    frame = raised.value.result
    assert sorted(set(frame.job)) == [k for k in range(20) if k != 7]
    assert len(frame) == sum(len(files) for k, files in enumerate(sequential) if k != 7)


@pytest.fixture
def db():
    if not os.environ.get("CVN_TEST_POSTGRES"):
        pytest.skip("CVN_TEST_POSTGRES is not set: run under .ci/postgres.sh")
    return os.environ["CVN_TEST_POSTGRES"]


@pytest.mark.postgres
def test_workers_store_their_runs(db, client, pairs, sequential):
    runs = cvn.distributed.compare_many(pairs, client, db=db, jobs=1)
    assert len(set(runs)) == 20
    query = (f"SELECT run, path, {', '.join(COUNTS)} FROM cvn_file_changes "
             f"WHERE run IN ({', '.join(map(str, runs))}) ORDER BY run, path")
    stored = subprocess.run(["psql", db, "-AtF,", "-c", query], check=True, capture_output=True,
                            text=True).stdout.split()
    expected = sorted((runs[job], row["path"], *(row[k] for k in COUNTS))
                      for job, files in enumerate(sequential) for row in files
                      if row["code_same"] is not None)
    assert stored == [",".join(map(str, row)) for row in expected]
    sessions = subprocess.run(["psql", db, "-At", "-c", "SELECT COUNT(DISTINCT sessionid) = "
                               "COUNT(*) FROM cvn_runs"], capture_output=True, text=True).stdout
    assert sessions.strip() == "t"
