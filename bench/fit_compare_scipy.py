#!/usr/bin/python3
"""Fits the same noisy 100-point spectrum of a 5-parameter circuit with our fit and with
SciPy's least_squares, checks that both find the same parameters (1e-6 relative) and
prints the time ratio. Run by hand after a Release build:

    /usr/bin/python3 bench/fit_compare_scipy.py build-rel/bin/bench_fit_file
"""
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.optimize import least_squares

# A Randles circuit with a Warburg element and a constant-phase double layer.
CIRCUIT = "R0=10+((R1=100+W1=300)||Q1=(50u,0.8))"
NAMES = ["R0", "R1", "W1", "Q1", "Q1_n"]
START = np.array([10.0, 100.0, 300.0, 50e-6, 0.8])
TRUE = np.array([20.0, 200.0, 150.0, 20e-6, 0.9])
NOISE = 0.0005  # the virtual board's relative noise


def impedance(p, f):
    r0, r1, w, q, n = p
    jw = 1j * 2 * np.pi * f
    faradaic = r1 + w / np.sqrt(jw)
    return r0 + 1.0 / (1.0 / faradaic + q * jw**n)


def to_values(x):
    """The same scaling as ours: logarithms, and a logit for the CPE exponent."""
    v = np.exp(x[:4])
    n = 1.0 / (1.0 + np.exp(-x[4]))
    return np.concatenate([v, [n]])


def to_x(p):
    return np.concatenate([np.log(p[:4]), [np.log(p[4] / (1 - p[4]))]])


def residuals(x, f, z):
    d = (impedance(to_values(x), f) - z) / np.abs(z)  # modulus weighting
    return np.concatenate([d.real, d.imag])


def main():
    ours = sys.argv[1] if len(sys.argv) > 1 else "build-rel/bin/bench_fit_file"
    rng = np.random.default_rng(2014)
    f = np.logspace(-1, 5, 100)
    z = impedance(TRUE, f)
    sigma = NOISE * np.abs(z) / np.sqrt(2)
    z = z + rng.normal(0, sigma) + 1j * rng.normal(0, sigma)

    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "spectrum.csv")
        with open(path, "w") as out:
            for fi, zi in zip(f, z):
                out.write(f"{fi:.17g},{zi.real:.17g},{zi.imag:.17g}\n")
        repeats = 200
        run = subprocess.run([ours, path, CIRCUIT, str(repeats)], check=True,
                             capture_output=True, text=True)
        cpp = json.loads(run.stdout)

    scipy_repeats = 20
    start = time.perf_counter()
    cpu_start = time.process_time()
    for _ in range(scipy_repeats):
        fit = least_squares(residuals, to_x(START), args=(f, z), method="lm",
                            xtol=1e-12, ftol=1e-12, gtol=1e-15, max_nfev=4000)
    scipy_cpu_s = (time.process_time() - cpu_start) / scipy_repeats
    scipy_s = (time.perf_counter() - start) / scipy_repeats
    scipy_values = to_values(fit.x)

    worst = 0.0
    print(f"{'parameter':10} {'ours':>22} {'scipy':>22} {'relative':>10}")
    for name, ours_value in zip(NAMES, scipy_values):
        mine = cpp["parameters"][name]
        rel = abs(mine - ours_value) / abs(ours_value)
        worst = max(worst, rel)
        print(f"{name:10} {mine:22.15g} {ours_value:22.15g} {rel:10.2e}")
    ours_s = cpp["seconds_per_fit"]
    ours_cpu_s = cpp["cpu_seconds_per_fit"]
    print(f"ours: {ours_s * 1e3:.3f} ms per fit wall, {ours_cpu_s * 1e3:.3f} ms processor "
          f"({cpp['evaluations']} evaluations)")
    print(f"scipy: {scipy_s * 1e3:.3f} ms per fit wall, {scipy_cpu_s * 1e3:.3f} ms processor "
          f"({fit.nfev} evaluations)")
    print(f"ours is {scipy_s / ours_s:.1f} times faster by wall time, "
          f"{scipy_cpu_s / ours_cpu_s:.1f} times by processor time (goal: at least 20)")
    agree = worst <= 1e-6 and cpp["converged"] and fit.success
    print("parameters agree to 1e-6 relative" if agree else
          f"parameters DIFFER: worst relative difference {worst:.2e}")
    return 0 if agree else 1


if __name__ == "__main__":
    sys.exit(main())
