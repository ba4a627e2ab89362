"""Random inputs from a fixed seed: 1500, or 500 behind an emulator, where
each run costs many times as much; every other one is read from a file.

Where every C++ library reads an input alike, a model of the reading rules
that the manual page states gives the exact answer, and for a file what is
left for the next reader. Where libraries differ (a letter that one of them
reads as part of a number, a number too small for a normal double), the
answer need only be a complaint or bytes taken from the input. Either way
the program exits 0 and says nothing on standard error.

    python3 tests/random-inputs.py [EMULATOR...] PROGRAM"""

import math
import os
import random
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from decimal import Decimal

import facts


PROG = facts.program(sys.argv[1:])
WINDOWS = facts.toolchain(PROG).endswith("/Windows")
# Text mode on Windows writes each line end as CR LF.
EOL = b"\r\n" if WINDOWS else b"\n"
# The prompt and the answers, as the manual page tells them: each row an
# answer (None: the title) and the largest number it is given for.
_PROMPT, ROWS = facts.page_answers()
PROMPT = _PROMPT + EOL
COMPLAINTS = [answer for answer, _, _ in ROWS if answer]
LIMITS = [highest for _, _, highest in ROWS if highest is not None]
BYTES = b"az AZ\t\r\0\x7f\xc4\x87\xff0123456789.,-+eE"
# Blanks that a number may follow; letters that some library reads as part
# of a number (the manual page's table), and the smallest normal double.
SPACE = b" \t\n\v\f\r"
DIGITS = b"0123456789"
DIFFER = b"abcdefABCDEFxXpPiInN"
SMALLEST = Decimal("2.2250738585072014e-308")
# Lengths about the buffers that read the input: stdio's and libstdc++'s.
SIZES = (1024, 4096, 8192, 16384)


def model(data):
    """(answer, rest) that the reading rules give for data, the rest being
    what a file leaves for the next reader; None where libraries differ."""
    if WINDOWS and (b"\r" in data or b"\x1a" in data):
        return None  # CR LF is one line end there, and 0x1A ends the input
    i = 0
    while i < len(data) and data[i] in SPACE:
        i += 1
    start = i

    def take(chars, most=len(data)):
        nonlocal i
        n = 0
        while i < len(data) and data[i] in chars and n < most:
            i, n = i + 1, n + 1
        return n

    take(b"+-", 1)
    digits = take(DIGITS)
    if take(b".", 1):
        digits += take(DIGITS)
    has_exponent = digits > 0 and take(b"eE", 1) == 1
    if has_exponent:
        take(b"+-", 1)
    exponent = take(DIGITS) if has_exponent else 0
    if i < len(data) and data[i] in DIFFER:
        return None
    if not digits or (has_exponent and not exponent):
        return b"", data[i:]  # no number: reading stopped here
    text = data[start:i].decode()
    if 0 < Decimal(text).copy_abs() < SMALLEST:
        return None
    number = float(text)
    if math.isinf(number):  # too large for a double: the title is not read
        return (COMPLAINTS[-1] if number > 0 else b""), data[i:]
    end = data.find(b"\n", i + 1)
    title, rest = (data[i + 1:], b"") if end < 0 else (data[i + 1:end], data[end + 1:])
    answer = next(a for a, _, highest in ROWS if highest is None or number <= highest)
    return answer or title, rest


def near(rng):
    """A number within a few doubles of a limit, or halfway between two
    of them (a tie, which rounds to the even one), or just off halfway, in
    one of several notations."""
    x = rng.choice(LIMITS)
    for _ in range(rng.randint(0, 3)):
        x = math.nextafter(x, rng.choice([0, 20]))
    exact = Decimal(x)
    value = rng.choice([
        exact, exact, Decimal(repr(x)),
        (exact + Decimal(math.nextafter(x, 20))) / 2,
        (exact + Decimal(math.nextafter(x, 0))) / 2,
        (exact + Decimal(math.nextafter(x, 20))) / 2 + rng.choice([1, -1]) * Decimal("1e-40"),
    ])
    shift = rng.randint(-3, 3)
    text = "%se%d" % (format(value.scaleb(-shift), "f"), shift) if shift else format(value, "f")
    return (rng.choice(["", "+", "00"]) + text).encode()


