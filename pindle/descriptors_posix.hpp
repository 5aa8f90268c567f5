// An output descriptor on POSIX systems: the number alone.
#pragma once

#include <cstddef>

namespace pindle {

class OutputDescriptor {
public:
    // Readies the descriptor for writing: a pipe is made roomier where the
    // system lets it. Nothing here can fail; what it could not do stays
    // undone.
    explicit OutputDescriptor(int number) noexcept;

    [[nodiscard]] int number() const noexcept { return number_; }

    // One write: the count of bytes taken, or -1 with errno set.
    long write_some(const char* bytes, std::size_t count) const noexcept;

private:
    int number_;
};

}  // namespace pindle
