# A terminal that hangs up, as when an ssh session drops: the program runs in
# a pseudo-terminal whose other end is closed. What was cut short is an error
# (status 1, one line on standard error), never an answer or a success.
. "$(dirname "$0")/lib.sh"

python=${KNJIGA_PYTHON:-python3}
command -v "$python" >/dev/null || skip "python3 is not installed"
# Leak checking at exit traces the program, and a signal sent then is lost.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# hangup HOW TYPED: HOW "written": standard output is the terminal, already
# hung up, and standard input $tmp/in. HOW "waiting" or "stopped": the
# terminal hangs up after TYPED was typed, while the program waits to read
# more, or while it is stopped there and then continued. A read waiting at
# that moment fails (EIO); one made after it finds the end of the input
# instead. Linux on x86-64 shows what a process waits in (read on descriptor
# 0: system call 0, or 3 for a 32-bit program); elsewhere the case is
# skipped (status 77).
hangup() {
  "$python" - "$@" "${prog[@]}" <"$tmp/in" >"$tmp/out" 2>"$tmp/err" <<'PY'
import fcntl, os, platform, pty, signal, subprocess, sys, termios, time, tty
how, typed, prog = sys.argv[1], sys.argv[2], sys.argv[3:]
master, slave = pty.openpty()
if how == "written":  # line-buffered, as C's stdout is at a terminal
    os.close(master)
    run = subprocess.Popen(prog, stdout=slave, stdin=0)
    sys.exit(run.wait(timeout=60))
if platform.machine() != "x86_64" or not os.path.exists("/proc/self/syscall"):
    sys.exit(77)
tty.setraw(slave)  # each byte is read as soon as it is typed
run = subprocess.Popen(prog, stdin=slave)
os.write(master, typed.encode())
def proc(what):
    with open("/proc/%d/%s" % (run.pid, what)) as f:
        return f.read()
def waits_to_read():  # all typed is read, and the program waits for more
    return proc("syscall").startswith(("0 0x0 ", "3 0x0 ")) and \
        fcntl.ioctl(slave, termios.FIONREAD, b"1234") == b"\0" * 4
def until(done):
    for _ in range(3000):
        if done():
            return
        time.sleep(0.01)
    run.kill()
    sys.exit("the program never came to wait for input")
until(waits_to_read)
if how == "stopped":
    run.send_signal(signal.SIGSTOP)
    until(lambda: proc("stat").rsplit(")", 1)[1].split()[0] == "T")
os.close(slave)
os.close(master)
if how == "stopped":
    run.send_signal(signal.SIGCONT)
sys.exit(run.wait(timeout=60))
PY
  status=$?
}

printf '3 Seobe\n' >"$tmp/in"
hangup written ''
check 'hung up before the answer is written' 1 '' \
  "knjiga: write error: $(stated '*/Windows' 'Invalid argument' '*' 'Input/output error')\n"

# Wine reads a terminal through a console of its own.
windows && { echo "skip: hangs up while the program reads: wine's console"; finish; exit; }
: >"$tmp/in"
for typed in '3 Seob' '1e999' ''; do
  for how in waiting stopped; do
    hangup $how "$typed"
    [ $status != 77 ] || skip "cannot see when the program waits to read"
    check "hangs up after '$typed', program $how" 1 "$prompt" \
      'knjiga: read error: Input/output error\n'
  done
done

finish
