// SPDX-License-Identifier: MIT
// knjiga: asks for a number and a book title. It answers with the title,
// or with a complaint when the number is too large.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ios>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#if __has_include(<termios.h>)
#include <termios.h>
#endif
#if __has_include(<unistd.h>)
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Writes one line on standard error and exits with a failure status.
// It allocates nothing and leaves the streams alone: either may have failed.
[[noreturn]] void die(const char* what, const char* reason)
{
    // Nothing more can be done if this fails too.
    (void)std::fprintf(stderr, "knjiga: %s error: %s\n", what, reason);
    (void)std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

// Writes one line and flushes it, so that a failed write is seen here.
// A stdio-backed std::cout may report success for a line-buffered write
// that failed: stdout's error indicator is checked too.
void say(std::string_view line)
{
    if (!(std::cout << line << std::endl) || std::ferror(stdout) != 0)
        die("write", std::strerror(errno));
}

// Whether standard input is a regular file.
bool input_is_file()
{
#if __has_include(<unistd.h>)
    struct stat input { };
    return fstat(STDIN_FILENO, &input) == 0 && S_ISREG(input.st_mode);
#else
    return false;
#endif
}

// Restores the file offset where std::cin is stdio-backed (HACKING.md).
// It is called with errno 0.
// The flush drops stdin's read-ahead, so that exit has none to seek back.
// glibc's flush ignores a failed seek (ESPIPE) and keeps it: a failure.
bool give_back_stdin()
{
#if __has_include(<unistd.h>)
    if (std::fflush(stdin) != 0 || errno == ESPIPE) // cppcheck-suppress fflushOnInputStream
        return false;
    const off_t here = ftello(stdin);
    return here != -1 && lseek(STDIN_FILENO, here, SEEK_SET) == here;
#else
    return false;
#endif
}

#ifdef _WIN32
// Windows reads a file in text mode, where CR LF is one line end. The C++
// library counts its read-ahead in characters: each CR LF among them is
// one byte more to step back (HACKING.md). Past a Ctrl-Z, which ends the
// text, the file stays past all that was read.
std::streampos text_position(std::streampos here)
{
    const int in = _fileno(stdin);
    const __int64 end = _lseeki64(in, 0, SEEK_CUR);
    const __int64 unread = end - std::streamoff(here);
    if (end == -1 || unread <= 0)
        return here;
    std::string raw(static_cast<std::size_t>(std::min(2 * unread, end)), '\0');
    const int mode = _setmode(in, _O_BINARY);
    const auto size = static_cast<unsigned>(raw.size());
    const bool read = mode != -1 && _lseeki64(in, end - size, SEEK_SET) != -1
        && _read(in, raw.data(), size) == static_cast<int>(size);
    if (mode != -1)
        (void)_setmode(in, mode);
    if (!read || raw.find('\x1a') != std::string::npos)
        return here;
    std::size_t bytes = raw.size();
    for (__int64 chars = 0; chars < unread && bytes > 0; ++chars)
        bytes -= bytes >= 2 && raw[bytes - 1] == '\n' && raw[bytes - 2] == '\r' ? 2 : 1;
    return std::streampos(end - static_cast<__int64>(raw.size() - bytes));
}
#endif

// Seeks standard input back to where the dialogue stopped, for the next
// reader of the same open file. Where that fails on a file, the next reader
// would lose input or read it twice: a read error.
void give_back_input()
{
    const std::streampos failed(std::streamoff(-1));
    std::streambuf& input = *std::cin.rdbuf();
    errno = 0;
    std::streampos here = input.pubseekoff(0, std::ios::cur, std::ios::in);
#ifdef _WIN32
    if (here != failed)
        here = text_position(here);
#endif
    // A stdio-backed buffer cannot seek, and fails without setting errno.
    if (here != failed ? input.pubseekpos(here, std::ios::in) == here
                       : errno == 0 && give_back_stdin())
        return;
    const int reason = errno != 0 ? errno : EIO;
    if (input_is_file())
        die("read", std::strerror(reason));
}

// Closes standard output and checks the close: NFS and disk quotas may
// report a failed write only then. std::cout and std::wcout drop their
// buffers first: libc++ flushes both into stdout at exit (HACKING.md).
void close_output()
{
    std::cout.rdbuf(nullptr);
    std::wcout.rdbuf(nullptr);
    if (std::fclose(stdout) != 0)
        die("write", std::strerror(errno));
}

// Whether standard input is a terminal that hung up. Linux fails only the
// read that waits at the hang-up; later reads see the end of input.
bool hung_up()
{
#if __has_include(<termios.h>)
    termios settings{};
    return tcgetattr(STDIN_FILENO, &settings) != 0 && errno == EIO;
#else
    return false; // no such terminal here.
#endif
}

// Why reading failed: errno, unless converting a number out of range left
// ERANGE there. The read's reason is then lost: it is reported as an
// input/output error, as a hang-up gives.
const char* read_failure()
{
    if (errno == ERANGE)
        errno = EIO;
    return std::strerror(errno);
}

// Reserves room for a title of up to `most` bytes. A long title is then
// not copied each time it outgrows its buffer. The reserve is bounded, as
// a large file with a short first line would claim its whole size.
void make_room(std::string& title, std::streamsize most)
{
    constexpr std::streamsize bound = std::streamsize{1} << 28; // 256 MiB
    if (most <= 0)
        return;
    try {
        title.reserve(static_cast<std::size_t>(std::min(most, bound)));
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

int main()
{
    // Unsynchronised, libstdc++ reads std::cin through a buffer of its own.
    // Its buffers are allocated here, too early to throw: the new handler
    // reports memory that runs out.
    std::set_new_handler([] { die("start-up", std::strerror(ENOMEM)); });
    std::ios::sync_with_stdio(false);
    std::set_new_handler(nullptr);
    say("Unesize broj te zatim naziv knjige: ");

    double broj = 0.0; // input that ends before a number leaves it 0.
    std::string knjiga;
    make_room(knjiga, std::cin.rdbuf()->in_avail());
    // A failed read throws, rather than look like the end of input.
    // A stdio-backed std::cin sets stdin's error indicator instead.
    std::cin.exceptions(std::ios::badbit);
    try {
        std::cin >> broj;
        // libc++ before 19 reads nan as a number. It is taken as input
        // that is not a number, as the other libraries read it.
        if (std::isnan(broj)) {
            broj = 0.0;
            std::cin.setstate(std::ios::failbit);
        }
        std::cin.ignore(1, std::char_traits<char>::eof());
        std::getline(std::cin, knjiga);
    } catch (const std::bad_alloc&) {
        die("read", std::strerror(ENOMEM));
    } catch (const std::length_error&) { // a number longer than a string holds.
        die("read", std::strerror(EOVERFLOW));
    } catch (const std::ios::failure&) {
        die("read", read_failure());
    }
    if (std::ferror(stdin) != 0 || (std::cin.eof() && hung_up()))
        die("read", read_failure());
    // getline fails when the string fills before the line ends. Answering
    // with the part would cut the title.
    if (knjiga.size() == knjiga.max_size() && std::cin.fail())
        die("read", std::strerror(EOVERFLOW));
    give_back_input();

    // The limits are double variables. Where the compiler computes in more
    // precision (x87), a bare literal would be a long double. The same
    // number typed would then compare above it.
    constexpr double granica = 5.5;
    constexpr double gornja_granica = 9.9;
    if (broj <= granica)
        say(knjiga);
    else if (broj <= gornja_granica)
        say("Prevelik broj");
    else
        say("Puno prevelik broj");
    close_output();
}
