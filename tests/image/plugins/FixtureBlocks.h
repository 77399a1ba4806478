/*
 * The blocks the test plug-ins hand their pictures over in, zeroed: local
 * memory on Windows, as Susie plug-ins there allocate them and the player
 * frees them with LocalFree; heap memory elsewhere, freed with free().
 */
#ifndef PELTO5_TEST_FIXTURE_BLOCKS_H
#define PELTO5_TEST_FIXTURE_BLOCKS_H

#include <stddef.h>
#ifdef _WIN32
#include <windows.h>
static inline void* NewBlock(size_t size) { return LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, size); }
#else
#include <stdlib.h>
static inline void* NewBlock(size_t size) { return calloc(1, size); }
#endif

#endif
