#include "app/teach_in_chip.h"

#include "generator/end_stops.h"
#include "platform/environment.h"

#include <QDir>

namespace app {

namespace {

class AvrdudeChip : public TeachInChip {
public:
    generator::ProgrammingResult ProgramTeachIn(const TeachInRequest &request,
                                                generator::ProgrammingHost &host,
                                                platform::Cancellation &cancellation) override
    {
        return generator::ProgramTeachInFirmware(
            request.settings, QDir::toNativeSeparators(platform::TeachInFirmwarePath()),
            request.logPath, host, &cancellation);
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
