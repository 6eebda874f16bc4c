#include "platform/UniqueFd.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

using namespace tb;

namespace {
bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}
} // namespace

// The callers drop a socket after a failed call and then report errno, and hand sockets from a
// local owner to a member: each step must close exactly once and keep the failure's cause.
TEST(UniqueFd, ClosesOnceKeepsErrnoAndMovesOwnership)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const int readEnd = ends[0];
    {
        UniqueFd first(readEnd);
        UniqueFd second(std::move(first));
        EXPECT_FALSE(first.valid());
        EXPECT_EQ(second.get(), readEnd);
        UniqueFd third;
        third = std::move(second);
        EXPECT_TRUE(isOpen(readEnd)) << "a move closes nothing";
    }
    EXPECT_FALSE(isOpen(readEnd)) << "the last owner closed it";

    UniqueFd writeEnd(ends[1]);
    errno = ECONNREFUSED;
    writeEnd.reset();
    EXPECT_EQ(errno, ECONNREFUSED) << "closing keeps the cause of the failure before it";
    EXPECT_FALSE(isOpen(ends[1]));
    EXPECT_EQ(writeEnd.close(), 0) << "nothing held: nothing to close";

    UniqueFd released(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int kept = released.release();
    EXPECT_TRUE(isOpen(kept)) << "released, not closed";
    EXPECT_EQ(UniqueFd(kept).close(), 0);
    EXPECT_FALSE(isOpen(kept));
}
