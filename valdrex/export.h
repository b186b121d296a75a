/* What libvaldrex.so exports. The library is built with hidden visibility, so only what is marked
 * VALDREX_API (the C functions and the classes and functions of the installed headers) is seen
 * by programs linking it; everything else stays inside. */
#ifndef VALDREX_EXPORT_H
#define VALDREX_EXPORT_H

#if defined(__GNUC__)
#define VALDREX_API __attribute__((visibility("default")))
#else
#define VALDREX_API
#endif

#endif /* VALDREX_EXPORT_H */
