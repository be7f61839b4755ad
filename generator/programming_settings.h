#pragma once
// The programming's settings file "pulsakor-avrdude.ini", pulsakor's own
// beside "pulsakor.ini" (whose five lines stay as they are). One
// "key=value" line each, UTF-8, CR LF:
//
//   avrdude=            the avrdude program; empty: the one that comes with
//                       the platform
//   programmer=usbasp   avrdude's -c
//   anschluss=usb       avrdude's -P; empty: avrdude's default
//   baudrate=           avrdude's -b; empty: the programmer's default
//   kalibrierbyte=0     the calibration byte's EEPROM address 0..63, or
//                       "keine"
//   nach-erzeugen=0     1: each generation run programs the chip after a
//                       successful HEX check
//
// A reader takes what it understands: unknown keys, lines without "=" and
// values it cannot use are skipped, and the default stays for them. Values
// are read trimmed, as the dialog saves them.

#include "generator/avrdude_command.h"

#include <QByteArray>
#include <QLatin1String>
#include <QString>

namespace generator {

/// The file name inside the settings folder.
inline constexpr QLatin1String kProgrammingSettingsFileName{"pulsakor-avrdude.ini"};

/// What the settings file keeps.
struct ProgrammingChoices {
    /// avrdudePath empty: the platform's default avrdude.
    ProgrammingSettings settings;
    /// Program the chip after each successful generation run.
    bool afterEachRun = false;
    friend bool operator==(const ProgrammingChoices &, const ProgrammingChoices &) = default;
};

/// The file's bytes for `choices`: six lines in the order above.
QByteArray ProgrammingSettingsText(const ProgrammingChoices &choices);

/// The choices in `bytes`, the defaults where a line is missing or unusable.
ProgrammingChoices ReadProgrammingSettingsText(const QByteArray &bytes);

/// Replaces the file in `settingsFolder` (ending with a separator, created
/// when missing) in one step. False with a German `error` naming the file.
bool SaveProgrammingSettings(const QString &settingsFolder, const ProgrammingChoices &choices,
                             QString *error = nullptr);

/// The choices in the file in `settingsFolder`; the defaults when there is
/// none or it cannot be read.
ProgrammingChoices LoadProgrammingSettings(const QString &settingsFolder);

} // namespace generator
