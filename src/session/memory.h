#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of memory a new allocation can take without pushing other programs
// out: the system's estimate of available memory, within the control
// group's limit when there is one. 0 when it cannot be told.
uint64_t availableMemory();
