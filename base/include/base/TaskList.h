// The keyed task list of CTaskThreadPool: tasks in the order they were
// added, found by key, by position or by pointer, and the first waiting task
// found without a walk over the whole list, so a long backlog costs each
// pick and each removal O(log n) instead of O(n).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

#include "base/ITask.h"

class CTaskList {
public:
    using TaskPtr = std::shared_ptr<ITask>;

    // An absent key is appended; a present key has its task replaced in
    // place (keeping its position).
    void Set(const std::wstring& key, TaskPtr task);
    bool Contains(const std::wstring& key) const { return m_byKey.count(key) != 0; }
    // Throws std::out_of_range when the key is absent.
    const TaskPtr& Get(const std::wstring& key) const;
    int Size() const { return static_cast<int>(m_order.size()); }
    // Empty when the position is out of range.
    TaskPtr At(int position) const;
    void Remove(const std::wstring& key);
    // Removes the first entry, in list order, that holds the task.
    void Erase(const ITask* task);
    bool HoldsTask(const ITask* task) const;
    std::vector<std::wstring> GetKeys() const;  // in key order
    std::vector<TaskPtr> Snapshot() const;       // in list order, no empty ones
    // The first task in list order whose state has all the bits (a walk:
    // for callers outside the workers' path).
    TaskPtr FindFirst(uint32_t bits) const;

    // The first task in list order that asks for a resume (0x40), or that
    // is queued (0x01). Entries are kept in these indexes from their
    // addition on and dropped once found without the bit, so the state bits
    // must only be set again through NoteRequeued.
    TaskPtr FirstResumeAsked();
    TaskPtr FirstQueued();
    // Tells the list that the pool set 0x01 or 0x40 on a task again.
    void NoteRequeued(const ITask* task);

private:
    struct Entry {
        std::wstring key;
        TaskPtr task;
    };
    // Entries by a sequence number that only grows, so the tree's order is
    // the order of addition; the tree also knows each entry's rank, which
    // answers At(position) in O(log n).
    using OrderTree = __gnu_pbds::tree<uint64_t, Entry, std::less<uint64_t>, __gnu_pbds::rb_tree_tag,
                                       __gnu_pbds::tree_order_statistics_node_update>;

    void EraseEntry(uint64_t sequence);
    TaskPtr FirstWith(std::set<uint64_t>& candidates, uint32_t bit);
    void AddCandidates(uint64_t sequence, const ITask* task);

    OrderTree m_order;
    std::map<std::wstring, uint64_t> m_byKey;
    std::set<std::pair<const ITask*, uint64_t>> m_byTask;
    // Entries that may have the bit, in list order (a superset of those
    // that do).
    std::set<uint64_t> m_maybeQueued;
    std::set<uint64_t> m_maybeResumeAsked;
    uint64_t m_nextSequence = 0;
};
