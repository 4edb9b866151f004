#pragma once
// Whole files as bytes (chunk files).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vsthost {

bool readFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string& error);
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

} // namespace vsthost
