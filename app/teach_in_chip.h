#pragma once

#include "app/teach_in_controller.h"

#include <memory>

namespace app {

/// The chip reached through avrdude with the core's programming and EEPROM
/// read; the teach-in firmware is the one that comes with the program.
std::unique_ptr<TeachInChip> AvrdudeTeachInChip();

} // namespace app
