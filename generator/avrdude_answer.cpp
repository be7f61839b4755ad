#include "generator/avrdude_answer.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace generator {

namespace {

// avrdude's words for each fault, lower case. Its wording changes between
// versions in case only ("Expected signature" / "expected signature").
struct FaultWords {
    AvrdudeFault fault;
    std::initializer_list<const char *> words;
};

const std::array<FaultWords, 7> kFaultWords = {{
    {AvrdudeFault::ProgrammerUnknown, {"cannot find programmer id"}},
    // A programmer that does not answer also fails the chip's
    // initialization afterwards: the programmer is the one to check.
    {AvrdudeFault::NoAnswer, {"not responding", "not in sync", "timeout"}},
    // A signature of 00 00 00 or FF FF FF is what a programmer reads where
    // no chip answers ("Yikes!  Invalid device signature", followed by the
    // expected signature as for a wrong chip); "initialization failed" is a
    // chip that does not enter programming mode.
    {AvrdudeFault::ChipNotAnswering, {"invalid device signature", "initialization failed"}},
    {AvrdudeFault::WrongChip, {"expected signature for"}},
    {AvrdudeFault::VerifyMismatch, {"verification error", "mismatch"}},
    // Before the programmer that is not found: a port that does not open is
    // also followed by "unable to open programmer".
    {AvrdudeFault::PortUnavailable, {"cannot open port", "can't open device"}},
    {AvrdudeFault::NoAnswer,
     {"unable to open programmer", "cannot find usb", "did not find any usb device"}},
}};

// One mark of avrdude's bar: 2 %.
constexpr char kBarMark = '#';

struct StageWords {
    const char *first;
    const char *second;
    ProgrammingStage stage;
};

// avrdude's lines that begin a stage hold both words, lower case:
// "avrdude: writing 504 bytes flash ...", "avrdude: verifying eeprom
// memory against eeprom.hex" (7.1); "writing flash (504 bytes):" before.
constexpr std::array<StageWords, 5> kStageWords = {{
    {"erasing chip", "", ProgrammingStage::Erasing},
    {"avrdude: writing ", " flash", ProgrammingStage::WritingFlash},
    {"avrdude: verifying flash", "", ProgrammingStage::VerifyingFlash},
    {"avrdude: writing ", " eeprom", ProgrammingStage::WritingEeprom},
    {"avrdude: verifying eeprom", "", ProgrammingStage::VerifyingEeprom},
}};

constexpr const char *kSignatureWords = "device signature = ";
constexpr const char *kLostWords = "not responding";

} // namespace

AvrdudeFault ReadAvrdudeFault(const QByteArray &output)
{
    const QByteArray text = output.toLower();
    for (const FaultWords &entry : kFaultWords) {
        for (const char *words : entry.words) {
            if (text.contains(words))
                return entry.fault;
        }
    }
    return AvrdudeFault::Other;
}

std::optional<QString> DeviceSignature(const QByteArray &output)
{
    static const QRegularExpression signature(QStringLiteral("device signature = 0x([0-9a-f]{6})"),
                                              QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator matches = signature.globalMatch(QString::fromLatin1(output));
    std::optional<QString> last;
    while (matches.hasNext()) {
        const QString digits = matches.next().captured(1).toUpper();
        last = QStringLiteral("%1 %2 %3").arg(digits.mid(0, 2), digits.mid(2, 2), digits.mid(4, 2));
    }
    return last;
}

QString Attiny15Signature()
{
    return QStringLiteral("1E 90 06");
}

QString StageText(ProgrammingStage stage)
{
    switch (stage) {
    case ProgrammingStage::ReadingChip:
        return QStringLiteral("Signatur und Kalibrierbyte lesen");
    case ProgrammingStage::Erasing:
        return QStringLiteral("Chip löschen");
    case ProgrammingStage::WritingFlash:
        return QStringLiteral("Flash schreiben");
    case ProgrammingStage::VerifyingFlash:
        return QStringLiteral("Flash prüfen");
    case ProgrammingStage::WritingEeprom:
        return QStringLiteral("Kalibrierbyte ins EEPROM schreiben");
    case ProgrammingStage::VerifyingEeprom:
        return QStringLiteral("EEPROM prüfen");
    }
    return {};
}

bool ProgressReader::Take(const QByteArray &piece)
{
    const ProgrammingProgress before = m_progress;
    for (const char c : piece) {
        if (m_inBar) {
            if (c == kBarMark) {
                m_progress.percent = std::min(m_progress.percent + 2, 100);
                continue;
            }
            if (c == ' ')
                continue;
            // " | 100% 0.12s" closes a full bar; anything else (an error
            // message) breaks it off where it stands.
            m_inBar = false;
            if (c == '|') {
                m_progress.percent = 100;
                continue;
            }
        }
        if (c == '\n' || c == '\r') {
            TakeLine(m_line);
            m_line.clear();
            continue;
        }
        // A line longer than any of avrdude's is not one to read.
        if (m_line.size() < 200)
            m_line += c;
        // The bar's head "Writing | " or "Reading | " stands without a line
        // end until the bar is full.
        if (m_line.endsWith(" | ")
            && (m_line.startsWith("Writing") || m_line.startsWith("Reading"))) {
            m_inBar = true;
            m_progress.percent = 0;
            m_line.clear();
        }
    }
    return !(m_progress == before);
}

void ProgressReader::NewCall()
{
    m_chipAnswered = false;
    m_line.clear();
    m_inBar = false;
}

void ProgressReader::TakeLine(const QByteArray &line)
{
    const QByteArray text = line.toLower();
    if (text.contains(kSignatureWords))
        m_chipAnswered = true;
    else if (m_chipAnswered && text.contains(kLostWords))
        m_programmerLost = true;
    for (const StageWords &entry : kStageWords) {
        // Stages only go forward: the second call reads the signature
        // again before it erases.
        if (text.contains(entry.first) && text.contains(entry.second)
            && entry.stage > m_progress.stage) {
            m_progress = {entry.stage, 0};
            return;
        }
    }
}

} // namespace generator
