"""What the Python tests share: how the program runs, and the facts that
users read, from the documents that are their home."""

import os
import re
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE, README = os.path.join(HERE, "../man/knjiga.1.in"), os.path.join(HERE, "../README.md")


def program(args):
    """The command that runs the program, as tests/lib.sh makes it: a
    program named alone runs behind the emulator its build tree names."""
    emulator = os.path.join(os.path.dirname(args[0]), "emulator")
    if len(args) == 1 and os.path.isfile(emulator) and os.path.getsize(emulator):
        with open(emulator) as lines:
            return lines.read().splitlines() + args
    return args


def run(prog, **how):
    """subprocess.run of prog, its output kept. Now and then wine fails to
    start a program, ending with status 1 and no word on either stream,
    which knjiga itself never does: that run is made again."""
    how.setdefault("stdout", subprocess.PIPE)
    for _ in range(2):
        if "stdin" in how:
            how["stdin"].seek(0)
        done = subprocess.run(prog, stderr=subprocess.PIPE, timeout=60, **how)
        if len(prog) == 1 or done.returncode != 1 or done.stdout or done.stderr:
            return done
        print("note: the emulator did not start the program; running it again")
    return done


def toolchain(prog):
    """What the program was built for, as tests/lib.sh finds it."""
    try:
        with open(os.path.join(os.path.dirname(prog[-1]), "toolchain")) as built:
            return os.environ.get("KNJIGA_TOOLCHAIN", built.readline().strip())
    except OSError:
        return os.environ.get("KNJIGA_TOOLCHAIN", "unknown/unknown")


def section(name):
    """The lines of the manual page's section NAME."""
    with open(PAGE) as page:
        text = page.read()
    return re.search(r'(?ms)^\.SH "?%s"?\n(.*?)(^\.SH|\Z)' % name, text).group(1).splitlines()


def unescape(text):
    """troff's escapes that the page uses, as the reader sees them."""
    for escape, char in (("\\(aq", "'"), ("\\e", "\\"), ("\\-", "-"), ("\\ ", " "), ("\\&", "")):
        text = text.replace(escape, char)
    return text


def quoted(lines):
    """The texts that lines quote as .RB \\(lq "TEXT" \\(rq."""
    return [unescape(m.group(1)).encode() for m in
            (re.match(r'\.RB \\\(lq "(.*)" \\\(rq', l) for l in lines) if m]


def row(bounds, answer):
    """(answer, lowest, highest) of a row of an answer table: for a number
    above lowest and at most highest (None: no such bound)."""
    above = re.search(r"above (\d+(?:\.\d+)?)", bounds)
    most = re.search(r"(?:at most|up to) (\d+(?:\.\d+)?)", bounds)
    return answer, above and float(above.group(1)), most and float(most.group(1))


def page_answers():
    """The prompt, and the rows of the page's DESCRIPTION: an answer is
    the title (None) or a complaint."""
    lines = section("DESCRIPTION")
    rows = [row(lines[i + 2], None if lines[i + 1].startswith(".I ") else lines[i + 1][3:].encode())
            for i, line in enumerate(lines[:-2]) if line == ".TP"]
    return quoted(lines)[0], rows


def readme_answers():
    """The rows of the README's table of answers."""
    with open(README) as readme:
        cells = [[c.strip(" `") for c in l.strip(" |\n").split("|")] for l in readme
                 if l.startswith("|") and "---" not in l]
    return [row(c[0], None if c[1].startswith("the title") else c[1].encode())
            for c in cells if len(c) == 2 and re.search(r"\d", c[0])]


def exit_statuses():
    """The statuses of the page's EXIT STATUS, and the messages it quotes."""
    lines = section("EXIT STATUS")
    return ([int(lines[i + 1][3:]) for i, l in enumerate(lines[:-1])
             if l == ".TP" and lines[i + 1].startswith(".B ")], quoted(lines))


def examples():
    """Every example session of the README and the page, as (document,
    commands), each command a (line, [output line...]) pair."""
    with open(README) as readme:
        blocks = [("README.md", b) for b in re.findall(r"(?ms)^```\n(\$ .*?)^```$", readme.read())]
    page = "\n".join(section("EXAMPLES"))
    blocks += [("knjiga.1", unescape(b)) for b in re.findall(r"(?ms)^\.EX\n(.*?)^\.EE$", page)]
    sessions = []
    for name, block in blocks:
        commands = []
        for line in block.splitlines():
            if line.startswith("$ "):
                commands.append((line[2:], []))
            else:
                commands[-1][1].append(line)
        sessions.append((name, commands))
    return sessions
