#pragma once
// The fuzz targets as plain functions: libFuzzer's entry points call them, and
// the normal test suite replays the kept inputs through them. They run on the
// core (and the container target on the media layer) and abort when an
// invariant breaks.

#include <cstddef>
#include <cstdint>

namespace fuzz {

void srtReader(const uint8_t *data, size_t size);
void subReader(const uint8_t *data, size_t size);
void tags(const uint8_t *data, size_t size);
void strip(const uint8_t *data, size_t size);
void merge(const uint8_t *data, size_t size);
// Small Matroska and MP4 files: their tracks listed and read.
void container(const uint8_t *data, size_t size);

struct Target
{
    const char *name;
    void (*run)(const uint8_t *, size_t);
};
extern const Target targets[6];

} // namespace fuzz
