// An output descriptor of the WebAssembly build: the number alone, which
// the host writes to.
#pragma once

#include <cstddef>

namespace varnel {

class OutputDescriptor {
public:
    // Nothing to ready: the host takes what it is given.
    explicit OutputDescriptor(int number) noexcept : number_(number) {}

    [[nodiscard]] int number() const noexcept { return number_; }

    // One write: the count of bytes taken, or -1 with errno set.
    long write_some(const char* bytes, std::size_t count) const noexcept;

private:
    int number_;
};

}  // namespace varnel
