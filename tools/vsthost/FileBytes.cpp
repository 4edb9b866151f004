#include "FileBytes.h"

#include <fstream>

namespace vsthost {

bool readFileBytes(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string& error)
{
    bytes.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    char block[4096];
    while (file.read(block, sizeof(block)) || file.gcount() > 0) {
        bytes.insert(bytes.end(), block, block + file.gcount());
        if (bytes.size() > maxBytes) {
            error = path + " is too large";
            bytes.clear();
            return false;
        }
    }
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace vsthost
