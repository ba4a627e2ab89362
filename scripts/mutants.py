#!/usr/bin/python3
"""Mutation run: how many small faults in src/knjiga.cpp the tests catch.

    python3 scripts/mutants.py PRESET [NAME...]
    python3 scripts/mutants.py --check

Each mutant below changes the source in one place: a text of code, never of
a comment, that must occur exactly once. One that no longer does is
reported as stale, never passed over. The source tree is copied to a
scratch folder, configured once with the configure preset PRESET, and for
each mutant built again and tested with ctest, which stops at the first
test that fails: the mutant is then killed. One that builds and passes
every test survived; one that does not build is reported apart. NAMEs run
only those mutants. It takes about half a minute a mutant; the last line
sums up. --check only reports the stale mutants, as the lint does."""

import os
import shutil
import subprocess
import sys
import tempfile

# (name, text, replacement)
MUTANTS = [
    ("no name in the error line", 'std::fprintf(stderr, "knjiga: %s', 'std::fprintf(stderr, "%s'),
    ("error ends with status 0", "std::_Exit(EXIT_FAILURE)", "std::_Exit(EXIT_SUCCESS)"),
    ("error ends through exit", "std::_Exit(EXIT_FAILURE)", "std::exit(EXIT_FAILURE)"),
    ("standard error not flushed", "(void)std::fflush(stderr);", ""),
    ("stdout's error indicator not asked", " || std::ferror(stdout) != 0", ""),
    ("line not flushed", "<< line << std::endl", "<< line << '\\n'"),
    ("write error called read", 'std::ferror(stdout) != 0)\n        die("write"',
     'std::ferror(stdout) != 0)\n        die("read"'),
    ("any input taken for a file", "S_ISREG(input.st_mode)", "true"),
    ("no input taken for a file", "S_ISREG(input.st_mode)", "false"),
    ("stdin not flushed first", "std::fflush(stdin) != 0 ||", "false ||"),
    ("flush's ignored seek not a failure", " || errno == ESPIPE)", ")"),
    ("stdin's position unchecked", "here != -1 && lseek", "lseek"),
    ("offset not set", "lseek(STDIN_FILENO, here, SEEK_SET) == here", "true"),
    ("stdin's position taken as 0", "const off_t here = ftello(stdin);", "const off_t here = 0;"),
    ("errno not cleared before the seek", "    errno = 0;\n    std::streampos here", "    std::streampos here"),
    ("stdin's way taken whatever errno says", ": errno == 0 && give_back_stdin()", ": give_back_stdin()"),
    ("stdin's way not taken", ": errno == 0 && give_back_stdin()", ": errno == 0 && (false && give_back_stdin())"),
    ("seek back unchecked", "input.pubseekpos(here, std::ios::in) == here", "true"),
    ("position 0 taken as failure", "here != failed ?", "here != failed && here != 0 ?"),
    ("failed give-back always EIO", "const int reason = errno != 0 ? errno : EIO;", "const int reason = EIO;"),
    ("failed give-back never reported", "if (input_is_file())\n        die", "if (false && input_is_file())\n        die"),
    ("failed give-back always reported", "if (input_is_file())\n        die", "if (true || input_is_file())\n        die"),
    ("stream keeps its buffer at close", "std::cout.rdbuf(nullptr);", ""),
    ("wide stream keeps its buffer at close", "std::wcout.rdbuf(nullptr);", ""),
    ("close unchecked", "if (std::fclose(stdout) != 0)", "if (std::fclose(stdout) != 0 && false)"),
    ("output not closed", "    close_output();\n}", "    if (false)\n        close_output();\n}"),
    ("any tcgetattr failure is a hang-up", "!= 0 && errno == EIO;", "!= 0;"),
    ("no hang-up check", "return tcgetattr(", "return false && tcgetattr("),
    ("ERANGE kept as the reason", "    if (errno == ERANGE)\n        errno = EIO;\n", ""),
    ("no guard against a negative size", "    if (most <= 0)\n        return;\n", ""),
    ("room bound of 1 TiB", "std::streamsize{1} << 28", "std::streamsize{1} << 40"),
    ("room bound taken always", "std::min(most, bound)", "std::max(most, bound)"),
    ("no room set aside", "std::min(most, bound)));", "std::min(most, bound)) * 0);"),
    ("room not set aside at all", "    make_room(knjiga, std::cin.rdbuf()->in_avail());\n",
     "    if (false)\n        make_room(knjiga, std::cin.rdbuf()->in_avail());\n"),
    ("no start-up handler", "std::set_new_handler([] { die(\"start-up\", std::strerror(ENOMEM)); });", ""),
    ("start-up called read", 'die("start-up"', 'die("read"'),
    ("NaN taken for a number", "if (std::isnan(broj)) {", "if (false) {"),
    ("start-up handler left in place", "    std::set_new_handler(nullptr);\n", ""),
    ("stdio kept in sync", "    std::ios::sync_with_stdio(false);\n", ""),
    ("prompt corrected", '"Unesize broj', '"Unesite broj'),
    ("prompt without its space", 'naziv knjige: "', 'naziv knjige:"'),
    ("number starts at 6", "double broj = 0.0;", "double broj = 6.0;"),
    ("no exceptions from the read", "    std::cin.exceptions(std::ios::badbit);\n", ""),
    ("two characters dropped", "std::cin.ignore(1,", "std::cin.ignore(2,"),
    ("nothing dropped", "        std::cin.ignore(1, std::char_traits<char>::eof());\n", ""),
    ("title read as a word", "std::getline(std::cin, knjiga);", "std::cin >> knjiga;"),
    ("memory running out is an EIO", 'die("read", std::strerror(ENOMEM));\n    } catch (const std::length',
     'die("read", std::strerror(EIO));\n    } catch (const std::length'),
    ("a long number not caught", "catch (const std::length_error&)", "catch (const std::domain_error&)"),
    ("a failed read tells errno as it is", "die(\"read\", read_failure());\n    }",
     "die(\"read\", std::strerror(errno));\n    }"),
    ("stdin's error indicator not asked", "std::ferror(stdin) != 0 || ", ""),
    ("hang-up asked without the end of input", "(std::cin.eof() && hung_up())", "hung_up()"),
    ("read error after the read called write", 'hung_up()))\n        die("read", read_failure());',
     'hung_up()))\n        die("write", read_failure());'),
    ("a full string answered", "knjiga.size() == knjiga.max_size() && std::cin.fail()", "false"),
    ("a full string refused", "knjiga.max_size() && std::cin.fail()", "knjiga.max_size()"),
    ("a full string is ENOMEM", "std::cin.fail())\n        die(\"read\", std::strerror(EOVERFLOW))",
     "std::cin.fail())\n        die(\"read\", std::strerror(ENOMEM))"),
    ("input not given back", "    give_back_input();\n", "    if (false)\n        give_back_input();\n"),
    ("input given back after the answer", "    give_back_input();\n", "", "    close_output();",
     "    give_back_input();\n    close_output();"),
    ("lower limit 5.4", "granica = 5.5;", "granica = 5.4;"),
    ("5.5 excluded", "broj <= granica)", "broj < granica)"),
    ("9.9 excluded", "broj <= gornja_granica)", "broj < gornja_granica)"),
    ("upper limit a float", "gornja_granica = 9.9;", "gornja_granica = 9.9f;"),
    ("comparison that lets nan through", "if (broj <= granica)", "if (!(broj > granica))"),
    ("first complaint misspelt", 'say("Prevelik broj")', 'say("Prevelik  broj")'),
    ("complaints swapped", 'say("Prevelik broj");\n    else\n        say("Puno prevelik broj");',
     'say("Puno prevelik broj");\n    else\n        say("Prevelik broj");'),
]


