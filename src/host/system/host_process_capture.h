#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace verolink::host {

// Runs a program (no shell) and returns what it wrote to stdout, if it could
// be started and exited with status 0 within the timeout. A program that takes
// longer is killed, so a hanging helper never blocks the window for long.
std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds timeout);

}  // namespace verolink::host
