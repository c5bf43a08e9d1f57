#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

/// Produces items 0..count-1 on the calling thread and one helper thread, and consumes them on the
/// calling thread strictly in order. Reading the global files is mostly the system mapping pages
/// and the walk waiting on memory: two cores do it in about half the time, while every message,
/// list entry and progress step still comes in the order of a load on one thread.
///
/// `produce(i)` must be safe to run for different items at once, and must not touch what `consume`
/// touches. `consume(i, result)` returns false to stop: no item is consumed after that, the helper
/// ends after the item it is producing, and results produced ahead are dropped. The helper stays
/// at most `window` items ahead of the one being consumed, which bounds both the work wasted by a
/// stop and the memory held by results waiting. An exception thrown by `produce` reaches the
/// caller when its item's turn comes (or at once, on the calling thread).
template <typename TResult>
class COrderedReadAhead
{
public:
    template <typename TProduce, typename TConsume>
    static void Run(std::size_t count, std::size_t window, TProduce&& produce, TConsume&& consume)
    {
        if (count < 2 || window == 0 || std::thread::hardware_concurrency() < 2)
        {
            for (std::size_t i = 0; i < count; ++i)
                if (!consume(i, produce(i)))
                    return;
            return;
        }
        COrderedReadAhead state(count, window);
        try
        {
            state.m_helper = std::thread([&] { state.HelperLoop(produce); });
        }
        catch (const std::system_error&)
        {
            // No thread to be had: the load goes on, on this one alone.
            for (std::size_t i = 0; i < count; ++i)
                if (!consume(i, produce(i)))
                    return;
            return;
        }
        // The helper is joined on every way out, an exception included.
        struct CJoin
        {
            COrderedReadAhead& state;
            ~CJoin() { state.Finish(); }
        } join{state};
        for (std::size_t i = 0; i < count; ++i)
            if (!consume(i, state.Take(i, produce)))
                return;
    }

private:
    struct CSlot
    {
        std::optional<TResult> result;
        std::exception_ptr failure;
        bool ready = false;
    };

    COrderedReadAhead(std::size_t count, std::size_t window) : m_count(count), m_window(window), m_slots(window + 1) {}

    CSlot& SlotOf(std::size_t item) { return m_slots[item % m_slots.size()]; }

    // The next item nobody has claimed, if it lies within the window; the lock is held.
    std::optional<std::size_t> Claim()
    {
        if (m_stopped || m_nextUnclaimed >= m_count || m_nextUnclaimed > m_consuming + m_window)
            return std::nullopt;
        return m_nextUnclaimed++;
    }

    template <typename TProduce>
    void ProduceInto(std::unique_lock<std::mutex>& lock, std::size_t item, TProduce& produce)
    {
        lock.unlock();
        std::optional<TResult> result;
        std::exception_ptr failure;
        try
        {
            result.emplace(produce(item));
        }
        catch (...)
        {
            failure = std::current_exception();
        }
        lock.lock();
        CSlot& slot = SlotOf(item);
        slot.result = std::move(result);
        slot.failure = failure;
        slot.ready = true;
        m_changed.notify_all();
    }

    template <typename TProduce>
    void HelperLoop(TProduce& produce)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (true)
        {
            const std::optional<std::size_t> item = Claim();
            if (item)
            {
                ProduceInto(lock, *item, produce);
                continue;
            }
            if (m_stopped || m_nextUnclaimed >= m_count)
                return;
            m_changed.wait(lock);
        }
    }

    // Item `item`'s result, produced here when nobody has taken it up; while the helper is still
    // at it, this thread produces the items after it rather than wait idle.
    template <typename TProduce>
    TResult Take(std::size_t item, TProduce& produce)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_consuming = item;
        m_changed.notify_all();
        while (!SlotOf(item).ready)
        {
            if (m_nextUnclaimed == item)
            {
                ++m_nextUnclaimed;
                lock.unlock();
                return produce(item);
            }
            if (const std::optional<std::size_t> ahead = Claim())
                ProduceInto(lock, *ahead, produce);
            else
                m_changed.wait(lock);
        }
        CSlot& slot = SlotOf(item);
        slot.ready = false;
        if (slot.failure)
            std::rethrow_exception(std::exchange(slot.failure, nullptr));
        TResult result = std::move(*slot.result);
        slot.result.reset();
        return result;
    }

    void Finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        if (m_helper.joinable())
            m_helper.join();
    }

    const std::size_t m_count;
    const std::size_t m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // One slot more than the window: the item being consumed and the `window` items after it.
    std::vector<CSlot> m_slots;
    std::size_t m_nextUnclaimed = 0;
    std::size_t m_consuming = 0;
    bool m_stopped = false;
    std::thread m_helper;
};
