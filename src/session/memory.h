#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes of memory a new allocation can take without pushing other programs
// out: the system's estimate of available memory, within the control
// group's limit when there is one. 0 when it cannot be told.
uint64_t availableMemory();

// Makes room for `count` values in `values` (which must be empty) without
// touching it: the system takes memory only as the values are written.
// Long arrays are asked for in huge pages, so writing them costs one page
// fault per 2 MiB instead of one per 4 KiB.
void reserveLarge(std::vector<float> &values, size_t count);
