#include "platform/linux/WorkingSet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <numeric>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace tb;

TEST(WorkingSet, AsksOnlyReadOnlyMappingsOfRealFiles)
{
    const std::string maps =
        "55d0c0a00000-55d0c0a10000 r--p 00000000 fe:01 123 /usr/bin/ThermoBadge\n"
        "55d0c0a10000-55d0c0a30000 r-xp 00010000 fe:01 123 /usr/bin/ThermoBadge\n"
        "55d0c0a30000-55d0c0a31000 rw-p 00030000 fe:01 123 /usr/bin/ThermoBadge\n"
        "55d0c1000000-55d0c1200000 rw-p 00000000 00:00 0                          [heap]\n"
        "7f0000000000-7f0000100000 r--s 00000000 fe:01 77 /var/cache/fontconfig/abc-le64.cache-8\n"
        "7f0000100000-7f0000110000 ---p 00000000 fe:01 88 /usr/lib/libQt6Gui.so.6\n"
        "7f0000110000-7f0000120000 r--p 00000000 00:01 99 /memfd:xorg (deleted)\n"
        "7f0000120000-7f0000130000 r--s 00000000 00:05 12 /dev/dri/card0\n"
        "7f0000130000-7f0000140000 rw-s 00000000 00:01 13 /SYSV00000000 (deleted)\n"
        "7f0000140000-7f0000150000 r-xp 00000000 00:00 0\n"
        "not a mapping line\n"
        "7f0000160000-7f0000150000 r--p 00000000 fe:01 5 /backwards\n"
        "7f0000170000-7f0000180000 --xp 00000000 fe:01 6 /usr/lib/with space/lib.so"; // no newline at the end
    const std::vector<MappedRange> ranges = idleFileRanges(maps);
    const std::vector<std::pair<std::size_t, std::size_t>> expected {
        {0x55d0c0a00000, 0x10000}, {0x55d0c0a10000, 0x20000}, {0x7f0000000000, 0x100000}, {0x7f0000170000, 0x10000}};
    ASSERT_EQ(ranges.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ranges[i].start, expected[i].first) << i;
        EXPECT_EQ(ranges[i].length, expected[i].second) << i;
    }
}

namespace {
std::size_t residentFileKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    std::size_t value = 0;
    while (status >> key) {
        if (key == "RssFile:" && status >> value)
            return value;
    }
    return 0;
}
} // namespace

// A file mapped and read in full is resident; a trim gives its pages back, and reading it again
// gives the same bytes.
TEST(WorkingSet, GivesBackTheFilePagesAProcessReadAndKeepsTheirContent)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/working-set-XXXXXX")); // on disk, not in memory
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pages"));
    constexpr std::size_t size = 16 * 1024 * 1024;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray block(64 * 1024, '\0');
        for (std::size_t at = 0; at < size; at += block.size()) {
            for (int i = 0; i < block.size(); i += 4096)
                block[i] = static_cast<char>((at + i) / 4096 % 251);
            ASSERT_EQ(file.write(block), block.size());
        }
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    auto* pages = static_cast<const unsigned char*>(::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
    ::close(fd);
    ASSERT_NE(pages, MAP_FAILED);
    const auto sum = [&] {
        std::size_t total = 0;
        for (std::size_t at = 0; at < size; at += 4096)
            total += pages[at] * (at / 4096 + 1);
        return total;
    };
    const std::size_t before = sum();
    const std::size_t residentRead = residentFileKiB();

    const WorkingSetTrim trim = trimWorkingSet();
    ASSERT_TRUE(trim.supported) << "this kernel has no MADV_PAGEOUT";
    EXPECT_GT(trim.ranges, 0U);
    EXPECT_LT(trim.residentAfter + 12 * 1024 * 1024, trim.residentBefore);
    EXPECT_LT(residentFileKiB() + 12 * 1024, residentRead) << "the file's 16 MiB left the working set";
    EXPECT_EQ(sum(), before) << "pages read back hold what they held";
    ::munmap(const_cast<unsigned char*>(pages), size);
}
