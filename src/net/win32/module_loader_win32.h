// Windows loader details shared by the platform files: the system's
// record layouts differ from the library's, so a few IP helper entry
// points are handed out wrapped in a translator that converts them.
#ifndef QMR_NET_WIN32_MODULE_LOADER_WIN32_H
#define QMR_NET_WIN32_MODULE_LOADER_WIN32_H

// The translator of the system entry point `name` found at `system` (a
// function in the library's layout that calls it), or null when `name`
// needs none.
using TqcWin32TranslateFn = void *(*)(const char *name, void *system);

// Adds a translator, asked after the ones added before it. Adding the same
// one twice does nothing. False when the registry is full.
bool tqc_register_win32_translator(TqcWin32TranslateFn translate);

// The adapter-list translators of the address service.
void *tqc_win32_adapter_translator(const char *name, void *system);

#endif  // QMR_NET_WIN32_MODULE_LOADER_WIN32_H
