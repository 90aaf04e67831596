#pragma once

#include <cstddef>

namespace Descriptors
{
// Writes every byte to the open file descriptor, going on after interrupted writes; false when a
// write fails.
bool writeAll (int descriptor, const void* data, size_t numBytes);
} // namespace Descriptors
