// A probe of one file on a muted graph of its own, run on the calling thread (a worker of the
// analysis): the facts that the analysis reads through the player's graph, read the same way.
#pragma once

#include "platform/fs/Paths.h"

struct ProbeResult;

// Fills width, height and duration of the file on disk `real`; a file that cannot be rendered
// reads 0 x 0 and no duration, as with the player's graph. May never return on a share that
// stopped answering.
void ProbeOnOwnGraph(const RealPath& real, int renderTimeoutMs, ProbeResult& result);
