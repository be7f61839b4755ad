#include "app/teach_in_chip.h"

#include "platform/environment.h"

namespace app {

namespace {

class AvrdudeChip : public TeachInChip {
public:
    generator::ProgrammingResult ProgramTeachIn(const TeachInRequest &request,
                                                generator::ProgrammingHost &host,
                                                platform::Cancellation &cancellation) override
    {
        generator::ProgrammingRequest programming;
        programming.settings = request.settings;
        programming.hexPath = platform::TeachInFirmwarePath();
        if (programming.hexPath.isEmpty()) {
            generator::ProgrammingResult missing;
            missing.outcome = generator::ProgrammingOutcome::FileFailed;
            missing.message = QStringLiteral(
                "Die Einlern-Firmware 'einlernen.hex' fehlt: Sie gehört neben das Programm "
                "oder nach share/pulsakor/examples. Bitte das Programm neu installieren.");
            return missing;
        }
        return generator::ProgramChip(programming, host, &cancellation);
    }

    ChipEepromRead ReadEeprom(const TeachInRequest &, generator::ProgrammingHost &,
                              platform::Cancellation &) override
    {
        return {false, QStringLiteral("Das EEPROM des Chips kann noch nicht gelesen werden."),
                QByteArray()};
    }
};

} // namespace

std::unique_ptr<TeachInChip> AvrdudeTeachInChip()
{
    return std::make_unique<AvrdudeChip>();
}

} // namespace app
