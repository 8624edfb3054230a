#!/usr/bin/python3
"""Our blend tick beside SciPy's RBFInterpolator, for the same dots and channels.

SciPy is given every advantage: the interpolator (linear kernel, degree 1, the
same interpolant as our blend) is built once per layout, and only its
evaluation at a new cursor is timed, on one thread. Our figure is the whole
tick of bench_blend: weights, every channel, rotations back to Euler angles
and 1,200 values set on the figure.

    bench/scipy_side_by_side.py [path/to/bench_blend] [--repetitions N]

Both sides are timed in CPU time (the machine may be shared), medians of the
repetitions. Without SciPy it says so and stops.
"""

import argparse
import json
import os
import random
import statistics
import subprocess
import sys
import time

# One thread for NumPy's and SciPy's BLAS, before they are imported.
for variable in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ[variable] = "1"

DOTS = (4, 16, 32, 64, 128, 256)
CHANNELS = 100 * 23 + 200


def layout(count, rng):
    # As bench_blend lays its dots: a grid of 40 units with up to 20 of jitter.
    return [(40 * (d % 8) + rng.randrange(20), 40 * (d // 8) + rng.randrange(20)) for d in range(count)]


def scipy_evaluation_us(count, repetitions):
    import numpy as np
    from scipy.interpolate import RBFInterpolator

    rng = random.Random(7)
    dots = np.array(layout(count, rng), dtype=float)
    values = np.array([[rng.random() for _ in range(CHANNELS)] for _ in range(count)])
    interpolator = RBFInterpolator(dots, values, kernel="linear", degree=1)
    medians = []
    x = 0.0
    for _ in range(repetitions):
        calls = max(200, 20000 // count)
        start = time.process_time()
        for _ in range(calls):
            x = 0.0 if x >= 300.0 else x + 1.5
            interpolator(np.array([[x, 0.37 * x + 20.0]]))
        medians.append((time.process_time() - start) / calls * 1e6)
    return statistics.median(medians)


def our_ticks_us(binary, repetitions):
    result = subprocess.run(
        [binary, "--benchmark_filter=BM_BlendTick/", f"--benchmark_repetitions={repetitions}",
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
        check=True, capture_output=True, text=True)
    ticks = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            dots = int(entry["run_name"].split("/")[1])
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[entry["time_unit"]]
            ticks[dots] = entry["cpu_time"] * scale
    return ticks


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", nargs="?", default=os.path.join(here, "..", "build-bench", "bin", "bench_blend"))
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()

    try:
        import scipy  # noqa: F401
    except ImportError:
        print("SciPy is not installed (Debian: apt-get install python3-scipy); nothing to compare.")
        return 0
    if not os.access(args.binary, os.X_OK):
        print(f"{args.binary} is not built; build bench_blend in Release (HX_BUILD_BENCH=ON) first.")
        return 1

    ours = our_ticks_us(args.binary, args.repetitions)
    print(f"{'dots':>5} {'our tick us':>12} {'SciPy eval us':>14} {'ours / SciPy':>13}")
    for count in DOTS:
        theirs = scipy_evaluation_us(count, args.repetitions)
        mine = ours.get(count)
        if mine is None:
            print(f"{count:>5} {'-':>12} {theirs:>14.1f} {'-':>13}")
            continue
        print(f"{count:>5} {mine:>12.1f} {theirs:>14.1f} {mine / theirs:>13.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
