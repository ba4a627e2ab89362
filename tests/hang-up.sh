#!/usr/bin/env bash
# A terminal that hangs up, as when an ssh session drops: the program runs in
# a pseudo-terminal whose other end is closed. What was cut short is an error
# (status 1, one line on standard error), never an answer or a success.
. "$(dirname "$0")/lib.sh"

python=${KNJIGA_PYTHON:-python3}
command -v "$python" >/dev/null || skip "python3 is not installed"
# To a Windows program, wine makes a terminal a console of its own, which
# does not hang up.
windows && skip "a terminal is a console to a Windows program under wine"
# Leak checking at exit traces the program, and a signal sent then is lost.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# hangup HOW TYPED: runs the program at a terminal (raw: each byte is read as
# soon as it is typed, and a line end is written as it is), whose screen
# shows on standard output until it hangs up:
# - "written": standard output is the terminal, standard input a pipe. Once
#   the prompt shows, the terminal hangs up, and then TYPED comes down the
#   pipe: the answer is written to a terminal that is gone.
# - "complete": standard input and output are the terminal, TYPED a whole
#   dialogue typed at once; strace holds the program as its read of it
#   returns, and the terminal hangs up then: the input was complete, the
#   answer is due, and its write fails.
# - "waiting" or "stopped": the terminal hangs up after TYPED was typed,
#   while the program waits to read more, or while it is stopped there and
#   then continued. A read waiting at that moment fails (EIO); one made after
#   it finds the end of the input instead. Linux on x86-64 shows what a
#   process waits in (read on descriptor 0: system call 0, or 3 for a 32-bit
#   program); elsewhere these cases are skipped (status 77).
cat >"$tmp/hangup.py" <<'PY'
import fcntl, os, platform, pty, select, signal, subprocess, sys, termios, time, tty
how, typed, prog = sys.argv[1], sys.argv[2].encode(), sys.argv[3:]
master, slave = pty.openpty()
tty.setraw(slave)
run = None
def until(done, what):
    for _ in range(3000):
        if done():
            return
        time.sleep(0.01)
    if run:
        run.kill()
    sys.exit("never " + what)
def screen():  # what the program wrote to the terminal, up to a line end
    seen = b""
    while not seen.endswith(b"\n") and select.select([master], [], [], 10)[0]:
        seen += os.read(master, 4096)
    sys.stdout.buffer.write(seen)
    sys.stdout.flush()
def unread():
    return fcntl.ioctl(slave, termios.FIONREAD, b"1234") != b"\0" * 4
if how == "written":
    run = subprocess.Popen(prog, stdin=subprocess.PIPE, stdout=slave)
    screen()
    os.close(master)
    run.stdin.write(typed)
    run.stdin.close()
    sys.exit(run.wait(timeout=60))
if how == "complete":
    os.write(master, typed)
    until(unread, "passed on what was typed")  # the terminal does so in its own time
    run = subprocess.Popen(["strace", "-o", os.environ["STRACE_LOG"], "-qq", "-P", os.ttyname(slave),
                            "-e", "trace=read", "-e", "inject=read:delay_exit=3000000:when=1"]
                           + prog, stdin=slave, stdout=slave)
    until(lambda: not unread(), "read what was typed")
    screen()
    os.close(slave)
    os.close(master)
    sys.exit(run.wait(timeout=60))
if platform.machine() != "x86_64" or not os.path.exists("/proc/self/syscall"):
    sys.exit(77)
run = subprocess.Popen(prog, stdin=slave)
os.write(master, typed)
def proc(what):
    with open("/proc/%d/%s" % (run.pid, what)) as f:
        return f.read()
def waits_to_read():  # all typed is read, and the program waits for more
    return proc("syscall").startswith(("0 0x0 ", "3 0x0 ")) and not unread()
until(waits_to_read, "came to wait for input")
if how == "stopped":
    run.send_signal(signal.SIGSTOP)
    until(lambda: proc("stat").rsplit(")", 1)[1].split()[0] == "T", "stopped")
os.close(slave)
os.close(master)
if how == "stopped":
    run.send_signal(signal.SIGCONT)
sys.exit(run.wait(timeout=60))
PY
hangup() {
  STRACE_LOG=$tmp/strace "$python" "$tmp/hangup.py" "$@" "${prog[@]}" </dev/null >"$tmp/out" 2>"$tmp/err"
  status=$?
}

# The prompt reached the terminal; the answer finds it gone.
hangup written $'3 Seobe\n'
check 'hung up before the answer is written' 1 "$prompt" 'knjiga: write error: Input/output error\n'

if command -v strace >/dev/null; then
  rm -f "$tmp/strace"
  hangup complete $'3 Seobe\n'
  check 'hangs up after the whole dialogue was typed' 1 "$prompt" \
    'knjiga: write error: Input/output error\n'
  injected 'hangs up after the whole dialogue was typed'
else
  skip_case "hangs up after the whole dialogue was typed: no strace"
fi

for typed in '3 Seob' '1e999' ''; do
  for how in waiting stopped; do
    hangup $how "$typed"
    if [ $status = 77 ]; then
      skip_case "hangs up while the program reads: cannot see when it waits to read"
      finish
      exit
    fi
    check "hangs up after '$typed', program $how" 1 "$prompt" \
      'knjiga: read error: Input/output error\n'
  done
done

finish
