#!/usr/bin/python3
"""The default real map's picture drawn with numpy and matplotlib, for comparison with the
renderer: both panels side by side at 460 pixels each, the 21 + 21 grid lines of the domain
and their images (400 samples a line), the zero contour of the Jacobian on a 400 x 400 grid
and its image, written as a PNG file. Prints the median of ten drawings in milliseconds (the
interpreter's start and the imports are not counted).

    /usr/bin/python3 bench/reference_picture.py [output.png]   (Debian: python3-numpy,
                                                                python3-matplotlib)
"""
import statistics
import sys
import tempfile
import time

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

P = Q = 1.0


def image(u, v):
    return P * u**2 - v**3, Q * v**2 - u**3


def draw(path):
    fig, (dom, img) = plt.subplots(1, 2, figsize=(9.2, 4.6), dpi=100)
    t = np.linspace(-1.0, 1.0, 400)
    for c in np.linspace(-1.0, 1.0, 21):
        const = np.full_like(t, c)
        dom.plot(t, const, "b", lw=0.5)
        dom.plot(const, t, "r", lw=0.5)
        img.plot(*image(t, const), "b", lw=0.5)
        img.plot(*image(const, t), "r", lw=0.5)
    u, v = np.meshgrid(np.linspace(-1.0, 1.0, 400), np.linspace(-1.0, 1.0, 400))
    # x_u = 2pu, x_v = -3v^2, y_u = -3u^2, y_v = 2qv
    jacobian = (2 * P * u) * (2 * Q * v) - (-3 * v**2) * (-3 * u**2)
    contour = dom.contour(u, v, jacobian, levels=[0.0], colors="k", linewidths=1)
    for segment in contour.allsegs[0]:
        if len(segment):
            img.plot(*image(segment[:, 0], segment[:, 1]), "k", lw=1)
    for axes in (dom, img):
        axes.set_xticks([])
        axes.set_yticks([])
    fig.savefig(path)
    plt.close(fig)


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else tempfile.mktemp(suffix=".png")
    draw(path)  # the first drawing loads fonts and caches
    times = []
    for _ in range(10):
        start = time.perf_counter()
        draw(path)
        times.append((time.perf_counter() - start) * 1000)
    print(f"reference picture (numpy + matplotlib): median {statistics.median(times):.1f} ms "
          f"of 10, written to {path}")


if __name__ == "__main__":
    main()
