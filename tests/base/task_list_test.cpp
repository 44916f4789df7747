// The pool's task list against the plain keyed vector it replaces: the same
// positions, keys and lookups after any mix of additions, replacements and
// removals, and the same first waiting task a walk over the list would find.
#include "base/TaskList.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/JNVector.h"

namespace {

class IdleTask : public ITask {
public:
    bool Run() override { return true; }
    bool Stop() override { return true; }
};

using TaskPtr = std::shared_ptr<ITask>;

// What a walk over the list in order finds.
TaskPtr FirstWithWalk(const JNVector<std::wstring, TaskPtr>& model, uint32_t bit) {
    for (int i = 0; i < model.Size(); ++i) {
        if (model.At(i) && model.At(i)->HasState(bit))
            return model.At(i);
    }
    return nullptr;
}

void EraseFirstWalk(JNVector<std::wstring, TaskPtr>& model, const ITask* task) {
    for (int i = 0; i < model.Size(); ++i) {
        if (model.At(i).get() == task) {
            model.EraseAt(i);
            return;
        }
    }
}

TEST(TaskList, MatchesTheKeyedVectorUnderAnyMixOfChanges) {
    std::mt19937 random(20261210);
    CTaskList list;
    JNVector<std::wstring, TaskPtr> model;
    std::vector<TaskPtr> made;  // every task so far, so one can sit under two keys
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    for (int step = 0; step < 6000; ++step) {
        SCOPED_TRACE(step);
        const std::wstring key = L"k" + std::to_wstring(pick(150));
        switch (pick(8)) {
        case 0:
        case 1: {  // add, as the pool does: only absent keys
            if (model.Contains(key))
                break;
            TaskPtr task;
            const int kind = pick(10);
            if (kind == 0 && !made.empty())
                task = made[pick(static_cast<int>(made.size()))];  // the same task twice
            else if (kind != 1)
                task = std::make_shared<IdleTask>();               // kind 1: an empty pointer
            if (task)
                made.push_back(task);
            list.Set(key, task);
            model.Set(key, task);
            break;
        }
        case 2: {  // replace in place
            if (!model.Contains(key))
                break;
            TaskPtr task = std::make_shared<IdleTask>();
            made.push_back(task);
            list.Set(key, task);
            model.Set(key, task);
            break;
        }
        case 3:
            list.Remove(key);
            model.Remove(key);
            break;
        case 4: {  // a task ends: the first entry holding it goes
            if (made.empty())
                break;
            const ITask* task = made[pick(static_cast<int>(made.size()))].get();
            list.Erase(task);
            EraseFirstWalk(model, task);
            break;
        }
        default: {  // the pool moves a task's bits
            if (made.empty())
                break;
            const TaskPtr& task = made[pick(static_cast<int>(made.size()))];
            switch (pick(4)) {
            case 0:
                task->RemoveState(ITask::StateQueued);  // paused before it started
                break;
            case 1:
                task->RemoveState(ITask::StateResumeAsked);  // resume applied or cancelled
                break;
            case 2:
                task->AddState(ITask::StateQueued);  // resumed before it started
                list.NoteRequeued(task.get());
                break;
            default:
                task->AddState(ITask::StateResumeAsked);  // resume asked at the maximum
                list.NoteRequeued(task.get());
                break;
            }
        }
        }

        ASSERT_EQ(list.Size(), model.Size());
        ASSERT_EQ(list.GetKeys(), model.GetKeys());
        for (int i = 0; i < model.Size(); ++i)
            ASSERT_EQ(list.At(i), model.At(i)) << "position " << i;
        ASSERT_EQ(list.At(model.Size()), nullptr);
        ASSERT_EQ(list.At(-1), nullptr);
        ASSERT_EQ(list.FirstQueued(), FirstWithWalk(model, ITask::StateQueued));
        ASSERT_EQ(list.FirstResumeAsked(), FirstWithWalk(model, ITask::StateResumeAsked));
        ASSERT_EQ(list.FindFirst(ITask::StateQueued), FirstWithWalk(model, ITask::StateQueued));
        ASSERT_EQ(list.Contains(key), model.Contains(key));
        if (model.Contains(key))
            ASSERT_EQ(list.Get(key), model.Get(key));
    }
}

TEST(TaskList, MissingKeysThrowTheKeyedVectorsError) {
    CTaskList list;
    try {
        list.Get(L"none");
        FAIL() << "nothing thrown";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), kJNVectorMissingKey);
    }
    list.Remove(L"none");
    list.Erase(nullptr);
    EXPECT_EQ(list.Size(), 0);
    EXPECT_EQ(list.FirstQueued(), nullptr);
}

}  // namespace
