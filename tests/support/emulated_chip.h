#pragma once
// The state file of the emulated programmer (tests/tools/fake_programmer.cpp):
// the ATtiny15 behind it, as one file of 1091 bytes that the programmer
// rewrites (beside, then renamed over) after every change, so a reader never
// sees half of one:
//
//   offset    0  flash, 1024 bytes (byte address order: low byte of word 0 first)
//   offset 1024  EEPROM, 64 bytes
//   offset 1088  fuse byte
//   offset 1089  lock byte
//   offset 1090  calibration byte (what the chip's instruction 0x38 reads)
//
// An erased chip holds 0xFF in flash, EEPROM and lock byte. The fuse byte of
// a new chip is 0xDC: brown-out detection off (BODLEVEL 1, BODEN 1), serial
// programming on (SPIEN 0), reset pin kept (RSTDISBL 1), the start-up time
// CKSEL 00, and the two unused bits 3 and 2 as 1, as the write instruction
// sets them.
//
// Plain C++ above the reader, so the programmer itself shares the layout.

#include <array>
#include <cstddef>
#include <cstdint>

namespace emulatedchip {

constexpr std::size_t kFlashSize = 1024;
constexpr std::size_t kEepromSize = 64;
constexpr std::size_t kFuseOffset = kFlashSize + kEepromSize;
constexpr std::size_t kLockOffset = kFuseOffset + 1;
constexpr std::size_t kCalibrationOffset = kLockOffset + 1;
constexpr std::size_t kStateSize = kCalibrationOffset + 1;

constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kNewFuse = 0xDC;
constexpr std::uint8_t kNewLock = 0xFF;
constexpr std::uint8_t kNewCalibration = 0x5A;

/// The ATtiny15's signature, as avrdude's part "t15" expects it.
constexpr std::array<std::uint8_t, 3> kAttiny15Signature = {0x1E, 0x90, 0x06};

} // namespace emulatedchip

#ifdef QT_CORE_LIB
#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace emulatedchip {

/// What the state file holds, for the tests.
struct State {
    QByteArray flash;  // 1024 bytes
    QByteArray eeprom; // 64 bytes
    quint8 fuse = kNewFuse;
    quint8 lock = kNewLock;
    quint8 calibration = kNewCalibration;
};

/// The chip in the state file at `path`; nothing when it cannot be read or
/// is not 1091 bytes long.
inline std::optional<State> ReadState(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != qsizetype(kStateSize))
        return std::nullopt;
    State state;
    state.flash = bytes.left(kFlashSize);
    state.eeprom = bytes.mid(kFlashSize, kEepromSize);
    state.fuse = quint8(bytes.at(kFuseOffset));
    state.lock = quint8(bytes.at(kLockOffset));
    state.calibration = quint8(bytes.at(kCalibrationOffset));
    return state;
}

/// The bytes of a state file holding `state` (flash and EEPROM padded with
/// 0xFF or cut to their sizes), for a test that starts from a given chip.
inline QByteArray StateBytes(const State &state)
{
    QByteArray bytes = state.flash.left(kFlashSize);
    bytes.append(QByteArray(qsizetype(kFlashSize) - bytes.size(), char(kErased)));
    const QByteArray eeprom = state.eeprom.left(kEepromSize);
    bytes.append(eeprom);
    bytes.append(QByteArray(qsizetype(kEepromSize) - eeprom.size(), char(kErased)));
    bytes.append(char(state.fuse));
    bytes.append(char(state.lock));
    bytes.append(char(state.calibration));
    return bytes;
}

} // namespace emulatedchip
#endif
