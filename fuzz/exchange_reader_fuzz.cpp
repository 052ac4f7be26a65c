// Feeds arbitrary bytes to the exchange file reader: it must never crash or hang, and
// every value it reads must come back unchanged when written and read again.
#include "widgets/exchange_file.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the separator (any ASCII byte but those with a meaning of
    // their own), so the rest of the input meets many splitting rules.
    const char separator = static_cast<char>(data[0]);
    if (separator == '"' || separator == '\r' || separator == '\n' || separator == 11 || (separator & 0x80))
        return 0;
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ExchangeReader reader(&buffer, QChar::fromLatin1(separator));
    ExchangeLine values;
    while (reader.ReadLine(values)) {
        for (const auto &value : values) {
            if (!value)
                continue;
            const QByteArray encoded = EncodeExchangeValue(*value, QChar::fromLatin1(separator));
            const ExchangeLine back = SplitExchangeLine(encoded, separator);
            if (back.size() != 1 || !back[0] || *back[0] != *value)
                std::abort();
        }
    }
    return 0;
}
