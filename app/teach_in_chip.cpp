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
        programming.logPath = request.logPath;
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

    generator::EepromReadResult ReadEeprom(const TeachInRequest &request,
                                           generator::ProgrammingHost &host,
                                           platform::Cancellation &cancellation) override
    {
        generator::EepromReadRequest read;
        read.settings = request.settings;
        read.logPath = request.logPath;
        return generator::ReadChipEeprom(read, host, &cancellation);
    }
};

} // namespace

std::unique_ptr<TeachInChip> AvrdudeTeachInChip()
{
    return std::make_unique<AvrdudeChip>();
}

} // namespace app
