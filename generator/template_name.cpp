#include "generator/template_name.h"

namespace generator {

bool CheckTemplateName(const QString &fileName)
{
    const qsizetype asmPosition = fileName.indexOf(QLatin1String(".asm")) + 1;
    const qsizetype servoPosition = fileName.indexOf(QLatin1String("servo")) + 1;
    return asmPosition * servoPosition == 8;
}

QString TemplateMissingMessage()
{
    return QStringLiteral("Es wurde keine Quelltext-Datei gefunden...\r\n('servo??.asm')");
}

} // namespace generator
