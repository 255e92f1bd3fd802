// libFuzzer target for the workbook reader as the register check and refresh use it. An input
// that starts with the reader's output marker "DXW1" is taken as what the reading process
// hands over; any other input is a workbook file, read through the reading process. Whatever
// the bytes, the reader gives a workbook or refuses with WorkbookError.
#include "admin/Workbook.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace {

QString scratchPath()
{
    // The reader takes a path; a file in memory-backed /dev/shm keeps the runs quick.
    const QString folder =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return folder + QStringLiteral("/dispora_fuzz_%1.xls").arg(::getpid());
}

void readEverything(admin::Workbook& book)
{
    for (int sheet = 0; sheet < std::min(book.sheetCount(), 4); ++sheet) {
        try {
            book.selectSheet(sheet);
        } catch (const admin::WorkbookError&) {
            continue;
        }
        if (book.lastUsedRow() < 0 || book.lastUsedRow() > admin::Workbook::kMaxRows)
            __builtin_trap();
        for (int row = 0; row <= std::min(book.lastUsedRow(), 200) + 1; ++row) {
            for (int column = 0; column <= 8; ++column) {
                (void)book.cellText(row, column);
                (void)book.cellDateTime(row, column);
            }
        }
    }
}

} // namespace

// Sanitizer builds: FreeXL 1.0.6 reads past its own buffers on some damaged strings (through
// iconv) and leaks the cells of sheets with contradicting size records; those reports are the
// library's. They happen in the reading process, which this process survives.
extern "C" const char* __asan_default_suppressions()
{
    return "interceptor_via_lib:libfreexl.so\n";
}
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfreexl.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        if (bytes.startsWith("DXW1")) {
            admin::Workbook book = admin::Workbook::fromReaderOutput(bytes);
            readEverything(book);
            return 0;
        }
        static const QString path = scratchPath();
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return 0;
            file.write(bytes);
        }
        admin::Workbook book(path);
        readEverything(book);
    } catch (const admin::WorkbookError&) {
    }
    return 0;
}
