// Shared helpers of the engine tests: record builders and small file helpers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <tarvellkit/tarvellkit.h>
#include <vector>

namespace tarvell::test {

// Owns the texts that library-style records point to.
class TextPool {
public:
    // A heap copy of text, or null for null.
    char* operator()(const char* text);

private:
    std::deque<std::string> m_Texts;
};

// Reads a whole file; empty when missing.
QByteArray ReadAll(const QString& path);
// Writes bytes to path (creating folders); false on failure.
bool WriteAll(const QString& path, const QByteArray& bytes);

// Fixed-size field setter that always terminates.
template <size_t N> void SetText(char (&field)[N], const char* text) {
    size_t i = 0;
    for (; text[i] != '\0' && i + 1 < N; ++i) {
        field[i] = text[i];
    }
    field[i] = '\0';
}

// Links records of one kind into a list through their next pointers.
template <typename Record> Record* Link(std::vector<Record>& records) {
    for (size_t i = 0; i + 1 < records.size(); ++i) {
        records[i].next = &records[i + 1];
    }
    if (!records.empty()) {
        records.back().next = nullptr;
    }
    return records.empty() ? nullptr : &records.front();
}

// A library-style grouping: groups of links to records.
template <typename Group> class Grouping {
public:
    // Adds a group holding the given records (null entries become links
    // without a record).
    void add(const std::vector<void*>& records) {
        auto& links = m_Links.emplace_back();
        links.resize(records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            links[i].record = records[i];
            links[i].next = (i + 1 < records.size()) ? &links[i + 1] : nullptr;
        }
        Group g{};
        g.firstMember = links.empty() ? nullptr : &links.front();
        m_Groups.push_back(g);
    }
    Group* head() {
        for (size_t i = 0; i < m_Groups.size(); ++i) {
            m_Groups[i].next = (i + 1 < m_Groups.size()) ? &m_Groups[i + 1] : nullptr;
        }
        return m_Groups.empty() ? nullptr : &m_Groups.front();
    }

private:
    std::deque<std::vector<TempGroupMember>> m_Links;
    std::deque<Group> m_Groups;
};

} // namespace tarvell::test
