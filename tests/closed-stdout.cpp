// SPDX-License-Identifier: MIT
// Preloaded into the program (LD_PRELOAD), this reports each stdio call on
// stdout made after stdout's fclose, which the C standard leaves undefined.
// The call is not passed on. Each report, and the close itself, is one line
// on standard error, so that a run shows what reached the closed stream.
// <cstdio> is not included: it declares some of these functions noexcept,
// and the definitions below would then not match.
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

struct _IO_FILE;
using FILE = _IO_FILE;
extern "C" FILE* stdout;

namespace {
FILE* closed = nullptr; // stdout, once it is closed

void say(const char* what)
{
    const char* parts[] = {"closed-stdout: ", what, "\n"};
    for (const char* part : parts)
        if (write(STDERR_FILENO, part, std::strlen(part)) < 0)
            return;
}

// Whether STREAM is the closed stdout; if so, CALL is reported.
bool after_close(FILE* stream, const char* call)
{
    if (closed == nullptr || stream != closed)
        return false;
    char line[80] = {};
    std::strncat(line, call, 40);
    std::strncat(line, " on stdout after its close", 39);
    say(line);
    return true;
}

template <class Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int fclose(FILE* stream)
{
    const auto real = next<int (*)(FILE*)>("fclose");
    if (after_close(stream, "fclose"))
        return -1;
    const bool output = stream == stdout;
    const int result = real(stream);
    if (output) {
        closed = stream;
        say("stdout closed");
    }
    return result;
}

// CALL(NAME, RESULT, FAILED, PARAMETERS, ARGUMENTS, STREAM): a stdio
// function that reports a call on the closed stdout, and fails it.
#define CALL(name, result, failed, parameters, arguments, stream)                                  \
    extern "C" result name parameters                                                              \
    {                                                                                              \
        const auto real = next<result(*) parameters>(#name);                                       \
        if (after_close(stream, #name))                                                            \
            return failed;                                                                         \
        return real arguments;                                                                     \
    }
CALL(fflush, int, -1, (FILE * s), (s), s)
CALL(fflush_unlocked, int, -1, (FILE * s), (s), s)
CALL(fwrite, size_t, 0, (const void* p, size_t n, size_t m, FILE* s), (p, n, m, s), s)
CALL(fwrite_unlocked, size_t, 0, (const void* p, size_t n, size_t m, FILE* s), (p, n, m, s), s)
CALL(fputs, int, -1, (const char* t, FILE* s), (t, s), s)
CALL(fputs_unlocked, int, -1, (const char* t, FILE* s), (t, s), s)
CALL(fputc, int, -1, (int c, FILE* s), (c, s), s)
CALL(fputc_unlocked, int, -1, (int c, FILE* s), (c, s), s)
CALL(putc, int, -1, (int c, FILE* s), (c, s), s)
CALL(putc_unlocked, int, -1, (int c, FILE* s), (c, s), s)
CALL(__overflow, int, -1, (FILE * s, int c), (s, c), s)
CALL(fputwc, unsigned, ~0U, (wchar_t c, FILE* s), (c, s), s)
CALL(putwc, unsigned, ~0U, (wchar_t c, FILE* s), (c, s), s)
CALL(fputws, int, -1, (const wchar_t* t, FILE* s), (t, s), s)
CALL(vfprintf, int, -1, (FILE * s, const char* f, va_list a), (s, f, a), s)
CALL(__vfprintf_chk, int, -1, (FILE * s, int l, const char* f, va_list a), (s, l, f, a), s)
CALL(fwide, int, 0, (FILE * s, int m), (s, m), s)
CALL(setvbuf, int, -1, (FILE * s, char* b, int m, size_t n), (s, b, m, n), s)
CALL(fseek, int, -1, (FILE * s, long o, int w), (s, o, w), s)
CALL(fseeko, int, -1, (FILE * s, off_t o, int w), (s, o, w), s)
CALL(fseeko64, int, -1, (FILE * s, off64_t o, int w), (s, o, w), s)
CALL(ftell, long, -1, (FILE * s), (s), s)
CALL(ftello, off_t, -1, (FILE * s), (s), s)
CALL(ftello64, off64_t, -1, (FILE * s), (s), s)
CALL(ferror, int, 0, (FILE * s), (s), s)
CALL(fileno, int, -1, (FILE * s), (s), s)

extern "C" void clearerr(FILE* stream)
{
    const auto real = next<void (*)(FILE*)>("clearerr");
    if (!after_close(stream, "clearerr"))
        real(stream);
}

extern "C" int fprintf(FILE* stream, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int result = vfprintf(stream, format, arguments);
    va_end(arguments);
    return result;
}

extern "C" int __fprintf_chk(FILE* stream, int level, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int result = __vfprintf_chk(stream, level, format, arguments);
    va_end(arguments);
    return result;
}
