// Values read from the registry and kept while it stays as it was: a value
// read under one generation (win32::RegistryGeneration) is served again
// until any process changes the registry or another machine root is named.
#pragma once

#include "win32/Registry.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace win32 {

template <typename Value>
class RegistryKept {
public:
    // The value kept for `key` under the current generation, or read(key)'s.
    template <typename Read>
    Value Get(const std::u16string& key, Read read)
    {
        // Taken before the read: should the registry change during it, the
        // next call sees the newer generation and reads again.
        const std::uint64_t generation = RegistryGeneration();
        {
            std::lock_guard lock(m_mutex);
            if (generation > m_generation) {
                m_values.clear();
                m_generation = generation;
            }
            if (generation == m_generation) {
                if (auto it = m_values.find(key); it != m_values.end())
                    return it->second;
            }
        }
        Value value = read(key);
        std::lock_guard lock(m_mutex);
        if (generation == m_generation)
            m_values.emplace(key, value);
        return value;
    }

private:
    std::mutex m_mutex;
    std::uint64_t m_generation = 0;
    std::unordered_map<std::u16string, Value> m_values;
};

} // namespace win32
