#pragma once
// Polls Condition until it holds or a generous deadline passes; the
// deadline only keeps a broken build from hanging. A check that something
// happens at all, never of how soon.
#include <functional>

bool WaitFor(const std::function<bool()>& Condition);
