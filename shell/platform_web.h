// What the browser build's platform layer shows of itself beyond
// shell/platform.h: a count the page's test harness reads to know how far the
// game has got.
#pragma once
#include <cstdint>

// Event queues drained so far, one a frame; written by platform_event_poll,
// read by web/probe.cpp.
extern uint32_t web_drains;
