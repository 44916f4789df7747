// A vector that keeps insertion order and finds its values by key.
#pragma once

#include <map>
#include <stdexcept>
#include <vector>

// what() of the error thrown for a key that is not there (UTF-8).
inline constexpr const char* kJNVectorMissingKey =
    "call JNVector<KEY, VALUE>::Get(KEY key):\n在数组中找不到对应的key";

template <typename KEY, typename VALUE>
class JNVector {
public:
    // An absent key is appended; a present key has its value replaced in place.
    void Set(const KEY& key, const VALUE& value) {
        auto it = m_index.find(key);
        if (it != m_index.end()) {
            m_values[it->second] = value;
            return;
        }
        m_values.push_back(value);
        m_index.emplace(key, static_cast<int>(m_values.size()) - 1);
    }

    // Does nothing when the position is out of range.
    void EraseAt(int position) {
        if (position < 0 || position >= Size())
            return;
        for (auto it = m_index.begin(); it != m_index.end();) {
            if (it->second == position) {
                it = m_index.erase(it);
                continue;
            }
            if (it->second > position)
                --it->second;
            ++it;
        }
        m_values.erase(m_values.begin() + position);
    }

    void Remove(const KEY& key) {
        auto it = m_index.find(key);
        if (it != m_index.end())
            EraseAt(it->second);
    }

    bool Contains(const KEY& key) const { return m_index.count(key) != 0; }

    int Size() const { return static_cast<int>(m_values.size()); }

    // No range check: the caller knows the position is valid.
    VALUE& At(int position) { return m_values[position]; }
    const VALUE& At(int position) const { return m_values[position]; }

    // Throws std::out_of_range when the key is absent.
    const VALUE& Get(const KEY& key) const {
        auto it = m_index.find(key);
        if (it == m_index.end())
            throw std::out_of_range(kJNVectorMissingKey);
        return m_values[it->second];
    }

    // All keys, in key order.
    std::vector<KEY> GetKeys() const {
        std::vector<KEY> keys;
        keys.reserve(m_index.size());
        for (const auto& entry : m_index)
            keys.push_back(entry.first);
        return keys;
    }

private:
    std::vector<VALUE> m_values;
    std::map<KEY, int> m_index;
};
