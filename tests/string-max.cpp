// SPDX-License-Identifier: MIT
// Says the length of the longest std::string that the C++ library holds,
// built as the program is: the tests run it to know the longest title.
#include <cstdio>
#include <string>

int main() { std::printf("%zu\n", std::string().max_size()); }
