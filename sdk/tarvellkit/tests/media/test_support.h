// Small helpers of the media tests: scratch folders, files, hex texts and a
// buffer that ends at an unreadable page.
#pragma once

#include "../common/test_files.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mediatest {

// A fresh folder (its name holds a blank) removed with everything in it when
// the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Deterministic bytes of every value 0-255.
std::string PatternBytes(size_t count, unsigned seed);

// Shared with the other test folders.
using testfiles::Hex;
using testfiles::ReadFile;
using testfiles::RunAndWait;

// Holds text so that its last byte is the last readable byte before an
// unmapped page: reading one byte past it faults.
class EdgeBuffer {
public:
    explicit EdgeBuffer(const std::string& text);
    ~EdgeBuffer();
    EdgeBuffer(const EdgeBuffer&) = delete;
    EdgeBuffer& operator=(const EdgeBuffer&) = delete;
    const char* data() const { return m_data; }
    int size() const { return m_size; }

private:
    char* m_map = nullptr;
    size_t m_mapSize = 0;
    const char* m_data = nullptr;
    int m_size = 0;
};

} // namespace mediatest
