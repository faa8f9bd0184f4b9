#pragma once
/* The C interface of the settings library, libIniFileManager.so.
 *
 * Texts are zero-terminated UTF-8. A file is named by a handle from OpenIniFile, never 0.
 * Paths inside a file name nodes and keys by their names joined with "/" (or "\"):
 * "CurrentSkinIndex" is a key at the top of the file, "Window/Main/Width" the key
 * "Width" of node "Window/Main". An empty node path is the top of the file. Names are
 * case-sensitive.
 *
 * Every change is written to disk before the call returns, so nothing is lost when the
 * program never calls WriteIniFile or CloseIniFile.
 *
 * The text getters take a buffer and its size in bytes; when the text and its
 * terminating zero do not fit they answer INI_BUFFER_TOO_SMALL and store the size
 * needed, so the caller can ask again with a larger buffer.
 */

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum IniFileResult
{
    INI_OK = 0,
    /* Nothing is stored at the path: the default was given (count 0 for counts). */
    INI_NOT_FOUND = 1,
    INI_INVALID_ARGUMENT = -1,
    INI_BUFFER_TOO_SMALL = -2,
    INI_INVALID_HANDLE = -3,
    INI_OUT_OF_RANGE = -4,
    /* The stored value is not a 32-bit decimal integer: the default was given. */
    INI_NOT_AN_INTEGER = -5,
    /* The file could not be read or written; a failed write changes nothing. */
    INI_IO_ERROR = -6,
    /* The file exists but is not a settings file; it is left as it is and not opened. */
    INI_UNREADABLE_FILE = -7,
    INI_OUT_OF_MEMORY = -8
};

#if defined(__GNUC__)
#define INI_EXPORT __attribute__((visibility("default")))
#else
#define INI_EXPORT
#endif

/* Opens the settings file at path ("\" is read as "/"); a missing file is opened empty
 * and created by the first change. Opening a file that is already open answers its
 * handle again; each open needs its own CloseIniFile. The version and application
 * texts do not change where the file is. *handle is 0 unless the result is INI_OK. */
INI_EXPORT int32_t OpenIniFile(const char* path, const char* version, const char* application,
                               int32_t* handle);
/* Writes the file now (it is always up to date; this creates it when it is missing). */
INI_EXPORT int32_t WriteIniFile(int32_t handle);
/* Closes one open of the file; flags are unused, as changes are already written. */
INI_EXPORT int32_t CloseIniFile(int32_t handle, int32_t flags);
/* true when the path names the top, a node (also one that only holds other nodes), a key
 * or an array. */
INI_EXPORT bool DoesNodeExist(int32_t handle, const char* path);

/* *value is the stored value on INI_OK, the default otherwise. */
INI_EXPORT int32_t GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value);
INI_EXPORT int32_t SetIniValueInt(int32_t handle, const char* path, int32_t value);
/* The stored text, or the default with INI_NOT_FOUND when nothing is stored. */
INI_EXPORT int32_t GetIniValueStr(int32_t handle, const char* path, const char* defaultValue, char* buffer,
                                  int32_t size, int32_t* needed);
INI_EXPORT int32_t SetIniValueStr(int32_t handle, const char* path, const char* value);

/* The keys holding single values directly in a node, in file order. */
INI_EXPORT int32_t GetKeyCount(int32_t handle, const char* path, int32_t* count);
INI_EXPORT int32_t GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t size,
                                int32_t* needed);

/* A change that would make the file larger than 16 MiB is refused with INI_OUT_OF_RANGE.
 * Arrays of texts. Growing adds empty items; a count of 0 removes the array; setting
 * the item at index count appends one. */
INI_EXPORT int32_t GetArrayCount(int32_t handle, const char* path, int32_t* count);
INI_EXPORT int32_t SetArrayCount(int32_t handle, const char* path, int32_t count);
INI_EXPORT int32_t GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t size,
                                  int32_t* needed);
INI_EXPORT int32_t SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* value);
INI_EXPORT int32_t RemoveArrayItemAt(int32_t handle, const char* path, int32_t index);

/* The exports' types, for a program that binds them by name. */
typedef int32_t (*OpenIniFileFn)(const char*, const char*, const char*, int32_t*);
typedef int32_t (*WriteIniFileFn)(int32_t);
typedef int32_t (*CloseIniFileFn)(int32_t, int32_t);
typedef bool (*DoesNodeExistFn)(int32_t, const char*);
typedef int32_t (*GetIniValueIntFn)(int32_t, const char*, int32_t, int32_t*);
typedef int32_t (*SetIniValueIntFn)(int32_t, const char*, int32_t);
typedef int32_t (*GetIniValueStrFn)(int32_t, const char*, const char*, char*, int32_t, int32_t*);
typedef int32_t (*SetIniValueStrFn)(int32_t, const char*, const char*);
typedef int32_t (*GetKeyCountFn)(int32_t, const char*, int32_t*);
typedef int32_t (*GetKeyNameAtFn)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
typedef int32_t (*GetArrayCountFn)(int32_t, const char*, int32_t*);
typedef int32_t (*SetArrayCountFn)(int32_t, const char*, int32_t);
typedef int32_t (*GetArrayItemAtFn)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
typedef int32_t (*SetArrayItemAtFn)(int32_t, const char*, int32_t, const char*);
typedef int32_t (*RemoveArrayItemAtFn)(int32_t, const char*, int32_t);

#ifdef __cplusplus
}
#endif