def apply(source, mutant):
    """The source with the mutant's changes, or None where a text is not there
    once, or takes in a comment."""
    changes = mutant[1:]
    for text, replacement in zip(changes[::2], changes[1::2]):
        if source.count(text) != 1 or "//" in text:
            return None
        source = source.replace(text, replacement)
    return source


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "--check":
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        with open(os.path.join(root, "src", "knjiga.cpp")) as f:
            original = f.read()
        stale = [m[0] for m in MUTANTS if apply(original, m) is None]
        for name in stale:
            print("mutants.py: stale: %s" % name)
        sys.exit(1 if stale else 0)
    preset, names = sys.argv[1], set(sys.argv[2:])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    chosen = [m for m in MUTANTS if not names or m[0] in names]
    scratch = tempfile.mkdtemp(prefix="knjiga-mutants.")
    tree = os.path.join(scratch, "src-tree")
    shutil.copytree(root, tree, ignore=shutil.ignore_patterns(".git", "build*", "dist"))
    source_file = os.path.join(tree, "src", "knjiga.cpp")
    with open(source_file) as f:
        original = f.read()
    build = os.path.join(tree, "build-" + preset)
    run = lambda *cmd: subprocess.run(cmd, cwd=tree, stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT, text=True)
    if run("cmake", "--preset", preset).returncode != 0:
        sys.exit("mutants.py: the preset %s does not configure" % preset)
    counts = {"killed": 0, "survived": 0, "stale": 0, "does not build": 0}
    try:
        for mutant in chosen:
            mutated = apply(original, mutant)
            if mutated is None:
                outcome = "stale"
            else:
                with open(source_file, "w") as f:
                    f.write(mutated)
                if run("cmake", "--build", build).returncode != 0:
                    outcome = "does not build"
                else:
                    tests = run("ctest", "--test-dir", build, "--stop-on-failure")
                    failed = [l.split(" - ")[1].split()[0] for l in tests.stdout.splitlines()
                              if " - " in l and ("(Failed)" in l or "(Timeout)" in l)]
                    outcome = "killed" if tests.returncode != 0 else "survived"
                    if failed:
                        outcome += " by " + failed[0]
            counts[outcome.split(" by ")[0]] += 1
            print("%-42s %s" % (mutant[0], outcome), flush=True)
    finally:
        with open(source_file, "w") as f:
            f.write(original)
        shutil.rmtree(scratch)
    print("%s: %d mutants: %s" % (preset, len(chosen),
                                  ", ".join("%d %s" % (n, k) for k, n in counts.items())))
    sys.exit(1 if counts["stale"] else 0)


if __name__ == "__main__":
    main()
