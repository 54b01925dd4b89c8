#include "test_support.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace mediatest {

ScratchFolder::ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/media test XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string PatternBytes(size_t count, unsigned seed) {
    std::string out(count, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = static_cast<char>((state >> 16) & 0xFF);
    }
    return out;
}

EdgeBuffer::EdgeBuffer(const std::string& text) {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t dataPages = (text.size() + page - 1) / page + 1;
    m_mapSize = (dataPages + 1) * page;
    void* map =
        mmap(nullptr, m_mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) {
        throw std::runtime_error("mmap failed");
    }
    m_map = static_cast<char*>(map);
    char* guard = m_map + dataPages * page;
    mprotect(guard, page, PROT_NONE);
    char* start = guard - text.size();
    std::memcpy(start, text.data(), text.size());
    m_data = start;
    m_size = static_cast<int>(text.size());
}

EdgeBuffer::~EdgeBuffer() {
    munmap(m_map, m_mapSize);
}

} // namespace mediatest
