#pragma once
// Marks a hot loop to be compiled three times, for AVX-512 (x86-64-v4), for
// AVX2 (x86-64-v3) and for the baseline, with the best one chosen when the
// program loads.  ThreadSanitizer's runtime cannot run the load-time chooser
// (the program dies before main), so sanitized builds get the baseline loop
// alone; the results are the same either way.
#if defined(__SANITIZE_THREAD__)
#define TYPIX_TARGET_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TYPIX_TARGET_CLONES
#endif
#endif
#ifndef TYPIX_TARGET_CLONES
#define TYPIX_TARGET_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif
