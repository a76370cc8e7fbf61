#include "device_journal.h"

#include "core/journal_line.h"

#include <string>

Journal::~Journal()
{
    if (file)
        std::fclose(file);
}

bool Journal::open(const std::string &path)
{
    file = std::fopen(path.c_str(), "ae");
    return file != nullptr;
}

void Journal::record(std::uint32_t connection, std::uint32_t code, std::span<const std::uint8_t> in,
                     std::uint32_t outSize, std::uint32_t status)
{
    if (!file)
        return;
    // The simulated Windows driver writes its lines with the same code.
    const auto inSize = std::uint32_t(in.size());
    std::string line(kv_journal_capacity(inSize), '\0');
    line.resize(kv_journal_line(line.data(), line.size(), ++sequence, connection, code, in.data(), inSize, outSize,
                                status));
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
}
