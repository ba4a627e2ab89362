"""What the tests written in Python share: how the program runs, and the
facts that users read, from the documents that are their home."""

import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = os.path.join(HERE, "..", "man", "knjiga.1.in")
README = os.path.join(HERE, "..", "README.md")


def program(args):
    """The command that runs the program, as tests/lib.sh makes it: a
    program named alone runs behind the emulator its build tree names."""
    emulator = os.path.join(os.path.dirname(args[0]), "emulator")
    if len(args) == 1 and os.path.isfile(emulator) and os.path.getsize(emulator):
        with open(emulator) as lines:
            return lines.read().splitlines() + args
    return args


def toolchain(prog):
    """What the program was built for, as tests/lib.sh finds it."""
    if "KNJIGA_TOOLCHAIN" in os.environ:
        return os.environ["KNJIGA_TOOLCHAIN"]
    try:
        with open(os.path.join(os.path.dirname(prog[-1]), "toolchain")) as built:
            return built.readline().strip()
    except OSError:
        return "unknown/unknown"


def section(name):
    """The lines of the manual page's section NAME."""
    lines, inside = [], False
    with open(PAGE) as page:
        for line in page.read().splitlines():
            if line.startswith(".SH"):
                inside = line[3:].strip().strip('"') == name
            elif inside:
                lines.append(line)
    return lines


def unescape(text):
    """troff's escapes that the page uses, as the reader sees them."""
    for escape, char in (("\\(aq", "'"), ("\\e", "\\"), ("\\-", "-"), ("\\ ", " "),
                         ("\\&", "")):
        text = text.replace(escape, char)
    return text


def row(range_text, answer):
    """(answer, lowest, highest) of one row of an answer table: the number
    above lowest and at most highest (None: no such bound)."""
    above = re.search(r"above (\d+(?:\.\d+)?)", range_text)
    most = re.search(r"(?:at most|up to) (\d+(?:\.\d+)?)", range_text)
    return (answer, above and float(above.group(1)), most and float(most.group(1)))


def page_answers():
    """The prompt, and the answers as rows, from the page's DESCRIPTION:
    an answer is the title (None) or a complaint's bytes."""
    lines = section("DESCRIPTION")
    prompt = next(re.match(r'\.RB \\\(lq "(.*)" \\\(rq$', l) for l in lines
                  if l.startswith(".RB \\(lq"))
    rows = []
    for i, line in enumerate(lines[:-2]):
        if line == ".TP":
            item = lines[i + 1]
            answer = None if item.startswith(".I ") else item[3:].encode()
            rows.append(row(lines[i + 2], answer))
    return unescape(prompt.group(1)).encode(), rows


def readme_answers():
    """The README's table of answers, as rows."""
    rows = []
    with open(README) as readme:
        for line in readme:
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) == 2 and re.search(r"\d", cells[0]) and "---" not in line:
                answer = cells[1].strip("`")
                rows.append(row(cells[0], None if answer.startswith("the title") else
                                answer.encode()))
    return rows


def exit_statuses():
    """The statuses of the page's EXIT STATUS section, in their order, and
    the message it quotes."""
    lines = section("EXIT STATUS")
    statuses = [int(lines[i + 1][3:]) for i, l in enumerate(lines[:-1])
                if l == ".TP" and lines[i + 1].startswith(".B ")]
    quoted = [re.match(r'\.RB \\\(lq "(.*)" \\\(rq', l) for l in lines]
    return statuses, [unescape(q.group(1)).encode() for q in quoted if q]


def examples():
    """Every example session of the README and the page: a list of
    (document, commands), each command a (line, output lines) pair."""
    blocks = []
    with open(README) as readme:
        text = readme.read()
    for block in re.findall(r"(?ms)^```\n(.*?)^```$", text):
        if block.startswith("$ "):
            blocks.append(("README.md", block.splitlines()))
    lines, block = section("EXAMPLES"), None
    for line in lines:
        if line == ".EX":
            block = []
        elif line == ".EE":
            blocks.append(("knjiga.1", block))
            block = None
        elif block is not None:
            block.append(unescape(line))
    sessions = []
    for name, block in blocks:
        commands = []
        for line in block:
            if line.startswith("$ "):
                commands.append((line[2:], []))
            else:
                commands[-1][1].append(line)
        sessions.append((name, commands))
    return sessions
