#pragma once
// Named texts, records (maps of texts), lists of both and a list of rows,
// serialised to compact JSON as a wide string.

#include <map>
#include <string>
#include <vector>

#include "base/CritSection.h"

// A map with a lock that is only taken once enabled (nothing enables it:
// callers serialise their own access).
template <typename KEY, typename VALUE>
class CLockMap {
 public:
  CLockMap() = default;
  ~CLockMap() { m_map.clear(); }

  // Lets a holder of the lock finish first.
  void Wait() {
    if (!m_lockEnabled) return;
    m_lock.Enter();
    m_lock.Leave();
  }
  void Set(const KEY& key, const VALUE& value) {
    Guard guard(*this);
    m_map[key] = value;
  }
  VALUE& At(const KEY& key) {
    Guard guard(*this);
    return m_map[key];
  }
  bool Contains(const KEY& key) {
    Guard guard(*this);
    return m_map.count(key) != 0;
  }
  void EnableLock(bool enabled) { m_lockEnabled = enabled; }
  const std::map<KEY, VALUE>& Map() const { return m_map; }

 private:
  struct Guard {
    explicit Guard(CLockMap& owner) : map(owner) {
      if (map.m_lockEnabled) map.m_lock.Enter();
    }
    ~Guard() {
      if (map.m_lockEnabled) map.m_lock.Leave();
    }
    CLockMap& map;
  };

  std::map<KEY, VALUE> m_map;
  CCritSection m_lock;
  bool m_lockEnabled = false;
};

class CJsonCppData {
 public:
  using Record = std::map<std::wstring, std::wstring>;

  CJsonCppData() = default;
  virtual ~CJsonCppData() = default;

  void SetRecord(const std::wstring& key, const Record& record);
  void SetText(const std::wstring& key, const std::wstring& text);
  void AddToTextList(const std::wstring& key, const std::wstring& text);
  void AddToRecordList(const std::wstring& key, const Record& record);
  void AddRow(const Record& row);

  // Compact JSON; the empty text when nothing was set. Keyed members make a
  // top-level object and rows a top-level array: an object cannot hold
  // rows, so a data set with both gives the empty text rather than a
  // document that silently drops one of them.
  std::wstring toString();

 private:
  CLockMap<std::wstring, Record> m_records;
  CLockMap<std::wstring, std::wstring> m_texts;
  CLockMap<std::wstring, std::vector<Record>> m_recordLists;
  CLockMap<std::wstring, std::vector<std::wstring>> m_textLists;
  std::vector<Record> m_rows;
};
