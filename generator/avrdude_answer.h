#pragma once
// Reading what avrdude answers: why a call failed, the chip's signature and
// how far a call has come. Pure functions over avrdude's output (the texts
// of 7.1 and of 8.x, standard output and standard error together). The
// words only explain: whether a call succeeded is decided from its exit code
// and the files it wrote.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace generator {

/// Why an avrdude call that did not end with 0 failed, read from its output.
enum class AvrdudeFault {
    ProgrammerUnknown, ///< avrdude does not know the programmer id (-c)
    PortUnavailable,   ///< the port (-P) cannot be opened: missing, taken, no right
    NoAnswer,          ///< the programmer is not found or does not answer (in sync)
    ChipNotAnswering,  ///< the programmer answers, the chip does not (signature 0 or FF)
    WrongChip,         ///< the signature is another chip's
    VerifyMismatch,    ///< what was read back differs from what was written
    Other,             ///< anything else: avrdude's messages say what
};

/// The fault behind a failed call's `output`. A verify failure wins over
/// the missing answers of a flaky line before it, a programmer that does not
/// answer over the failed initialization that follows, and a chip that does
/// not answer over the "expected signature" that follows it.
AvrdudeFault ReadAvrdudeFault(const QByteArray &output);

/// The last signature avrdude printed ("device signature = 0x1e9006" of 7.1,
/// "Device signature = 1E 90 06" of 8.x) as "1E 90 06"; nullopt when the
/// output shows none (8.x prints it only for a chip it refuses).
std::optional<QString> DeviceSignature(const QByteArray &output);

/// Signature bytes as DeviceSignature writes them: "1E 90 06".
QString SignatureText(const QByteArray &bytes);

/// The ATtiny15's signature as DeviceSignature writes it: "1E 90 06".
QString Attiny15Signature();

/// The stages of one programming, in their order.
enum class ProgrammingStage {
    ReadingChip, ///< signature and calibration byte
    Erasing,     ///< the chip erase
    WritingFlash,
    VerifyingFlash,
    WritingEeprom, ///< the calibration byte
    VerifyingEeprom,
};

/// How far the programming has come: the stage and its progress bar.
struct ProgrammingProgress {
    ProgrammingStage stage = ProgrammingStage::ReadingChip;
    /// 0..100 within the stage (avrdude's bar: one "#" per 2 %).
    int percent = 0;
    friend bool operator==(const ProgrammingProgress &, const ProgrammingProgress &) = default;
};

/// The stage in German, for the window and the terminal: "Flash schreiben".
QString StageText(ProgrammingStage stage);

/// Follows avrdude's output as it arrives, in pieces of any size: its
/// lines name the stage ("erasing chip", "writing 504 bytes flash",
/// "Writing 504 bytes to flash", ...) and its bars ("Writing | ####") the
/// percentage; 8.x names neither the erase nor the verify, which its
/// "Reading | " bar after a write is. The pieces of all calls of a
/// programming go through one reader.
class ProgressReader {
public:
    /// Takes the next piece; true when the progress changed.
    bool Take(const QByteArray &piece);
    ProgrammingProgress Progress() const { return m_progress; }
    /// Called before the next avrdude call's output.
    void NewCall();
    /// True when in this call the programmer stopped answering after the
    /// chip had answered: a "not responding" line after a line or a bar
    /// that only an answering chip gives (a signature, a memory read, a
    /// stage). avrdude 7.1 then goes on byte after byte, waiting for every
    /// answer in vain, for many minutes.
    bool ProgrammerLost() const { return m_programmerLost; }

private:
    void TakeLine(const QByteArray &line);
    void StartBar(bool reading);

    ProgrammingProgress m_progress;
    QByteArray m_line;
    bool m_inBar = false;
    bool m_chipAnswered = false;
    bool m_programmerLost = false;
};

} // namespace generator
