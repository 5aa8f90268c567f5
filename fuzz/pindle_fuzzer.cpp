// The fuzzer's bytes are what the user types into pindle.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "choice_loop.hpp"
#include "limited_output.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::stringbuf input(std::string(reinterpret_cast<const char*>(data), size));
    LimitedOutput output;
    static_cast<void>(pindle::run_choice_loop(input, output));
    return 0;
}
