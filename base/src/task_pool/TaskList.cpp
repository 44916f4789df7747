#include "base/TaskList.h"

#include <stdexcept>

#include "base/JNVector.h"

void CTaskList::Set(const std::wstring& key, TaskPtr task) {
    auto found = m_byKey.find(key);
    if (found != m_byKey.end()) {
        const uint64_t sequence = found->second;
        Entry& entry = m_order.find(sequence)->second;
        m_byTask.erase({entry.task.get(), sequence});
        entry.task = std::move(task);
        m_byTask.insert({entry.task.get(), sequence});
        AddCandidates(sequence, entry.task.get());
        return;
    }
    const uint64_t sequence = m_nextSequence++;
    const ITask* raw = task.get();
    m_order.insert({sequence, Entry{key, std::move(task)}});
    m_byKey.emplace(key, sequence);
    m_byTask.insert({raw, sequence});
    AddCandidates(sequence, raw);
}

const CTaskList::TaskPtr& CTaskList::Get(const std::wstring& key) const {
    auto found = m_byKey.find(key);
    if (found == m_byKey.end())
        throw std::out_of_range(kJNVectorMissingKey);
    return m_order.find(found->second)->second.task;
}

CTaskList::TaskPtr CTaskList::At(int position) const {
    if (position < 0 || position >= Size())
        return nullptr;
    return m_order.find_by_order(static_cast<size_t>(position))->second.task;
}

void CTaskList::Remove(const std::wstring& key) {
    auto found = m_byKey.find(key);
    if (found != m_byKey.end())
        EraseEntry(found->second);
}

void CTaskList::Erase(const ITask* task) {
    auto first = m_byTask.lower_bound({task, 0});
    if (first != m_byTask.end() && first->first == task)
        EraseEntry(first->second);
}

bool CTaskList::HoldsTask(const ITask* task) const {
    auto first = m_byTask.lower_bound({task, 0});
    return first != m_byTask.end() && first->first == task;
}

std::vector<std::wstring> CTaskList::GetKeys() const {
    std::vector<std::wstring> keys;
    keys.reserve(m_byKey.size());
    for (const auto& entry : m_byKey)
        keys.push_back(entry.first);
    return keys;
}

std::vector<CTaskList::TaskPtr> CTaskList::Snapshot() const {
    std::vector<TaskPtr> tasks;
    tasks.reserve(m_order.size());
    for (const auto& entry : m_order) {
        if (entry.second.task)
            tasks.push_back(entry.second.task);
    }
    return tasks;
}

CTaskList::TaskPtr CTaskList::FindFirst(uint32_t bits) const {
    for (const auto& entry : m_order) {
        if (entry.second.task && entry.second.task->HasState(bits))
            return entry.second.task;
    }
    return nullptr;
}

CTaskList::TaskPtr CTaskList::FirstResumeAsked() {
    return FirstWith(m_maybeResumeAsked, ITask::StateResumeAsked);
}

CTaskList::TaskPtr CTaskList::FirstQueued() {
    return FirstWith(m_maybeQueued, ITask::StateQueued);
}

void CTaskList::NoteRequeued(const ITask* task) {
    for (auto it = m_byTask.lower_bound({task, 0}); it != m_byTask.end() && it->first == task; ++it) {
        m_maybeQueued.insert(it->second);
        m_maybeResumeAsked.insert(it->second);
    }
}

void CTaskList::EraseEntry(uint64_t sequence) {
    auto entry = m_order.find(sequence);
    m_byKey.erase(entry->second.key);
    m_byTask.erase({entry->second.task.get(), sequence});
    m_maybeQueued.erase(sequence);
    m_maybeResumeAsked.erase(sequence);
    m_order.erase(entry);
}

// Each entry leaves the candidates at most once per time its bit was set,
// so the walk costs O(log n) per pick over the list's life.
CTaskList::TaskPtr CTaskList::FirstWith(std::set<uint64_t>& candidates, uint32_t bit) {
    while (!candidates.empty()) {
        auto first = candidates.begin();
        auto entry = m_order.find(*first);
        if (entry != m_order.end() && entry->second.task && entry->second.task->HasState(bit))
            return entry->second.task;
        candidates.erase(first);
    }
    return nullptr;
}

void CTaskList::AddCandidates(uint64_t sequence, const ITask* task) {
    if (!task)
        return;
    m_maybeQueued.insert(sequence);
    if (task->HasState(ITask::StateResumeAsked))
        m_maybeResumeAsked.insert(sequence);
}
