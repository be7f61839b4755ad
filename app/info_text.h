#pragma once

#include <QString>

namespace app {

/// InfoText: the nine lines of help that Text2 shows after start-up, joined
/// by CR LF, without a line end after the last one.
QString BuildInfoText();

} // namespace app
