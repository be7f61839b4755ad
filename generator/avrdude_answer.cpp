#include "generator/avrdude_answer.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace generator {

namespace {

// avrdude's words for each fault, lower case, those of 7.1 and of 8.x
// ("avrdude error: ..." / "Error: ..."). The wording also changes in case
// only ("Expected signature" / "expected signature").
struct FaultWords {
    AvrdudeFault fault;
    std::initializer_list<const char *> words;
};

// The first entry whose words the output holds wins, so the order matters.
const std::array<FaultWords, 8> kFaultWords = {{
    {AvrdudeFault::ProgrammerUnknown, {"cannot find programmer id"}},
    // A port that does not open is also followed by "unable to open
    // programmer" (7.1) or "unable to open port ... for programmer" (8.x),
    // which both also end a programmer that does not answer.
    {AvrdudeFault::PortUnavailable, {"cannot open port", "can't open device"}},
    // Read back wrong: a line that dropped a few answers before still
    // verified the bytes, so the mismatch is what the user must know.
    {AvrdudeFault::VerifyMismatch, {"verification mismatch", "verification error"}},
    // A programmer that does not answer also fails the chip's
    // initialization afterwards, and a write it broke off: the programmer
    // is the one to check.
    {AvrdudeFault::NoAnswer, {"not responding", "not in sync"}},
    // A signature of 00 00 00 or FF FF FF is what a programmer reads where
    // no chip answers ("Invalid device signature", followed by the expected
    // signature as for a wrong chip); "initialization failed" is a chip
    // that does not enter programming mode.
    {AvrdudeFault::ChipNotAnswering, {"invalid device signature", "initialization failed"}},
    {AvrdudeFault::WrongChip, {"expected signature for"}},
    // 8.x stops a write when a byte does not read back as written
    // ("*** failed", "unable to write flash"); 7.1 goes on to the verify.
    {AvrdudeFault::VerifyMismatch, {"unable to write flash", "unable to write eeprom"}},
    {AvrdudeFault::NoAnswer,
     {"unable to open programmer", "unable to open port", "cannot find usb",
      "did not find any usb device"}},
}};

// One mark of avrdude's bar: 2 %.
constexpr char kBarMark = '#';

// The prefix of 7.1's lines, which 8.x no longer prints.
constexpr const char *kLinePrefix = "avrdude: ";

// Lines that show the chip answered in this call: 7.1 names the signature
// (or the initialization), 8.x only goes on to the memories ("Processing
// -U ...", "Reading signature memory ...").
constexpr std::array<const char *, 4> kAnsweredWords = {"device signature = ", "device initialized",
                                                        "processing -u", " memory ..."};

constexpr const char *kLostWords = "not responding";

// The stage a line of avrdude's begins, from the line in lower case without
// 7.1's prefix. 7.1: "erasing chip", "writing 504 bytes flash ...",
// "verifying flash memory against flash.hex"; 8.x erases without a word and
// writes "Writing 504 bytes to flash". A memory read into a file
// ("writing output file eeprom.bin") is no write to the chip.
std::optional<ProgrammingStage> StageOfLine(const QByteArray &text)
{
    if (text.startsWith("erasing chip"))
        return ProgrammingStage::Erasing;
    const bool writing = text.startsWith("writing ") && !text.contains("output file");
    if (writing && text.contains(" flash"))
        return ProgrammingStage::WritingFlash;
    if (writing && text.contains(" eeprom"))
        return ProgrammingStage::WritingEeprom;
    if (text.startsWith("verifying flash"))
        return ProgrammingStage::VerifyingFlash;
    if (text.startsWith("verifying eeprom"))
        return ProgrammingStage::VerifyingEeprom;
    return std::nullopt;
}

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
    // 7.1: "device signature = 0x1e9006", 8.x: "Device signature = 1E 90 06".
    static const QRegularExpression signature(
        QStringLiteral("device signature = (?:0x([0-9a-f]{6})|([0-9a-f]{2} [0-9a-f]{2} "
                       "[0-9a-f]{2}))"),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator matches = signature.globalMatch(QString::fromLatin1(output));
    std::optional<QString> last;
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        // fromHex() skips the blanks of 8.x's form.
        last =
            SignatureText(QByteArray::fromHex((match.captured(1) + match.captured(2)).toLatin1()));
    }
    return last;
}

QString SignatureText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
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
        return QStringLiteral("EEPROM schreiben");
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
        if (m_line.endsWith(" | ")) {
            const bool reading = m_line.startsWith("Reading");
            if (reading || m_line.startsWith("Writing"))
                StartBar(reading);
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

void ProgressReader::StartBar(bool reading)
{
    m_inBar = true;
    m_chipAnswered = true;
    m_line.clear();
    // 8.x names no verify: the bar that reads back after a write is it.
    if (reading && m_progress.stage == ProgrammingStage::WritingFlash)
        m_progress.stage = ProgrammingStage::VerifyingFlash;
    else if (reading && m_progress.stage == ProgrammingStage::WritingEeprom)
        m_progress.stage = ProgrammingStage::VerifyingEeprom;
    m_progress.percent = 0;
}

void ProgressReader::TakeLine(const QByteArray &line)
{
    QByteArray text = line.toLower();
    if (text.startsWith(kLinePrefix))
        text.remove(0, qsizetype(qstrlen(kLinePrefix)));
    if (m_chipAnswered && text.contains(kLostWords))
        m_programmerLost = true;
    if (std::any_of(kAnsweredWords.cbegin(), kAnsweredWords.cend(),
                    [&](const char *words) { return text.contains(words); }))
        m_chipAnswered = true;
    const std::optional<ProgrammingStage> stage = StageOfLine(text);
    if (!stage)
        return;
    m_chipAnswered = true;
    // Stages only go forward: 7.1's second call reads the signature again
    // before it erases.
    if (*stage > m_progress.stage)
        m_progress = {*stage, 0};
}

} // namespace generator
