// The fuzzer's bytes are what the user types into pindle.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "choice_loop.hpp"
#include "memory_streams.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pindle::MemorySource input(std::string_view(reinterpret_cast<const char*>(data), size));
    pindle::LimitedSink output(std::size_t{4} * 1024 * 1024);
    static_cast<void>(pindle::run_choice_loop(input, output));
    return 0;
}
