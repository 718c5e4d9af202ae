#pragma once
// The fuzz targets as plain functions: libFuzzer's entry points call them, and
// the normal test suite replays the kept inputs through them.

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Creates what the targets need once per process (the application object).
void setUp();

void srtReader(const uint8_t *data, size_t size);
void subReader(const uint8_t *data, size_t size);
void tags(const uint8_t *data, size_t size);
void strip(const uint8_t *data, size_t size);
void merge(const uint8_t *data, size_t size);

struct Target
{
    const char *name;
    void (*run)(const uint8_t *, size_t);
};
extern const Target targets[5];

} // namespace fuzz
