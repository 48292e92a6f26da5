#pragma once

#include <cstdio>

// The platform's stdio lock and its character read that skips the lock:
// inline lockStream, unlockStream and readCharLocked from the header that
// platform/CMakeLists.txt chooses. A function call per character would make
// text images decode about 45 % slower.
#include QLX_STREAM_LOCK_HEADER

// Holds a stream's lock so that single characters can be read with
// readCharLocked without taking it again for each one. The lock is
// recursive, so nesting is fine.
class StreamLock {
public:
    explicit StreamLock(std::FILE* stream) : stream_(stream) { lockStream(stream_); }
    ~StreamLock() { unlockStream(stream_); }
    StreamLock(const StreamLock&) = delete;
    StreamLock& operator=(const StreamLock&) = delete;

private:
    std::FILE* stream_;
};
