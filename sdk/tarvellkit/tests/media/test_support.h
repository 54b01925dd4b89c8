// Small helpers of the media tests: scratch folders, files, patterned bytes
// and a buffer that ends at an unreadable page.
#pragma once

#include "../common/test_files.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace mediatest {

using testfiles::Hex;
using testfiles::ReadFile;
using testfiles::RunAndWait;

// A fresh folder (its name holds a blank) removed with everything in it when
// the object goes.
class ScratchFolder {
public:
    ScratchFolder() {
        m_path = std::filesystem::temp_directory_path().string() + "/media test XXXXXX";
        if (mkdtemp(m_path.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool FileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Deterministic bytes of every value 0-255.
inline std::string PatternBytes(size_t count, unsigned seed) {
    std::string out(count, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& c : out) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>((state >> 16) & 0xFF);
    }
    return out;
}

// Holds text so that its last byte is the last readable byte before an
// unmapped page: reading one byte past it faults.
class EdgeBuffer {
public:
    explicit EdgeBuffer(const std::string& text) {
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
        m_data = guard - text.size();
        std::memcpy(m_data, text.data(), text.size());
        m_size = static_cast<int>(text.size());
    }
    ~EdgeBuffer() { munmap(m_map, m_mapSize); }
    EdgeBuffer(const EdgeBuffer&) = delete;
    EdgeBuffer& operator=(const EdgeBuffer&) = delete;
    const char* data() const { return m_data; }
    int size() const { return m_size; }

private:
    char* m_map = nullptr;
    size_t m_mapSize = 0;
    char* m_data = nullptr;
    int m_size = 0;
};

} // namespace mediatest
