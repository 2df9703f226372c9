#pragma once

// Marks a function that a deliverable exports by name. Everything else in a
// library stays hidden (-fvisibility=hidden), so only the interface is bound.
#ifdef __cplusplus
#define TW_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define TW_EXPORT __attribute__((visibility("default")))
#endif
