// Fuzz target of book files: the reader never fails on any bytes, and every
// book the writer agrees to write, whether read from a file or made in the
// program, reads back as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/TQFuzzBook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    TBook book;
    if (!tqfuzzbook::BookOfInput(input, book))
        return 0;
    const std::string fault = tqfuzzbook::RoundTripFault(book);
    if (!fault.empty()) {
        std::fprintf(stderr, "book round trip: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
