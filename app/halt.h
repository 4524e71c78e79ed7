#pragma once

#include <functional>

namespace qv {

// Ends the application at once: no close question, no window handlers.
// The real handler leaves the event loop; tests install their own so that
// ending the program never ends the test run.
void halt();
void setHaltHandler(std::function<void()> handler); // empty = the real one

} // namespace qv
