// The program's own byte streams: a source that fills a buffer it is given
// and a sink that takes a block. Whoever reads or writes keeps the buffer,
// so a stream is called once a block, never once a byte, and nothing here
// knows of locales or formatting. standard_streams.hpp has the ones over
// file descriptors, memory_streams.hpp the ones in memory.
#pragma once

#include <cstddef>

namespace varnel {

class ByteSource {
public:
    // Puts the next bytes into `buffer`, at most `room` of them, waiting for
    // them if need be: their count, or 0 once the input has ended. After
    // the first 0 every call answers 0.
    virtual std::size_t read(char* buffer, std::size_t room) = 0;

protected:
    ByteSource() = default;
    ByteSource(const ByteSource&) = default;
    ByteSource& operator=(const ByteSource&) = default;
    ByteSource(ByteSource&&) = default;
    ByteSource& operator=(ByteSource&&) = default;
    ~ByteSource() = default;
};

class ByteSink {
public:
    // Takes `count` bytes whole. False when they could not all be taken;
    // the sink then takes nothing more.
    virtual bool write(const char* bytes, std::size_t count) = 0;

protected:
    ByteSink() = default;
    ByteSink(const ByteSink&) = default;
    ByteSink& operator=(const ByteSink&) = default;
    ByteSink(ByteSink&&) = default;
    ByteSink& operator=(ByteSink&&) = default;
    ~ByteSink() = default;
};

}  // namespace varnel
