#pragma once
// Work cut into parts that may run at once on several threads.
#include <functional>

// Calls Part(0) .. Part(Parts - 1), possibly at once on several threads,
// and returns when all are done.
using TPartRunner = std::function<void(int Parts, const std::function<void(int Part)>& Part)>;
