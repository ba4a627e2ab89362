"""1500 random inputs, from a fixed seed (500 behind an emulator, where
each run costs many times as much): whatever comes in, the program exits
0, says nothing on standard error, and writes the prompt line and one
answer line, which is a complaint or bytes taken from its input."""

import os
import random
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor


def toolchain():
    """What the program was built for, as tests/lib.sh finds it."""
    if "KNJIGA_TOOLCHAIN" in os.environ:
        return os.environ["KNJIGA_TOOLCHAIN"]
    try:
        with open(os.path.join(os.path.dirname(sys.argv[-1]), "toolchain")) as built:
            return built.readline().strip()
    except OSError:
        return "unknown/unknown"


# Text mode on Windows writes each line end as CR LF.
EOL = b"\r\n" if toolchain().endswith("/Windows") else b"\n"
PROMPT = b"Unesize broj te zatim naziv knjige: " + EOL
COMPLAINTS = (b"Prevelik broj", b"Puno prevelik broj")
BYTES = b"az AZ\t\r\0\x7f\xc4\x87\xff0123456789.,-+eE"


def number(rng):
    return rng.choice([
        b"5.5", b"9.9", b"-0", b"1e999", b"nan", b".", b"-", b"+.5e1",
        b"%d" % rng.randint(-20, 20),
        b"%.*f" % (rng.randint(0, 17), rng.uniform(-1, 12)),
        b"%de%d" % (rng.randint(-99, 99), rng.randint(-3, 3)),
    ])


def dialogue(rng):
    """A mix of blank lines, a number, separators, a title and more lines."""
    text = lambda: bytes(rng.choice(BYTES) for _ in range(rng.randint(0, 20)))
    parts = [rng.choice([b"", b"\n", b" \n\t"]), number(rng),
             rng.choice([b"", b" ", b"  ", b"\t", b"\n", b" \n", b"x"]), text(),
             rng.choice([b"", b"\n", b"\r\n"]), text()]
    return b"".join(parts)


def noise(rng):
    return bytes(rng.getrandbits(8) for _ in range(rng.randint(0, 40)))


def fault(prog, data):
    """What is wrong with the program's run on data, or None."""
    run = subprocess.run(prog, input=data, capture_output=True, timeout=60)
    # Now and then wine fails to start a program, ending with status 1 and no
    # word on either stream, which knjiga itself never does: that run is
    # made again.
    if len(prog) > 1 and run.returncode == 1 and not run.stdout + run.stderr:
        print("note: the emulator did not start the program; running it again")
        run = subprocess.run(prog, input=data, capture_output=True, timeout=60)
    answer = run.stdout[len(PROMPT):-len(EOL)]
    if run.returncode != 0 or run.stderr:
        return "status %d, stderr %r" % (run.returncode, run.stderr)
    if not run.stdout.startswith(PROMPT) or not run.stdout.endswith(EOL) \
            or b"\n" in answer:
        return "output %r is not the prompt and one line" % run.stdout
    if answer not in COMPLAINTS and answer not in data:
        return "answer %r is neither a complaint nor from the input" % answer
    return None


def main():
    prog = sys.argv[1:]  # the program, behind an emulator for a cross build
    rng = random.Random(20261208)
    inputs = [(dialogue if i % 2 else noise)(rng) for i in range(1500 if len(prog) == 1 else 500)]
    # Leak checking at every exit would multiply a sanitizer build's run time;
    # the other tests keep it, and the inputs here take the same code paths.
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        faults = list(pool.map(lambda data: fault(prog, data), inputs))
    bad = [(data, why) for data, why in zip(inputs, faults) if why]
    for data, why in bad[:10]:
        print("FAIL: input %r: %s" % (data, why))
    print("%d random inputs, %d failed" % (len(inputs), len(bad)))
    return 1 if bad else 0


sys.exit(main())
