#include "ide/asm/disassembly_source.h"

#include "ide/main/simulator_binding.h"

std::int32_t TBoundInstructionSource::RomSize()
{
    // Nothing to list without a bound library.
    return DllMCEntries.Get_ROM_Size && DllMCEntries.RomToParCommand && DllMCEntries.GetInstruction
            && DllMCEntries.Get_parGOTOaddr
        ? DllMCEntries.Get_ROM_Size()
        : 0;
}

QString TBoundInstructionSource::Instruction(std::int32_t address)
{
    DllMCEntries.RomToParCommand(address);
    TShortString text;
    DllMCEntries.GetInstruction(&text);
    return text.toQString();
}

std::int32_t TBoundInstructionSource::JumpTarget()
{
    return DllMCEntries.Get_parGOTOaddr();
}

TDisassemblyListing DisassembleProgram(TInstructionSource& source)
{
    TDisassemblyListing listing;
    const std::int32_t listed = source.RomSize() - 1;
    for (std::int32_t address = 0; address < listed; ++address) {
        const QString text = source.Instruction(address);
        const bool jump = text.startsWith(QLatin1String("GOTO")) || text.startsWith(QLatin1String("CALL"));
        const std::int32_t target = jump ? source.JumpTarget() : -1;
        if (!jump || target < 0 || target >= listed) {
            listing.lines << text;
            continue;
        }
        std::int32_t number = 0;
        for (const TArrayOfLinks& link : listing.tableofLinks) {
            if (link.lnkAddr == target) {
                number = link.lnkNo;
                break;
            }
        }
        if (number == 0) {
            number = std::int32_t(listing.tableofLinks.size()) + 1;
            listing.tableofLinks.push_back({number, target});
        }
        listing.lines << text.left(4) + QStringLiteral(" lbl") + QString::number(number);
    }
    for (const TArrayOfLinks& link : listing.tableofLinks)
        listing.lines[link.lnkAddr].prepend(QStringLiteral("lbl") + QString::number(link.lnkNo) + u':');
    while (!listing.lines.isEmpty() && listing.lines.last() == QLatin1String("NOP"))
        listing.lines.removeLast();
    return listing;
}
