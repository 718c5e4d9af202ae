#pragma once
// The program's modules (the video module, the legacy codings) are loaded on
// first use, from beside the program, then where `cmake --install` and the
// package put them (lib/twinscript/ beside bin/), then where the build put
// them (tests and benchmarks run from their own folders).

#include <QString>

// The entry point of the module, or null with *error telling why.
void *loadModuleEntry(const QString &fileName, const QString &builtAt, const char *entry, QString *error);
