#pragma once
// The seams of the in-process benchmark: the simulated seams (sim/sim_system_seam.cpp) with a
// clock reading before and after every IOCTL, so that a run can be split into the time the
// simulated stack took, the time between two requests (our code: builders, image reads) and the
// time before the first and after the last request (device open, worker thread, messages).

#include <cstddef>

struct TimedRequest {
    double sentMs;     // NowMs() as the request reached the seam
    double answeredMs; // NowMs() as the seam returned
};

// Forgets the requests timed so far.
void ResetTimedRequests();
// The requests timed since the last reset, at most TIMED_REQUEST_CAPACITY.
size_t TimedRequestCount();
const TimedRequest& TimedRequestAt(size_t index);

constexpr size_t TIMED_REQUEST_CAPACITY = 4096;
