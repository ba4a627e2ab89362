// SPDX-License-Identifier: MIT
// knjiga: asks for a number and a book title, and answers with the title
// when the number is small enough, or with a complaint when it is not.

#include <algorithm>
#include <cerrno>
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

namespace {

// Ends the run with one line on standard error and a failure status:
// output that was lost or input that was cut short must not pass for success.
// It allocates nothing, since it also reports memory that ran out, and it
// leaves the streams alone: one may be half set up, or fail once more.
[[noreturn]] void die(const char* what, const char* reason)
{
    // Nothing more can be done should this line fail too.
    (void)std::fprintf(stderr, "knjiga: %s error: %s\n", what, reason);
    (void)std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

// Writes one line and flushes it at once, so that the user sees the prompt
// before typing, and a write that fails is noticed here rather than lost.
// Where std::cout writes through C's stdout (libc++, MinGW), a line-buffered
// stdout can fail the write at the line end and still report it done, so
// stdout's error indicator is asked as well as the stream.
void say(std::string_view line)
{
    if (!(std::cout << line << std::endl) || std::ferror(stdout) != 0)
        die("write", std::strerror(errno));
}

// Whether standard input is a regular file: the one kind of input that can
// be given back what was read ahead of the dialogue, and must be.
bool input_is_file()
{
#if __has_include(<unistd.h>)
    struct stat input { };
    return fstat(STDIN_FILENO, &input) == 0 && S_ISREG(input.st_mode);
#else
    return false;
#endif
}

// Gives back what stdin read ahead, where std::cin reads through stdin.
// Flushing stdin gives it back with glibc and musl, but not with the C
// library of the BSDs and macOS, which does nothing there (the C standard
// leaves it undefined), nor moves the offset back at exit. What every POSIX
// C library does is tell the stream's own position, and the file's offset
// is then set there. The flush still comes first: glibc moves the offset
// back at exit by what stdin holds unread, which must then be nothing; its
// flush ignores a failed seek (ESPIPE) and keeps it, which is a failure.
bool give_back_stdin()
{
#if __has_include(<unistd.h>)
    errno = 0;
    if (std::fflush(stdin) != 0 || errno == ESPIPE) // cppcheck-suppress fflushOnInputStream
        return false;
    const off_t here = ftello(stdin);
    return here != -1 && lseek(STDIN_FILENO, here, SEEK_SET) == here;
#else
    return false;
#endif
}

// Gives what was read ahead of the dialogue's last byte back to a file on
// standard input, so that the next command that reads the same open file
// starts there, as POSIX asks of a utility that stops before the end; a file
// left elsewhere is a read error, as the next reader would lose input or
// read it twice. libstdc++ holds the read-ahead in std::cin's own buffer,
// which gives it back by seeking to where the dialogue stopped. Other
// libraries read std::cin through stdin: their buffer cannot seek, and fails
// without a system call, so without an errno. From a pipe or a terminal
// nothing can be given back, and nothing is missed.
void give_back_input()
{
    const std::streampos failed(std::streamoff(-1));
    std::streambuf& input = *std::cin.rdbuf();
    errno = 0;
    const std::streampos here = input.pubseekoff(0, std::ios::cur, std::ios::in);
    if (here != failed ? input.pubseekpos(here, std::ios::in) == here
                       : errno == 0 && give_back_stdin())
        return;
    const int reason = errno != 0 ? errno : EIO;
    if (input_is_file())
        die("read", std::strerror(reason));
}

// Closes standard output, and says so if that fails: some file systems (NFS,
// disk quotas, FUSE) report a failed write only when the file is closed.
// Nothing may write or flush through std::cout once stdout is closed, not
// even the library at exit, so the stream lets go of its buffer first.
void close_output()
{
    std::cout.rdbuf(nullptr);
    if (std::fclose(stdout) != 0)
        die("write", std::strerror(errno));
}

// Whether standard input is a terminal that has hung up. Linux fails only a
// read that was already waiting at the hang-up; later reads find the end of
// the input, which must not pass for input typed to the end.
bool hung_up()
{
#if __has_include(<termios.h>)
    termios settings{};
    return tcgetattr(STDIN_FILENO, &settings) != 0 && errno == EIO;
#else
    return false; // no such terminal here
#endif
}

// Why reading standard input failed: errno, unless a number read up to the
// failure was out of range. Converting it then left ERANGE there, which no
// read sets, and the read's own reason is gone; reading again to learn it
// could wait for the user, so it is given as an input/output error, which a
// terminal that hung up (the usual cause) gives too.
const char* read_failure()
{
    if (errno == ERANGE)
        errno = EIO;
    return std::strerror(errno);
}

// Room for a title of up to `most` bytes, set aside at once: a long title
// would otherwise be copied each time it outgrows its room. Memory that is
// set aside but never filled costs nothing on most systems; when it cannot
// be had, the title grows as it comes. It is bounded, as a large file with
// a short first line would claim its whole size (committed memory, where
// the system does not overcommit), and some allocators end the program
// rather than refuse a request that large.
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
    // libstdc++ then reads std::cin through a buffer of its own instead of a
    // character at a time through stdin; other libraries keep reading stdin.
    // The buffers are allocated here, where memory can already run out, and
    // so early that no exception could be thrown for it: the handler says so.
    std::set_new_handler([] { die("start-up", std::strerror(ENOMEM)); });
    std::ios::sync_with_stdio(false);
    std::set_new_handler(nullptr);
    say("Unesize broj te zatim naziv knjige: ");

    double broj = 0.0; // input that ends before any number leaves it at zero
    std::string knjiga;
    // The title is no longer than the whole input, as far as the stream can
    // tell that without reading: the size of a file, what a pipe holds.
    make_room(knjiga, std::cin.rdbuf()->in_avail());
    // A read that fails, or memory that runs out while the input grows, is
    // thrown out of the read instead of leaving a stream that looks as if the
    // input had ended. A library that reads std::cin through stdin sets
    // stdin's error indicator instead.
    std::cin.exceptions(std::ios::badbit);
    try {
        std::cin >> broj;
        std::cin.ignore(1, std::char_traits<char>::eof());
        std::getline(std::cin, knjiga);
    } catch (const std::bad_alloc&) {
        die("read", std::strerror(ENOMEM));
    } catch (const std::length_error&) { // a number longer than a string holds
        die("read", std::strerror(EOVERFLOW));
    } catch (const std::ios::failure&) {
        die("read", read_failure());
    }
    if (std::ferror(stdin) != 0 || (std::cin.eof() && hung_up()))
        die("read", read_failure());
    // getline fails when the string fills before the line ends (1 GiB with
    // a 32-bit libstdc++): answering with the part would cut the title.
    if (knjiga.size() == knjiga.max_size() && std::cin.fail())
        die("read", std::strerror(EOVERFLOW));
    give_back_input();

    // The limits are doubles, and each comparison is made between doubles:
    // where the compiler computes in more precision (x87, FLT_EVAL_METHOD 2),
    // a bare 9.9 would stand for the long double nearest 9.9, which lies
    // below the double that typing 9.9 gives. A double variable holds a double.
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
