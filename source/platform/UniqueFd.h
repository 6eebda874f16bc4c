#pragma once

#include <cerrno>
#include <utility>

#include <unistd.h>

namespace tb {

// The one owner of a file descriptor (a socket, a lock file, a file being written): closed when
// the owner goes, moved but never copied. -1 owns nothing. Closing keeps errno, so a caller that
// gives up after a failed call can drop the descriptor first and still report that call's cause.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd)
    {
    }
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(other.release())
    {
    }
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    // The descriptor, or -1; it stays owned here.
    int get() const { return fd_; }
    // Whether a descriptor is held.
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it; nothing is held afterwards.
    int release() { return std::exchange(fd_, -1); }
    // Closes the descriptor held, if any, and holds `fd` instead; errno is left as it was.
    void reset(int fd = -1)
    {
        const int old = std::exchange(fd_, fd);
        if (old >= 0) {
            const int saved = errno;
            ::close(old);
            errno = saved;
        }
    }
    // Closes the descriptor now and tells how that went, for a file whose last write may only
    // fail here: 0, or -1 with errno set. Nothing is held afterwards.
    int close()
    {
        const int old = release();
        return old >= 0 ? ::close(old) : 0;
    }

private:
    int fd_ = -1;
};

} // namespace tb