def number(rng):
    return rng.choice([
        *(b"%r" % limit for limit in LIMITS), b"-0", b"1e999", b"-1e400", b"nan", b"inf", b"0x10", b".", b"-",
        b"+.5e1", b"1e", b"1e+", b"5.", b"1e-400",
        b"%d" % rng.randint(-20, 20),
        b"%.*f" % (rng.randint(0, 17), rng.uniform(-1, 12)),
        b"%de%d" % (rng.randint(-99, 99), rng.randint(-3, 3)),
    ])


def text(rng, size=20):
    return bytes(rng.choice(BYTES) for _ in range(rng.randint(0, size)))


def dialogue(rng, value):
    """A mix of blank lines, a number, separators, a title and more lines."""
    return b"".join([
        rng.choice([b"", b"\n", b" \n\t", b"\r\n"]), value,
        rng.choice([b"", b" ", b"  ", b"\t", b"\n", b" \n", b"\r\n", b"x", b"-", b"S"]),
        text(rng), rng.choice([b"", b"\n", b"\r\n"]), text(rng)])


def long(rng):
    """Blanks, a title or what follows it as long as a buffer, give or take."""
    size = lambda: rng.choice(SIZES) + rng.randint(-3, 3)
    blanks = b" " * rng.choice([0, size()])
    title = bytes(rng.choice(b"ab \t") for _ in range(rng.choice([3, size()])))
    return blanks + near(rng) + b" " + title + rng.choice([b"", b"\n" + b"z" * size()])


def inputs(rng, count):
    kinds = [lambda: bytes(rng.getrandbits(8) for _ in range(rng.randint(0, 40))),
             lambda: dialogue(rng, number(rng)), lambda: dialogue(rng, near(rng)),
             lambda: long(rng)]
    return [kinds[i % 4]() for i in range(count)]


def run(data, from_file):
    """Standard output, standard error and status of the program on data,
    and what it left of a file for the next reader (None for a pipe)."""
    if not from_file:
        done = facts.run(PROG, input=data)
        return done.stdout, done.stderr, done.returncode, None
    with tempfile.TemporaryFile(buffering=0) as file:
        file.write(data)
        done = facts.run(PROG, stdin=file)
        return done.stdout, done.stderr, done.returncode, file.read()


def fault(data, from_file):
    """What is wrong with the program's run on data; None if nothing, and
    whether the answer was known exactly."""
    out, err, status, rest = run(data, from_file)
    answer = out[len(PROMPT):-len(EOL)]
    due = model(data)
    if status != 0 or err:
        return "status %d, stderr %r" % (status, err), due
    if not out.startswith(PROMPT) or not out.endswith(EOL) or b"\n" in answer:
        return "output %r is not the prompt and one line" % out[:300], due
    if due is None:
        if answer not in COMPLAINTS and answer not in data:
            return "answer %r is neither a complaint nor from the input" % answer[:300], due
    elif answer != due[0]:
        return "answer %r, expected %r" % (answer[:300], due[0][:300]), due
    elif from_file and rest != due[1]:
        return "left %r for the next reader, expected %r" % (rest[:300], due[1][:300]), due
    return None, due


def main():
    rng = random.Random(20261210)
    data = inputs(rng, 1500 if len(PROG) == 1 else 500)
    files = [(i // 4) % 2 == 1 for i in range(len(data))]
    # Leak checking at every exit would multiply a sanitizer build's run time;
    # the other tests keep it, and the inputs here take the same code paths.
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    os.environ.setdefault("WINEDEBUG", "-all")
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        results = list(pool.map(fault, data, files))
    bad = [(d, why) for d, (why, _) in zip(data, results) if why]
    for d, why in bad[:10]:
        print("FAIL: input %r (%d bytes): %s" % (d[:300], len(d), why))
    exact = sum(due is not None for _, due in results)
    from_file = sum(due is not None and f for (_, due), f in zip(results, files))
    print("%d random inputs: %d with an exact answer (%d from a file, with what is left"
          " of it), %d checked loosely; %d failed"
          % (len(data), exact, from_file, len(data) - exact, len(bad)))
    return 1 if bad else 0


sys.exit(main())
