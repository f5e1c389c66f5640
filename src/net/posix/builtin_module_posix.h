// Libraries that the POSIX build offers under their Windows names: the
// loader resolves their entry points from tables compiled into this library.
#ifndef QMR_NET_POSIX_BUILTIN_MODULE_POSIX_H
#define QMR_NET_POSIX_BUILTIN_MODULE_POSIX_H

// Entry point `name` of a built-in library, or null.
using TqcBuiltinLookupFn = void *(*)(const char *name);

// Makes `name` loadable. Several lookups may share one name (the local
// tables add their entry points to the IP helper's); they are asked in
// registration order. Registering the same pair twice does nothing.
// Returns false when the registry is full.
bool tqc_register_builtin_module(const char *name, TqcBuiltinLookupFn lookup);

// Entry points of the IP helper built on the kernel's interface lists.
void *tqc_posix_ip_helper_symbol(const char *name);

#endif  // QMR_NET_POSIX_BUILTIN_MODULE_POSIX_H
