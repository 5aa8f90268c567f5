// Byte streams in memory, for running a dialogue on a given text: a source
// that hands out a text in pieces of a chosen size, a sink that keeps what
// it takes, and a sink that counts and drops, refusing past a limit as a
// full disk would.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "byte_streams.hpp"

namespace pindle {

class MemorySource final : public ByteSource {
public:
    // `piece`: the most one read hands out, as a terminal hands out a line.
    explicit MemorySource(std::string_view text, std::size_t piece = std::string_view::npos) noexcept
        : rest_(text), piece_(piece) {}

    std::size_t read(char* buffer, std::size_t room) override {
        const std::size_t count = std::min({room, piece_, rest_.size()});
        std::memcpy(buffer, rest_.data(), count);
        rest_.remove_prefix(count);
        return count;
    }

    // What no read has handed out yet.
    [[nodiscard]] std::string_view rest() const noexcept { return rest_; }

private:
    std::string_view rest_;
    std::size_t piece_;
};

class MemorySink final : public ByteSink {
public:
    bool write(const char* bytes, std::size_t count) override {
        text_.append(bytes, count);
        return true;
    }

    [[nodiscard]] const std::string& text() const noexcept { return text_; }

private:
    std::string text_;
};

class LimitedSink final : public ByteSink {
public:
    // A limit of 0 takes nothing at all.
    explicit LimitedSink(std::size_t limit) noexcept : limit_(limit) {}

    bool write(const char* /*bytes*/, std::size_t count) override {
        if (refused_ || count > limit_ - taken_) {
            refused_ = true;
            return false;
        }
        taken_ += count;
        return true;
    }

    [[nodiscard]] std::size_t taken() const noexcept { return taken_; }

private:
    std::size_t limit_;
    std::size_t taken_ = 0;
    bool refused_ = false;
};

}  // namespace pindle
