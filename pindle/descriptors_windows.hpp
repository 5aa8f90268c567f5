// An output descriptor on Windows, with the console it may be: a console
// is written in UTF-16, so a character cut short by the end of one write
// waits here for its rest.
#pragma once

#include <array>
#include <cstddef>

namespace pindle {

class OutputDescriptor {
public:
    // Finds whether the descriptor is a console. Nothing here can fail; a
    // descriptor that is no console is written as a file.
    explicit OutputDescriptor(int number) noexcept;

    [[nodiscard]] int number() const noexcept { return number_; }

    // One write: the count of bytes taken, or -1 with errno set.
    long write_some(const char* bytes, std::size_t count) noexcept;

private:
    // Writes to the console, converted, in pieces.
    long write_to_console(const char* bytes, std::size_t count) noexcept;

    int number_;
    // The console's handle, or null.
    void* console_ = nullptr;
    std::array<char, 4> split_character_{};
    std::size_t split_count_ = 0;
};

}  // namespace pindle
