#include "platform/linux/WorkingSet.h"

#include "platform/HeapTuning.h"
#include "platform/SafeFile.h"
#include "platform/linux/SystemError.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

#include <cerrno>
#include <charconv>

#include <sys/mman.h>
#include <unistd.h>

#ifndef MADV_PAGEOUT
#define MADV_PAGEOUT 21 // Linux 5.4; older C library headers lack the name
#endif

Q_LOGGING_CATEGORY(lcMemory, "thermobadge.memory", QtWarningMsg)

namespace tb {

namespace {

std::size_t residentBytes()
{
    // statm: total size and resident size, in pages.
    const QByteArray statm = readNamedFile(QStringLiteral("/proc/self/statm"), 256).bytes;
    const qsizetype space = statm.indexOf(' ');
    std::size_t pages = 0;
    if (space >= 0)
        std::from_chars(statm.constData() + space + 1, statm.constData() + statm.size(), pages);
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

bool parseHex(std::string_view text, std::size_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

// The next space-separated field of `line`, which loses it.
std::string_view nextField(std::string_view& line)
{
    const auto begin = line.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(begin);
    const auto end = std::min(line.find(' '), line.size());
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end);
    return field;
}

} // namespace

std::vector<MappedRange> idleFileRanges(std::string_view maps)
{
    std::vector<MappedRange> ranges;
    while (!maps.empty()) {
        const auto newline = std::min(maps.find('\n'), maps.size());
        std::string_view line = maps.substr(0, newline);
        maps.remove_prefix(std::min(newline + 1, maps.size()));

        // address perms offset device inode path
        const std::string_view addresses = nextField(line);
        const std::string_view perms = nextField(line);
        nextField(line); // offset
        nextField(line); // device
        nextField(line); // inode
        const auto pathStart = line.find_first_not_of(' ');
        const std::string_view path = pathStart == std::string_view::npos ? std::string_view() : line.substr(pathStart);

        const auto dash = addresses.find('-');
        std::size_t start = 0;
        std::size_t end = 0;
        if (dash == std::string_view::npos || !parseHex(addresses.substr(0, dash), start) ||
            !parseHex(addresses.substr(dash + 1), end) || end <= start || perms.size() != 4)
            continue;
        const bool readable = perms[0] == 'r' || perms[2] == 'x';
        const bool writable = perms[1] == 'w';
        const bool fileBacked = path.starts_with('/') && !path.starts_with("/dev/") && !path.ends_with(" (deleted)");
        if (!readable || writable || !fileBacked)
            continue;
        ranges.push_back({start, end - start});
    }
    return ranges;
}

WorkingSetTrim trimWorkingSet()
{
    static bool unsupported = false;
    QElapsedTimer took;
    took.start();
    WorkingSetTrim trim;
    trim.residentBefore = residentBytes();
    giveBackFreeHeap();
    if (!unsupported) {
        const QByteArray maps = readNamedFile(QStringLiteral("/proc/self/maps"), 8 * 1024 * 1024).bytes;
        std::size_t refused = 0;
        for (const MappedRange& range : idleFileRanges(std::string_view(maps.constData(), static_cast<std::size_t>(maps.size())))) {
            // A failure (a mapping gone meanwhile, a locked one) leaves that range as it is. A
            // range that another thread mapped anew since the list was read is safe to ask too:
            // a page-out writes back or keeps, it never drops what a page holds.
            if (::madvise(reinterpret_cast<void*>(range.start), range.length, MADV_PAGEOUT) == 0)
                ++trim.ranges;
            else if (errno == EINVAL)
                ++refused;
        }
        trim.supported = trim.ranges > 0 || refused == 0;
        if (!trim.supported) {
            // A kernel before 5.4 does not know the request: said once, never asked again.
            unsupported = true;
            qCInfo(lcMemory).noquote() << "this kernel cannot give back unused program pages:" << errnoText(EINVAL);
        }
    }
    trim.residentAfter = residentBytes();
    qCInfo(lcMemory).noquote() << QStringLiteral("at rest: gave back %1 KiB of pages not in use (resident %2 KiB -> %3 KiB, %4 ms)")
                                      .arg(trim.residentBefore > trim.residentAfter ? (trim.residentBefore - trim.residentAfter) / 1024 : 0)
                                      .arg(trim.residentBefore / 1024)
                                      .arg(trim.residentAfter / 1024)
                                      .arg(took.elapsed());
    return trim;
}

} // namespace tb
