// Memory of one record store: records and their exactly-sized strings are
// carved out of large heap blocks and all freed together when the store is
// refilled. A flush of 50 000 messages makes about half a million strings;
// one malloc each would cost more time than decoding them and 16 bytes of
// heap bookkeeping apiece.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

class StoreArena {
public:
    StoreArena() = default;
    StoreArena(const StoreArena&) = delete;
    StoreArena& operator=(const StoreArena&) = delete;
    ~StoreArena() { Clear(); }

    // Where the next allocation would start; Rollback() returns to it.
    struct Mark {
        void* block;
        size_t used;
    };

    // bytes of memory aligned for a pointer, or null when the heap is full.
    void* Allocate(size_t bytes) {
        bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
        if (m_current != nullptr && m_current->size - m_current->used >= bytes) {
            void* p = Data(m_current) + m_current->used;
            m_current->used += bytes;
            return p;
        }
        if (bytes > kBlockSize / 4) {
            // A large piece gets a block of its own, behind the current one.
            Block* own = NewBlock(bytes);
            if (own == nullptr) {
                return nullptr;
            }
            own->used = bytes;
            if (m_current != nullptr) {
                own->next = m_current->next;
                m_current->next = own;
            } else {
                own->next = m_blocks;
                m_blocks = own;
            }
            return Data(own);
        }
        Block* block = NewBlock(kBlockSize);
        if (block == nullptr) {
            return nullptr;
        }
        block->next = m_blocks;
        m_blocks = block;
        m_current = block;
        block->used = bytes;
        return Data(block);
    }

    // A NUL-terminated copy of text[0, length).
    char* Copy(const char* text, size_t length) {
        auto* copy = static_cast<char*>(Allocate(length + 1));
        if (copy != nullptr) {
            std::memcpy(copy, text, length);
            copy[length] = '\0';
        }
        return copy;
    }

    Mark GetMark() const { return {m_current, m_current != nullptr ? m_current->used : 0}; }

    // Gives back what was allocated since mark, when it all lies in the same
    // block (else it stays allocated until Clear).
    void Rollback(const Mark& mark) {
        if (m_current != nullptr && m_current == mark.block) {
            m_current->used = mark.used;
        }
    }

    void Clear() {
        while (m_blocks != nullptr) {
            Block* next = m_blocks->next;
            std::free(m_blocks);
            m_blocks = next;
        }
        m_current = nullptr;
    }

private:
    static constexpr size_t kAlign = alignof(void*) > 8 ? alignof(void*) : 8;
    static constexpr size_t kBlockSize = 256 * 1024;

    struct Block {
        Block* next;
        size_t used;
        size_t size;
        size_t pad; // keeps the data after the header aligned
    };

    static char* Data(Block* block) { return reinterpret_cast<char*>(block + 1); }

    static Block* NewBlock(size_t size) {
        auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
        if (block != nullptr) {
            block->next = nullptr;
            block->used = 0;
            block->size = size;
        }
        return block;
    }

    Block* m_blocks = nullptr;
    Block* m_current = nullptr;
};
