// SPDX-License-Identifier: MIT
// knjiga: asks for a number and a book title, and answers with the title
// when the number is small enough, or with a complaint when it is not.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ios>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

namespace {

// Ends the run with one line on standard error and a failure status:
// output that was lost or input that was cut short must not pass for success.
// It allocates nothing, since it also reports memory that ran out.
[[noreturn]] void die(const char* what, const char* reason)
{
    std::fprintf(stderr, "knjiga: %s error: %s\n", what, reason);
    std::exit(EXIT_FAILURE);
}

// Writes one line and flushes it at once, so that the user sees the prompt
// before typing, and a write that fails is noticed here rather than lost.
void say(std::string_view line)
{
    if (!(std::cout << line << std::endl))
        die("write", std::strerror(errno));
}

// Why reading standard input failed: errno, unless a number read up to the
// failure was out of range and converting it left ERANGE there, which no read
// sets. Then the read is made once more to learn why it fails.
const char* read_failure()
{
    if (errno == ERANGE) {
        std::clearerr(stdin);
        errno = EIO; // should the read now go through after all
        std::getc(stdin);
    }
    return std::strerror(errno);
}

} // namespace

int main()
{
    say("Unesize broj te zatim naziv knjige: ");

    double broj = 0.0; // input that ends before any number leaves it at zero
    std::string knjiga;
    // Memory that runs out while the input grows is thrown out of the read,
    // instead of leaving a stream that looks as if the input had ended.
    std::cin.exceptions(std::ios::badbit);
    try {
        std::cin >> broj;
        std::cin.ignore(1, std::char_traits<char>::eof());
        std::getline(std::cin, knjiga);
    } catch (const std::bad_alloc&) {
        die("read", std::strerror(ENOMEM));
    }
    // Synchronised with C stdio (the default), std::cin reads through stdin,
    // so on every library a failed read sets stdin's error indicator.
    if (std::ferror(stdin))
        die("read", read_failure());

    if (broj <= 5.5)
        say(knjiga);
    else if (broj <= 9.9)
        say("Prevelik broj");
    else
        say("Puno prevelik broj");
}
