// Whole-file reads and writes that never leave a half-written file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes `size` bytes to a new temporary file in the target's folder, flushes and syncs
// it, then renames it over `path`; the old file is never removed first. On failure the
// temporary file is removed, `path` is left as it was, `error` gets the reason (with the
// system's error text) and false is returned.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* error);

// Reads the whole of a regular file of at most `maxBytes` bytes into `out`. On failure
// `out` is emptied, `error` gets the reason and false is returned.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* out, std::string* error,
                   std::size_t maxBytes);
