"""Fit time and peak memory of ruleweave.DecisionListSearch on a frame shaped like the search
benchmark's synthetic table: ROWS rows (default 1e6) of 20 predictors (10 continuous in [0, 1),
7 nominal category columns with 2 to 60 categories and 2% missing, 3 ordinal whole numbers
0..6) and a 0/1 target with three planted high-rate groups and one low-rate group.

Compares the whole fit with the time the library itself spends loading the columns and
searching (measured inside the extension module around the library's two calls), and the
process's peak resident memory with the frame's own size (memory_usage(deep=True)).

Usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_fit_bench.py [ROWS]
"""

import ctypes
import gc
import resource
import sys
import time

import numpy as np
import pandas as pd

import ruleweave


def status_mb(key):
    """VmRSS (now) or VmHWM (peak since the last reset) of this process in MB."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(key + ":"):
                return float(line.split()[1]) / 1024.0
    return float("nan")


def release_free_memory():
    """Hands memory freed while building the frame back to the system (glibc), so that the RSS
    before the fit is the interpreter and the frame, and the fit cannot reuse it unseen."""
    try:
        ctypes.CDLL("libc.so.6").malloc_trim(0)
    except (OSError, AttributeError):
        pass


def reset_peak():
    """Starts the peak (VmHWM) anew from the current RSS, so that it shows the fit alone and
    not the building of the frame (Linux; without it ru_maxrss covers the whole run)."""
    try:
        with open("/proc/self/clear_refs", "w") as refs:
            refs.write("5")
        return True
    except OSError:
        return False


def synthetic_frame(rows, seed=42):
    rng = np.random.default_rng(seed)
    columns = {}
    for j in range(10):
        columns[f"c{j}"] = rng.random(rows)
    nominal = []
    for j in range(7):
        count = 2 + (j * 58) // 6
        codes = rng.integers(0, count, rows)
        nominal.append(codes)
        shown = np.where(rng.random(rows) < 0.02, -1, codes).astype(np.int8)
        names = [f"v{k}" for k in range(count)]
        columns[f"n{j}"] = pd.Categorical.from_codes(shown, categories=names)
    ordinal = []
    for j in range(3):
        ordinal.append(rng.integers(0, 7, rows).astype(np.int8))
        columns[f"o{j}"] = ordinal[-1]
    X = pd.DataFrame(columns)
    rate = np.full(rows, 0.08)
    rate += 0.5 * ((X["c0"].to_numpy() > 0.8) & (nominal[0] == 1))
    rate += 0.3 * ((nominal[5] < 4) & (ordinal[2] >= 5))
    rate += 0.2 * (X["c5"].to_numpy() < 0.1)
    rate -= 0.05 * (ordinal[0] == 0)
    y = pd.Series((rng.random(rows) < rate).astype(np.int8), name="y")
    return X, y


def main():
    rows = int(float(sys.argv[1])) if len(sys.argv) > 1 else 1000000
    imports = status_mb("VmRSS")
    X, y = synthetic_frame(rows)
    frame_mb = (X.memory_usage(deep=True).sum() + y.memory_usage(deep=True)) / 2 ** 20
    gc.collect()
    release_free_memory()
    reset = reset_peak()
    before = status_mb("VmRSS")
    search = ruleweave.DecisionListSearch(response=1)
    start = time.perf_counter()
    search.fit(X, y, progress=False)
    fit = time.perf_counter() - start
    library = search.fit_seconds_["load"] + search.fit_seconds_["search"]
    peak = status_mb("VmHWM") if reset else resource.getrusage(
        resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(f"rows {rows}, predictors {X.shape[1]}, models {len(search.models_)}, "
          f"rules in the best model {len(search.rules_) - 1}")
    print(f"fit {fit:.2f} s; library load {search.fit_seconds_['load']:.2f} s + search "
          f"{search.fit_seconds_['search']:.2f} s = {library:.2f} s; fit / library "
          f"{fit / library:.3f}")
    print(f"frame {frame_mb:.1f} MB; RSS: interpreter and imports {imports:.1f} MB, before the "
          f"fit {before:.1f} MB, peak during the fit {peak:.1f} MB")
    print(f"peak above the interpreter and imports / frame {(peak - imports) / frame_mb:.2f}; "
          f"fit's own peak (peak - RSS before the fit) / frame {(peak - before) / frame_mb:.2f}")


if __name__ == "__main__":
    main()
