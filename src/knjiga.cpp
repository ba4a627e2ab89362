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
[[noreturn]] void die(const char* what, const std::string& reason)
{
    std::fprintf(stderr, "knjiga: %s error: %s\n", what, reason.c_str());
    std::exit(EXIT_FAILURE);
}

// Writes one line and flushes it at once, so that the user sees the prompt
// before typing, and a write that fails is noticed here rather than lost.
void say(std::string_view line)
{
    if (!(std::cout << line << std::endl))
        die("write", std::strerror(errno));
}

} // namespace

int main()
{
    // The streams keep buffers of their own instead of going through C stdio:
    // a failed read then marks the stream bad instead of passing for the end
    // of the input, and a long title is read a buffer at a time.
    std::ios::sync_with_stdio(false);

    say("Unesize broj te zatim naziv knjige: ");

    double broj = 0.0; // input that ends before any number leaves it at zero
    std::string knjiga;
    // End of input and text that is not a number only leave the stream failed,
    // and are answered as usual; a read error or exhausted memory is thrown.
    std::cin.exceptions(std::ios::badbit);
    try {
        std::cin >> broj;
        std::cin.ignore(1, std::char_traits<char>::eof());
        std::getline(std::cin, knjiga);
    } catch (const std::ios_base::failure& e) {
        die("read", e.code().message());
    } catch (const std::bad_alloc&) {
        die("read", std::strerror(ENOMEM));
    }

    if (broj <= 5.5)
        say(knjiga);
    else if (broj <= 9.9)
        say("Prevelik broj");
    else
        say("Puno prevelik broj");
}
