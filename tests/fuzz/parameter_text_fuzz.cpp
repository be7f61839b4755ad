// The field reader on any text: no crash, no undefined behaviour, and a
// value it accepts comes back unchanged from the text of its tenfold (the
// reader divides by 10).

#include "generator/parameter_text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<qint32> value = generator::ParseParameterText(text);
    if (value && generator::ParseParameterText(QString::number(qint64(*value) * 10)) != value)
        std::abort();
    return 0;
}
