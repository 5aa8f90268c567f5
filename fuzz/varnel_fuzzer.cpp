// The fuzzer's bytes are what the user types into varnel.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "main_menu.hpp"
#include "memory_streams.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::MemorySource input(std::string_view(reinterpret_cast<const char*>(data), size));
    // A few megabytes, as a full disk would: a drawing of any side then ends
    // soon, by the program's own path for lost output.
    varnel::LimitedSink output(std::size_t{4} * 1024 * 1024);
    // As at a terminal 200 columns wide: small triangles are placed cell by
    // cell, larger ones drawn plain.
    static_cast<void>(varnel::run_dialogue(input, output, varnel::Terminal::of_width(200)));
    return 0;
}
