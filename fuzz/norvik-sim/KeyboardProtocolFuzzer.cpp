// Feeds the simulated keyboard arbitrary host traffic: whatever arrives, it must
// neither crash nor send on closed ports nor open two sets of ports at once.

#include "Engine/DeviceProtocol.h"
#include "FirmwareImage.h"
#include "KeyboardProtocol.h"

#include <cstdlib>

namespace {

using namespace NorvikSim;

class CheckingLink : public IKeyboardLink
{
public:
    void OpenPorts(PortSet) override
    {
        if (mOpen)
            std::abort();
        mOpen = true;
    }
    void ClosePorts() override { mOpen = false; }
    void Send(std::span<const std::uint8_t> message) override
    {
        if (!mOpen || message.empty())
            std::abort();
    }
    void Report(const KeyboardEvent&) override {}

private:
    bool mOpen = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    if (input.size() < 2)
        return 0;

    // The image parsers take the input as file text.
    Bytes parsed;
    std::vector<RecordSpan> records;
    std::string error;
    if (ParseImageText(std::string_view(reinterpret_cast<const char*>(data), size), parsed, error))
        SplitRecords(parsed, records, error);

    KeyboardSettings settings;
    const std::uint8_t flags = input[0];
    settings.faults.duplicateAcks = flags & 0x01;
    settings.faults.realtimeNoise = flags & 0x02;
    settings.faults.cancelAtRecord = (flags >> 2) & 0x03;
    settings.faults.vanishAtRecord = (flags >> 4) & 0x03;
    if (flags & 0x40)
        settings.faults.ackFaults[1] = {AckFault::Kind::AfterFirstChunk};
    if (flags & 0x80)
        settings.expectedImage = Bytes{0x00, 0x02, 0xAA, 0xBB, 0x00, 0x00};
    input = input.subspan(1);

    Millis now{0};
    CheckingLink link;
    KeyboardProtocol keyboard(settings, link, [&now] { return now; });
    keyboard.PowerOn();
    keyboard.Receive(DeviceProtocol::EnterUpdateModeMessage);
    keyboard.PowerCycle();
    now += settings.offTime;
    keyboard.Poll();

    // Then a sequence of operations: a length byte (0xFF: let 1 s pass, 0xFE: power
    // cycle) followed by that many message bytes.
    while (!input.empty())
    {
        const std::uint8_t length = input[0];
        input = input.subspan(1);
        if (length == 0xFF)
        {
            now += Millis{1000};
            keyboard.Poll();
            continue;
        }
        if (length == 0xFE)
        {
            keyboard.PowerCycle();
            continue;
        }
        const std::size_t taken = std::min<std::size_t>(length, input.size());
        keyboard.Receive(input.first(taken));
        input = input.subspan(taken);
        now += Millis{5};
        keyboard.Poll();
    }
    now += Millis{60000};
    keyboard.Poll();
    return 0;
}
