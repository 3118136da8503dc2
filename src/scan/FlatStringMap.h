#pragma once
// A string-keyed table for the scan's hot path: open addressing over one
// array of slots, keys kept side by side in one text buffer. A lookup touches
// one slot and one key, where a node-based map chases three or four pointers;
// on a scan of a million values that is most of the cost of remembering.
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hs {

template <class Value>
class FlatStringMap {
 public:
  const Value* Find(std::string_view key) const {
    if (m_slots.empty()) return nullptr;
    const std::size_t hash = Hash(key);
    for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = m_slots[i];
      if (!slot.used) return nullptr;
      if (slot.hash == hash && slot.length == key.size() &&
          std::memcmp(m_keys.data() + slot.offset, key.data(), key.size()) == 0)
        return &slot.value;
    }
  }

  // Adds a key that is not in the table yet.
  void Insert(std::string_view key, const Value& value) {
    if ((m_size + 1) * 2 > m_slots.size()) Grow();
    const std::size_t hash = Hash(key);
    Slot slot{hash, m_keys.size(), key.size(), value, true};
    m_keys.append(key);
    Place(slot);
    ++m_size;
  }

  void Clear() {
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_size = 0;
  }
  std::size_t Size() const { return m_size; }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
    Value value{};
    bool used = false;
  };

  static std::size_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  std::size_t Mask() const { return m_slots.size() - 1; }

  void Place(const Slot& slot) {
    std::size_t i = slot.hash & Mask();
    while (m_slots[i].used) i = (i + 1) & Mask();
    m_slots[i] = slot;
  }

  void Grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot& slot : old)
      if (slot.used) Place(slot);
  }

  std::vector<Slot> m_slots;  // size is a power of two, at most half full
  std::string m_keys;
  std::size_t m_size = 0;
};

}  // namespace hs
