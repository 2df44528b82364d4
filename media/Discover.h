// The discoverer's estimate of a stream's duration, for streams whose graph cannot answer a
// duration query.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds, 0 when the discoverer cannot tell within the timeout.
int64_t DiscoverDurationMs(const std::string& uri, int timeoutMs);
