#pragma once

#include <utility>

// What a model owes its views while a loop that changes many rows has its
// signals suspended (disableControls() ... enableControls(), nestable): one
// model reset, begun at the first change and ended when the last suspension
// ends, stands for every change in between, and a move of the current row is
// told once at the end.
class SignalSuspension
{
public:
    void suspend() { ++m_depth; }
    // True when this ends the last suspension (the owner then pays what it owes).
    bool resume()
    {
        if (m_depth <= 0)
            return false;
        return --m_depth == 0;
    }
    bool isSuspended() const { return m_depth > 0; }

    // While suspended, a change: true the first time only, when the owner
    // begins its one reset.
    bool startsReset() { return !std::exchange(m_resetOpen, true); }
    // True once, when a reset was begun and is now to be ended.
    bool takeReset() { return std::exchange(m_resetOpen, false); }

    void oweCurrentRow() { m_currentOwed = true; }
    bool owesCurrentRow() const { return m_currentOwed; }
    bool takeCurrentRow() { return std::exchange(m_currentOwed, false); }

private:
    int m_depth = 0;
    bool m_resetOpen = false;
    bool m_currentOwed = false;
};
