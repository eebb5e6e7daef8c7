#!/usr/bin/env python3
# Reference values for fsrs_test.cpp, computed straight from the FSRS-6 formulas with the default
# parameters, independently of the C++ code. Prints one table row per rating of each sequence:
# sequence, step, stability, difficulty, interval in days.
import math

w = [0.212, 1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001, 1.8722, 0.1666, 0.796,
     1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542]
decay = w[20]
factor = 0.9 ** (-1 / decay) - 1


def d0(g):
    return w[4] - math.exp(w[5] * (g - 1)) + 1


def clamp(x, lo, hi):
    return max(lo, min(hi, x))


def retrievability(t, s):
    return (1 + factor * t / s) ** (-decay)


def first(g):
    return w[g - 1], clamp(d0(g), 1, 10)


def later(s, d, t, g):
    if t < 1:
        inc = math.exp(w[17] * (g - 3 + w[18])) * s ** (-w[19])
        if g >= 3:
            inc = max(inc, 1)
        s2 = s * inc
    else:
        r = retrievability(t, s)
        if g == 1:
            s2 = w[11] * d ** (-w[12]) * ((s + 1) ** w[13] - 1) * math.exp(w[14] * (1 - r))
            s2 = min(s2, s / math.exp(w[17] * w[18]))
        else:
            s2 = s * (1 + math.exp(w[8]) * (11 - d) * s ** (-w[9]) * (math.exp(w[10] * (1 - r)) - 1))
    delta = -w[6] * (g - 3)
    dp = d + delta * (10 - d) / 9
    d2 = clamp(w[7] * d0(4) + (1 - w[7]) * dp, 1, 10)
    return s2, d2


def interval(s):
    days = s / factor * (0.9 ** (-1 / decay) - 1)
    return int(min(max(math.floor(days + 0.5), 1), 36500))


# Each sequence: the first rating, then (days since the previous rating, rating) pairs.
sequences = {
    "good": (3, []),
    "good_3d_good": (3, [(3, 3)]),
    "good_1d_again_short_good_5d_good": (3, [(1, 1), (0.1, 3), (5, 3)]),
    "again_again_good_2d_good": (1, [(0.01, 1), (0.2, 3), (2, 3)]),
    "good_then_long_gap_good_again": (3, [(4, 3), (400, 3), (3000, 1)]),
    "good_good_same_day": (3, [(0.5, 3)]),
    "again_long_gap_again": (1, [(1000, 1)]),
    "good_chain_to_the_cap": (3, [(10, 3), (60, 3), (400, 3), (2500, 3), (9000, 3), (30000, 3), (100000, 3)]),
}

# Sequences from a given state rather than a first rating: the floor of the difficulty.
from_states = {
    "easiest_good": ((5.0, 1.0), [(2, 3)]),
    "easiest_again_same_day": ((5.0, 1.0), [(0.5, 1)]),
}

starts = [(name, first(g), steps) for name, (g, steps) in sequences.items()]
starts += [(name, state, steps) for name, (state, steps) in from_states.items()]
for name, (s, d), steps in starts:
    print(f'{{"{name}", 0, {s:.10f}, {d:.10f}, {interval(s)}}},')
    for i, (t, g) in enumerate(steps, 1):
        s, d = later(s, d, t, g)
        print(f'{{"{name}", {i}, {s:.10f}, {d:.10f}, {interval(s)}}},')
