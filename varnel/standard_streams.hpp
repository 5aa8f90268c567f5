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

// On Windows, switches a console on standard output to the code page the
// texts are written in (CONSOLE_CODE_PAGE) for as long as it lives, then
// puts the console's own back. Elsewhere, and for output that is no console,
// it does nothing.
class ConsoleCodePage {
public:
    ConsoleCodePage() noexcept;
    ~ConsoleCodePage();
    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;
    ConsoleCodePage(ConsoleCodePage&&) = delete;
    ConsoleCodePage& operator=(ConsoleCodePage&&) = delete;

#ifdef _WIN32
private:
    unsigned previous_ = 0;
#endif
};

}  // namespace varnel
