// SPDX-License-Identifier: MIT
// Preloaded into the program (LD_PRELOAD), this gives glibc's stdio the ways
// of FreeBSD's and macOS's with a stream open only for reading. There fflush
// does nothing and returns 0, and exit leaves the file offset alone.
// With KNJIGA_BSD_STDIO_SAY set, it says that it was loaded.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace {
// glibc's own flag of a stream (libio.h), which it no longer publishes.
constexpr int no_writes = 0x0008; // _IO_NO_WRITES: open only for reading

[[gnu::constructor]] void loaded()
{
    static const char said[] = "bsd-stdio: loaded\n";
    if (std::getenv("KNJIGA_BSD_STDIO_SAY") != nullptr)
        (void)write(STDERR_FILENO, said, sizeof said - 1);
}

// Shared libraries' destructors run before glibc's exit seeks each stream
// back by its unread read-ahead. Left with none, stdin keeps its offset.
[[gnu::destructor]] void exiting() { stdin->_IO_read_ptr = stdin->_IO_read_end; }
} // namespace

extern "C" int fflush(FILE* stream)
{
    using fflush_type = int (*)(FILE*);
    static const auto real = reinterpret_cast<fflush_type>(dlsym(RTLD_NEXT, "fflush"));
    if (stream != nullptr && (stream->_flags & no_writes) != 0)
        return 0;
    return real(stream);
}
