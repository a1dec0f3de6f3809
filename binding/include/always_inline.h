// For the helpers of the per-line loop that the compiler would otherwise keep
// as calls for their size: a call per line costs as much as the work it does.
#pragma once

#if defined(__GNUC__)
#define KIO_ALWAYS_INLINE [[gnu::always_inline]] inline
#define KIO_ALWAYS_INLINE_LAMBDA __attribute__((always_inline))
#else
#define KIO_ALWAYS_INLINE inline
#define KIO_ALWAYS_INLINE_LAMBDA
#endif
