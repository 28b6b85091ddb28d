#pragma once
// Compiler-specific annotations in a form every supported compiler accepts.

#if defined(__GNUC__) || defined(__clang__)
// Lets the compiler check a printf-style format against its arguments (1-based indices).
#define VX_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define VX_PRINTF_FORMAT(fmtIndex, firstArg)
#endif
