"""What the documents tell users, tried on the program.

    python3 tests/documents.py answers [EMULATOR...] PROGRAM
    python3 tests/documents.py examples [EMULATOR...] PROGRAM

answers: every table of answers (the manual page's DESCRIPTION and the
README's) holds at the bounds of each row: at a row's highest number, just
above it in double precision only, and just above its lowest. The prompt
and the complaints are the page's, and so are the exit statuses and the
message it quotes.

examples: every example session of the README and the manual page runs as
written, in a terminal, with the program as knjiga: the screen is compared
byte for byte. Where a session starts the program reading the terminal,
the lines between the prompt and the answer are typed."""

import math
import os
import select
import subprocess
import sys
import tempfile

import facts

PROG = facts.program(sys.argv[2:])
WINDOWS = facts.toolchain(PROG).endswith("/Windows")
EOL = b"\r\n" if WINDOWS else b"\n"
failures = 0


def check(name, got, want):
    global failures
    if got == want:
        print("ok: %s" % name)
    else:
        failures += 1
        print("FAIL: %s:\n  got  %r\n  want %r" % (name, got, want))


def run(data, stdout=subprocess.PIPE):
    """The program's run on data. Now and then wine fails to start a
    program, ending with status 1 and no word on either stream, which
    knjiga itself never does: that run is made again."""
    for _ in range(2):
        done = subprocess.run(PROG, input=data, stdout=stdout, stderr=subprocess.PIPE,
                              timeout=60)
        if len(PROG) == 1 or done.returncode != 1 or done.stdout or done.stderr:
            break
        print("note: the emulator did not start the program; running it again")
    return done


def below_in_single(x):
    """A double just above x, which single precision takes for x."""
    return x * (1 + 2 ** -30)


def answers():
    prompt, page_rows = facts.page_answers()
    tables = [("the manual page", page_rows), ("the README", facts.readme_answers())]
    for document, rows in tables:
        if len(rows) < 2:
            check("%s: a table of answers" % document, len(rows), "2 rows or more")
    for document, rows in tables:
        for answer, lowest, highest in rows:
            due = answer or b"T"
            numbers = []
            if highest is not None:
                numbers += [("at most %r" % highest, highest)]
            if lowest is not None:
                numbers += [("just above %r" % lowest, math.nextafter(lowest, math.inf)),
                            ("above %r in double only" % lowest, below_in_single(lowest))]
            for name, number in numbers:
                done = run(b"%r T\n" % number)
                check("%s: %s (%r): %s" % (document, name, number, due.decode()),
                      (done.returncode, done.stdout, done.stderr),
                      (0, prompt + EOL + due + EOL, b""))
    # The statuses: the answer written, and standard output that cannot be,
    # with the page's message for a full device.
    statuses, messages = facts.exit_statuses()
    done = run(b"3 T\n")
    check("exit status %d: the answer written" % statuses[0], done.returncode, statuses[0])
    with open("/dev/full", "wb") as full:
        done = run(b"3 T\n", stdout=full)
    check("exit status %d: a full device" % statuses[1], (done.returncode, done.stderr),
          (statuses[1], messages[0] + EOL))


def session(commands, bin_dir, work):
    """Runs each command of one session in a terminal; what the screen
    shows, and what it should."""
    shown, due = b"", b""
    for command, lines in commands:
        due += ("$ %s\n" % command + "".join(l + "\n" for l in lines)).encode()
        shown += b"$ %s\n" % command.encode()
        typed = lines[1:-1] if command == "knjiga" else []
        master, slave = os.openpty()
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"], LC_ALL="C")
        child = subprocess.Popen(["bash", "--norc", "-c", command], stdin=slave, stdout=slave,
                                 stderr=slave, cwd=work, env=env, start_new_session=True)
        os.close(slave)
        screen = b""
        while True:
            if typed and lines[0].encode() + b"\r\n" in screen:
                os.write(master, typed.pop(0).encode() + b"\n")
                continue
            ready, _, _ = select.select([master], [], [], 60)
            if not ready:
                child.kill()
                break
            try:
                data = os.read(master, 4096)
            except OSError:  # the terminal closed: every program ended
                break
            if not data:
                break
            screen += data
        child.wait(timeout=60)
        os.close(master)
        shown += screen.replace(b"\r\n", b"\n")
    return shown, due


def examples():
    sessions = facts.examples()
    with tempfile.TemporaryDirectory() as tmp:
        bin_dir = os.path.join(tmp, "bin")
        os.mkdir(bin_dir)
        with open(os.path.join(bin_dir, "knjiga"), "w") as wrapper:
            wrapper.write("#!/bin/sh\nexec %s \"$@\"\n" % " ".join(
                "'%s'" % os.path.abspath(a) if os.path.exists(a) else a for a in PROG))
        os.chmod(os.path.join(bin_dir, "knjiga"), 0o755)
        for n, (document, commands) in enumerate(sessions):
            work = os.path.join(tmp, str(n))
            os.mkdir(work)
            shown, due = session(commands, bin_dir, work)
            check("%s: %s" % (document, commands[0][0]), shown, due)
    check("example sessions in each document",
          sorted({d for d, _ in sessions}), ["README.md", "knjiga.1"])


def main():
    os.environ.setdefault("WINEDEBUG", "-all")
    {"answers": answers, "examples": examples}[sys.argv[1]]()
    print("%d failed" % failures)
    return 1 if failures else 0


sys.exit(main())
