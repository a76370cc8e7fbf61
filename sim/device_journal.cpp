#include "device_journal.h"

#include "bytes_text.h"

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
    ++sequence;
    const std::string hex = toHex(in);
    std::fprintf(file, "{\"seq\":%llu,\"conn\":%u,\"code\":\"0x%08X\",\"in\":\"%s\",\"outSize\":%u,\"status\":%u}\n",
                 static_cast<unsigned long long>(sequence), unsigned(connection), unsigned(code), hex.c_str(),
                 unsigned(outSize), unsigned(status));
    std::fflush(file);
}
