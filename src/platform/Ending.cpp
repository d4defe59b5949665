#include "platform/Ending.h"

#include <atomic>
#include <cstdlib>
#include <utility>
#include <vector>

namespace ending {

namespace {

std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

struct Entry
{
    int id;
    std::function<void()> undo;
};

// Never destroyed: exit() runs unwindAll() after the statics may have gone.
std::vector<Entry> &registered()
{
    static auto *entries = new std::vector<Entry>;
    return *entries;
}

int nextId = 0;

void unwindAtExit()
{
    unwindAll();
}

} // namespace

bool requested()
{
    return ending.load();
}

void request()
{
    ending.store(true);
}

Undo::Undo(std::function<void()> undo) : m_id(++nextId)
{
    static const bool atExit = std::atexit(unwindAtExit) == 0;
    (void)atExit;
    registered().push_back({m_id, std::move(undo)});
}

Undo::~Undo()
{
    dismiss();
}

void Undo::dismiss()
{
    std::vector<Entry> &entries = registered();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->id == m_id) {
            entries.erase(it);
            return;
        }
    }
}

void unwindAll()
{
    std::vector<Entry> &entries = registered();
    while (!entries.empty()) {
        // Off the list first: an undo that ends more work must not run twice.
        const std::function<void()> undo = std::move(entries.back().undo);
        entries.pop_back();
        undo();
    }
}

} // namespace ending
