// Included first by every header in framework/internal/: they are the framework's Qt side, which only the
// framework's own units, its tests, benchmarks and fuzz targets may include (their targets define the macro).
#pragma once

#if !defined(PALL_FRAMEWORK_INTERNAL)
#error "framework/internal/ is the framework's Qt side: the program includes only the headers in framework/"
#endif
