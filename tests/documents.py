"""What the documents tell users, tried on the program.

    python3 tests/documents.py answers|examples [EMULATOR...] PROGRAM

answers: every table of answers (the manual page's DESCRIPTION, the
README's) holds at each row's bounds; the page's exit statuses and quoted
message hold. examples: every example session of the README and the page
runs as written in a terminal, with the program as knjiga, the screen
compared byte for byte; where the program reads the terminal, the lines
between the prompt and the answer are typed."""

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


def answers():
    prompt, page_rows = facts.page_answers()
    for document, rows in (("the manual page", page_rows), ("the README", facts.readme_answers())):
        check("%s: a table of answers" % document, len(rows) >= 2, True)
        for answer, lowest, highest in rows:
            # At the highest; just above the lowest, and above it in double only.
            numbers = [] if highest is None else [highest]
            if lowest is not None:
                numbers += [math.nextafter(lowest, math.inf), lowest * (1 + 2 ** -30)]
            for number in numbers:
                done, due = facts.run(PROG, input=b"%r T\n" % number), answer or b"T"
                check("%s: %r: %s" % (document, number, due.decode()),
                      (done.returncode, done.stdout, done.stderr), (0, prompt + EOL + due + EOL, b""))
    # The statuses: the answer written, and standard output that cannot be.
    statuses, messages = facts.exit_statuses()
    check("exit status: the answer written", facts.run(PROG, input=b"3 T\n").returncode, statuses[0])
    with open("/dev/full", "wb") as full:
        done = facts.run(PROG, input=b"3 T\n", stdout=full)
    check("exit status and message: a full device", (done.returncode, done.stderr),
          (statuses[1], messages[0] + EOL))


def shown(command, lines, env, work):
    """What the screen of a terminal shows of command; where it starts the
    program on the terminal, what is between prompt and answer is typed."""
    typed = lines[1:-1] if command == "knjiga" else []
    master, slave = os.openpty()
    child = subprocess.Popen(["bash", "--norc", "-c", command], stdin=slave, stdout=slave,
                             stderr=slave, cwd=work, env=env, start_new_session=True)
    os.close(slave)
    screen = b""
    while True:
        if typed and lines[0].encode() + b"\r\n" in screen:
            os.write(master, typed.pop(0).encode() + b"\n")
        elif not select.select([master], [], [], 60)[0]:
            child.kill()
        else:
            try:
                data = os.read(master, 4096)
            except OSError:  # the terminal closed: every program ended
                data = b""
            if not data:
                break
            screen += data
    child.wait(timeout=60)
    os.close(master)
    return screen.replace(b"\r\n", b"\n")


def examples():
    sessions = facts.examples()
    with tempfile.TemporaryDirectory() as tmp:
        with open(os.path.join(tmp, "knjiga"), "w") as wrapper:
            wrapper.write("#!/bin/sh\nexec %s \"$@\"\n" % " ".join(
                "'%s'" % os.path.abspath(a) if os.path.exists(a) else a for a in PROG))
        os.chmod(os.path.join(tmp, "knjiga"), 0o755)
        env = dict(os.environ, PATH=tmp + os.pathsep + os.environ["PATH"], LC_ALL="C")
        for n, (document, commands) in enumerate(sessions):
            work = os.path.join(tmp, str(n))
            os.mkdir(work)
            screen = b"".join(b"$ %s\n" % c.encode() + shown(c, lines, env, work)
                              for c, lines in commands)
            due = "".join("$ %s\n" % c + "".join(l + "\n" for l in lines) for c, lines in commands)
            check("%s: %s" % (document, commands[0][0]), screen, due.encode())
    check("example sessions in each document", sorted({d for d, _ in sessions}),
          ["README.md", "knjiga.1"])


def main():
    os.environ.setdefault("WINEDEBUG", "-all")
    {"answers": answers, "examples": examples}[sys.argv[1]]()
    print("%d failed" % failures)
    return 1 if failures else 0


sys.exit(main())
