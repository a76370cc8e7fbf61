#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

// One JSON object per request, one line each, appended and flushed before the
// reply leaves, so a test that holds the reply can already read its line:
// {"seq":N,"conn":C,"code":"0x<CODE>","in":"<hex>","outSize":N,"status":0}
class Journal
{
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Without a path the journal stays closed and records nothing.
    bool open(const std::string &path);
    void record(std::uint32_t connection, std::uint32_t code, std::span<const std::uint8_t> in,
                std::uint32_t outSize, std::uint32_t status);

private:
    std::FILE *file = nullptr;
    std::uint64_t sequence = 0;
};
