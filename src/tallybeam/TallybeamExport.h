#pragma once

#if defined(TALLYBEAM_LIBRARY)
#define TALLYBEAM_EXPORT __attribute__((visibility("default")))
#else
#define TALLYBEAM_EXPORT
#endif
