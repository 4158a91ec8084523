// libFuzzer target: reading any bytes as a prepared-report file gives a report
// or an error, never a crash, hang or runaway allocation.

#include "preparedfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    const auto parsed = tarel::report::parsePrepared(bytes, QStringLiteral("fuzz.fp3"));
    if (parsed.ok()) {
        // What was read must write and read back to the same report.
        const QByteArray again = tarel::report::serializePrepared(*parsed);
        const auto reread = tarel::report::parsePrepared(again, QStringLiteral("again.fp3"));
        if (!reread.ok() || !(*reread == *parsed))
            __builtin_trap();
    } else if (!parsed.message().startsWith(QStringLiteral("Cannot read \"fuzz.fp3\": "))) {
        __builtin_trap();
    }
    return 0;
}
