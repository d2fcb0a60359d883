// Reads spreadsheet files through the spreadsheet layer as the catalogue import does, one after the
// other, for the fuzz test: read_probe <list file> [first line]
//
// The list file names one file per line. For each file the probe prints "start <n>", opens it,
// reads every cell of every sheet, and prints "done <n> <peak resident KB> <cells read, -1 when the
// layer refused the file>"; a refused file counts as done. The address space is limited to 512 MB (not under AddressSanitizer,
// which reserves far more for itself); when memory runs out the probe prints "limit <n>" and ends
// with code 3. A crash or a hang is seen by the caller as a missing "done". With TAVRIN_PROBE_VERBOSE
// set, the message of each refused file goes to standard error.

#include "sheet/Registry.h"
#include "sheet/SheetError.h"
#include "sheet/Spreadsheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif
#else
constexpr bool kLimitAddressSpace = true;
#endif

int current = 0;

void outOfMemory()
{
    char line[64];
    const int n = std::snprintf(line, sizeof line, "limit %d\n", current);
    if (n > 0 && ::write(STDOUT_FILENO, line, size_t(n)) < 0)
        _exit(4);
    _exit(3);
}

// The probe's own peak (VmHWM): the resource usage's maximum would also count what the process
// that started the probe held when it forked.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long readAll(const QString &path)
{
    auto app = sheet::createApplication(QStringLiteral("Excel.Application"));
    if (!app)
        return -1;
    long cells = -1;
    try {
        app->Workbooks().open(path);
        const int sheets = app->WorkSheets().Count();
        for (int s = 1; s <= sheets; ++s) {
            const sheet::Worksheet ws = app->WorkSheets(s);
            const int rows = ws.UsedRange().Rows().Count();
            const int columns = ws.UsedRange().Columns().Count();
            cells = qMax(cells, 0L);
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= columns; ++c) {
                    (void)ws.Cells(r, c).Value().toText();
                    ++cells;
                }
        }
    } catch (const sheet::SheetError &error) {
        // refused: what the import shows the clerk
        if (qEnvironmentVariableIsSet("TAVRIN_PROBE_VERBOSE"))
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
    } catch (const std::bad_alloc &) {
        outOfMemory();
    }
    try {
        app->Quit();
    } catch (const std::exception &) {
    }
    return cells;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: read_probe <list file> [first line]\n");
        return 2;
    }
    if (kLimitAddressSpace) {
        const rlim_t limit = 512ull * 1024 * 1024;
        rlimit as{limit, limit};
        setrlimit(RLIMIT_AS, &as);
    }
    std::set_new_handler(outOfMemory);

    QFile list(QString::fromLocal8Bit(argv[1]));
    if (!list.open(QIODevice::ReadOnly))
        return 2;
    const QStringList files = QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int first = argc > 2 ? QByteArray(argv[2]).toInt() : 0;
    for (current = first; current < files.size(); ++current) {
        std::printf("start %d\n", current);
        std::fflush(stdout);
        const long cells = readAll(files.at(current));
        std::printf("done %d %ld %ld\n", current, peakKb(), cells);
        std::fflush(stdout);
    }
    return 0;
}
