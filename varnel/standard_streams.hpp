// Standard input and output as stream buffers over their file descriptors.
// The console does its own output buffering, so output is written through
// at once, and the reason for a failed write is kept for the error message.
#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

namespace varnel {

class FileDescriptorInput : public std::streambuf {
public:
    explicit FileDescriptorInput(int descriptor) noexcept : descriptor_(descriptor) {}

protected:
    int_type underflow() override;

private:
    int descriptor_;
    std::array<char, std::size_t{64} * 1024> buffer_{};
};

class FileDescriptorOutput : public std::streambuf {
public:
    explicit FileDescriptorOutput(int descriptor) noexcept;

    // The errno of the first failed write, or 0.
    [[nodiscard]] int error_number() const noexcept { return error_number_; }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type byte) override;

private:
    int descriptor_;
    int error_number_ = 0;
};

}  // namespace varnel
