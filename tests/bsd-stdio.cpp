// SPDX-License-Identifier: MIT
// Preloaded into the program (LD_PRELOAD), this gives glibc's stdio the ways
// of the C library of FreeBSD and macOS with a stream open only for reading:
// fflush does nothing there and returns 0, and exit leaves the file's offset
// where the stream's buffer last read, instead of moving it back by what was
// read ahead and not used. With KNJIGA_BSD_STDIO_SAY set, it says that it
// was loaded, so that a test can tell that it ran with it.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace {
// glibc's own flags of a stream (libio.h), which it no longer publishes.
constexpr int no_writes = 0x0008; // _IO_NO_WRITES: open only for reading
constexpr int unbuffered = 0x0002; // _IO_UNBUFFERED: exit leaves it alone

[[gnu::constructor]] void loaded()
{
    static const char said[] = "bsd-stdio: loaded\n";
    if (std::getenv("KNJIGA_BSD_STDIO_SAY") != nullptr)
        (void)write(STDERR_FILENO, said, sizeof said - 1);
}

// Shared libraries' destructors run before glibc's exit gives the streams'
// read-ahead back, which it does for every buffered stream.
[[gnu::destructor]] void exiting() { stdin->_flags |= unbuffered; }
} // namespace

extern "C" int fflush(FILE* stream)
{
    using fflush_type = int (*)(FILE*);
    static const auto real = reinterpret_cast<fflush_type>(dlsym(RTLD_NEXT, "fflush"));
    if (stream != nullptr && (stream->_flags & no_writes) != 0)
        return 0;
    return real(stream);
}
