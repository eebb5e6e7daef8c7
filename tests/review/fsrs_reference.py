#!/usr/bin/env python3
# Reference values for fsrs_test.cpp, worked out from the published description of FSRS-6 (the
# formulas as the algorithm's authors state them, with its 21 default weights w0..w20) in decimal
# arithmetic of 40 significant digits. Each formula below is written as published, one to a line;
# nothing here follows the layout of the C++ code. Elapsed time is in whole learning days, 0 for
# a rating on the same day as the one before.
#
# Prints one table row per rating of each sequence: name, step, stability, difficulty, interval.
from decimal import Decimal as D, getcontext

getcontext().prec = 40

W = [D(x) for x in (
    "0.212", "1.2931", "2.3065", "8.2956", "6.4133", "0.8334", "3.0194", "0.001", "1.8722",
    "0.1666", "0.796", "1.4835", "0.0614", "0.2629", "1.6483", "0.6014", "1.8729", "0.5425",
    "0.0912", "0.0658", "0.1542")]
AGAIN, HARD, GOOD, EASY = 1, 2, 3, 4
RETENTION = D("0.9")


def power(base, exponent):
    return (exponent * base.ln()).exp()


# The forgetting curve: R(t, S) = (1 + FACTOR * t / S) ^ -w20, with FACTOR = 0.9 ^ (-1 / w20) - 1
# so that R(S, S) = 90%.
FACTOR = power(D("0.9"), -1 / W[20]) - 1


def R(t, S):
    return power(1 + FACTOR * t / S, -W[20])


# The interval at which R falls to the desired retention: I(r, S) = S / FACTOR * (r ^ (-1 / w20) - 1),
# rounded to whole days, at least 1 and at most 36500.
def I(S):
    days = S / FACTOR * (power(RETENTION, -1 / W[20]) - 1)
    return int(min(max(days.to_integral_value(rounding="ROUND_HALF_UP"), 1), 36500))


# Initial stability S0(G) = w[G-1]; initial difficulty D0(G) = w4 - e^(w5 (G - 1)) + 1.
def S0(G):
    return W[G - 1]


def D0(G):
    return W[4] - (W[5] * (G - 1)).exp() + 1


def clamp_difficulty(value):
    return min(max(value, D(1)), D(10))


# Difficulty after a review: linear damping, then mean reversion towards D0(Easy).
#   dD = -w6 (G - 3);  D' = D + dD (10 - D) / 9;  D'' = w7 D0(4) + (1 - w7) D'
def D_next(Dv, G):
    dD = -W[6] * (G - 3)
    damped = Dv + dD * (10 - Dv) / 9
    return clamp_difficulty(W[7] * D0(EASY) + (1 - W[7]) * damped)


# Stability after a successful review on a later day:
#   S'r = S (e^w8 (11 - D) S^-w9 (e^(w10 (1 - R)) - 1) hard easy + 1), hard = w15 for Hard, easy = w16
#   for Easy, both 1 for Good.
def S_recall(Dv, S, Rv, G):
    hard = W[15] if G == HARD else 1
    easy = W[16] if G == EASY else 1
    return S * (W[8].exp() * (11 - Dv) * power(S, -W[9]) * ((W[10] * (1 - Rv)).exp() - 1) * hard * easy + 1)


# Stability after a lapse on a later day, never above S / e^(w17 w18):
#   S'f = w11 D^-w12 ((S + 1)^w13 - 1) e^(w14 (1 - R))
def S_forget(Dv, S, Rv):
    value = W[11] * power(Dv, -W[12]) * (power(S + 1, W[13]) - 1) * (W[14] * (1 - Rv)).exp()
    return min(value, S / (W[17] * W[18]).exp())


# Stability after a review on the same day: S' = S e^(w17 (G - 3 + w18)) S^-w19, the increase at
# least 1 when G >= Good.
def S_same_day(S, G):
    increase = (W[17] * (G - 3 + W[18])).exp() * power(S, -W[19])
    if G >= GOOD:
        increase = max(increase, D(1))
    return S * increase


def review(state, days, G):
    S, Dv = state
    if days == 0:
        S2 = S_same_day(S, G)
    elif G == AGAIN:
        S2 = S_forget(Dv, S, R(D(days), S))
    else:
        S2 = S_recall(Dv, S, R(D(days), S), G)
    return S2, D_next(Dv, G)


# Each sequence: its start (a first rating, or a given state), then (learning days since the
# rating before, rating).
SEQUENCES = [
    ("good", GOOD, []),
    ("good_1d_good", GOOD, [(1, GOOD)]),
    ("good_3d_good", GOOD, [(3, GOOD)]),
    ("good_1d_again_same_day_good_5d_good", GOOD, [(1, AGAIN), (0, GOOD), (5, GOOD)]),
    ("again_again_good_2d_good", AGAIN, [(0, AGAIN), (0, GOOD), (2, GOOD)]),
    ("good_then_long_gap_good_again", GOOD, [(4, GOOD), (400, GOOD), (3000, AGAIN)]),
    ("good_good_same_day", GOOD, [(0, GOOD)]),
    ("again_long_gap_again", AGAIN, [(1000, AGAIN)]),
    ("good_chain_to_the_cap", GOOD, [(10, GOOD), (60, GOOD), (400, GOOD), (2500, GOOD), (9000, GOOD),
                                     (30000, GOOD), (100000, GOOD)]),
    ("easiest_good", (D(5), D(1)), [(2, GOOD)]),
    ("easiest_again_same_day", (D(5), D(1)), [(0, AGAIN)]),
]

for name, start, steps in SEQUENCES:
    state = start if isinstance(start, tuple) else (S0(start), clamp_difficulty(D0(start)))
    rows = [state]
    for days, G in steps:
        state = review(state, days, G)
        rows.append(state)
    for step, (S, Dv) in enumerate(rows):
        print(f'    {{"{name}", {step}, {S:.10f}, {Dv:.10f}, {I(S)}}},')
